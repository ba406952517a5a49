// SPDX-License-Identifier: GPL-3.0-or-later

#include "discoveryreply.h"
#include "intconv.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "discovery reply: %s\n", what);
        std::abort();
    }
}

QString decodeByByte(const uint8_t *bytes, size_t count)
{
    QString text;
    for (size_t i = 0; i < count; ++i)
        text.append(bytes[i] < 0x80 ? QChar(bytes[i]) : QChar(0xFFFD));
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeDiscoveryReply(bytes);
    require(text == decodeByByte(data, size), "decoded text is not one character per byte");

    // Bytes 0x80 and above never decode to an "m", so the split falls at the first 0x6D byte.
    size_t at = 0;
    while (at < size && data[at] != 'm')
        ++at;
    const std::optional<DiscoveryReply> reply = splitDiscoveryReply(text);
    if (at == size) {
        require(!reply, "split without an \"m\"");
        return 0;
    }
    require(reply.has_value(), "no split although there is an \"m\"");
    require(reply->host == decodeByByte(data, at), "host is not the text before the first \"m\"");
    require(reply->port == decodeByByte(data + at + 1, size - at - 1),
        "port is not the text after the first \"m\"");

    // The reply handler's connect attempt converts the port text next; the sanitizers watch it.
    [[maybe_unused]] const std::optional<qint32> port = strToInt(reply->port);
    return 0;
}
