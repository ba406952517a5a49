// SPDX-License-Identifier: GPL-3.0-or-later

#include "discoveryreply.h"

#include "wireformat.h"

QString decodeDiscoveryReply(QByteArrayView bytes)
{
    return WireFormat::decodeAscii(bytes);
}

std::optional<DiscoveryReply> splitDiscoveryReply(QStringView text)
{
    const qsizetype at = text.indexOf(u'm');
    if (at < 0)
        return std::nullopt;
    return DiscoveryReply {text.first(at).toString(), text.sliced(at + 1).toString()};
}
