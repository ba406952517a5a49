// SPDX-License-Identifier: GPL-3.0-or-later

#include "wireformat.h"

namespace WireFormat {

QByteArray encodeCommandLine(QStringView name)
{
    QByteArray line;
    line.reserve(name.size() + 2);
    for (QChar c : name)
        line.append(c.unicode() <= 0x7F ? char(c.unicode()) : '?');
    line.append("\r\n", 2);
    return line;
}

QString decodeAscii(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        *out++ = byte <= 0x7F ? QChar(byte) : QChar(QChar::ReplacementCharacter);
    }
    return text;
}

bool isAcceptedReply(QStringView text)
{
    return text.isEmpty() || text == u"ok";
}

} // namespace WireFormat
