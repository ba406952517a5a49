// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// The secret a tablet's address carries: 128 random bits from the system's generator, as
// URL-safe text. It is kept in a file readable by its owner alone, so that a tablet paired
// once stays paired across restarts, until a new key is asked for.
namespace PairingKey {

inline constexpr int Bytes = 16;

QByteArray generate();
// Whether the text is a key as generate() makes them.
bool isWellFormed(const QByteArray &key);
// The key in the file, or a new one written there when the file is missing or damaged. Empty
// when a new key cannot be written: the key would not outlive this run.
QByteArray loadOrCreate(const QString &path);
// A new key, written to the file; empty when it cannot be written.
QByteArray renew(const QString &path);
// Where the key is kept when no other file is given.
QString defaultPath();

} // namespace PairingKey
