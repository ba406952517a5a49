// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace WireFormat {

// A command line: one byte per UTF-16 code unit, "?" for anything above 0x7F, then CR LF.
QByteArray encodeCommandLine(QStringView name);

// One character per byte; bytes 0x80 and above become U+FFFD.
QString decodeAscii(QByteArrayView bytes);

// The server accepts a command with "ok" or with an empty reply; anything else refuses it.
bool isAcceptedReply(QStringView text);

} // namespace WireFormat
