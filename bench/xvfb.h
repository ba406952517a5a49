// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>

// Starts a virtual X server of the given size in the process given and waits until it takes
// connections. Returns its display name (":N"), or an empty string when it did not start.
QString startXvfb(QProcess &xvfb, int width, int height);
