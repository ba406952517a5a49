// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// The link's fixed ports and time bounds. The keypad has no options: these are the values it
// runs with, and the classes take them as defaults so that tests can choose others.
namespace LinkDefaults {

inline constexpr quint16 ServerPort = 6000; // the command channel when nothing else is known
inline constexpr quint16 DiscoveryRequestPort = 8090; // where the server hears "zp"
inline constexpr quint16 DiscoveryListenPort = 8091; // where the keypad hears the reply

inline constexpr int DiscoveryIntervalMs = 2000;
inline constexpr int ReplyWaitMs = 1000;
// Name lookup and TCP connect together.
inline constexpr int ConnectTimeoutMs = 3000;

} // namespace LinkDefaults
