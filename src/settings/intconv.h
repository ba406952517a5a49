// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// Text to a signed 32-bit integer: leading U+0020 spaces, an optional sign, then decimal digits
// or hexadecimal digits after "$", "x", "X", "0x" or "0X"; hexadecimal values are 32-bit patterns
// read as signed, so "$FFFFFFFF" is -1; a minus sign before them negates the pattern's unsigned
// value, which must then lie in the 32-bit range ("-$80000000" but not "-$FFFFFFFF"). Nothing
// may follow the digits.
std::optional<qint32> strToInt(QStringView text);

QString invalidIntegerMessage(QStringView text);
