// SPDX-License-Identifier: GPL-3.0-or-later
#include "gzip.h"

#include <QtEndian>
#include <boost/crc.hpp>
#include <cctype>
#include <optional>

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return true;
}

// A weight of zero ("q=0", "q=0.000") refuses the coding; any other weight takes it.
bool refusedByWeight(std::string_view parameters)
{
    while (!parameters.empty()) {
        const std::size_t end = parameters.find(';');
        const std::string_view parameter = trimmed(parameters.substr(0, end));
        parameters
            = end == std::string_view::npos ? std::string_view() : parameters.substr(end + 1);
        if (parameter.size() < 2 || std::tolower(static_cast<unsigned char>(parameter[0])) != 'q'
            || parameter[1] != '=')
            continue;
        const std::string_view value = trimmed(parameter.substr(2));
        return !value.empty() && value.find_first_not_of("0.") == std::string_view::npos;
    }
    return false;
}

} // namespace

namespace Gzip {

quint32 crc32(QByteArrayView data)
{
    boost::crc_32_type crc;
    crc.process_bytes(data.data(), std::size_t(data.size()));
    return crc.checksum();
}

QByteArray compress(QByteArrayView data)
{
    // Qt's compressor writes a zlib stream after the data's length: a two-byte header, the
    // deflate data, and an Adler-32 trailer. gzip wraps the same deflate data in a header of
    // its own and a trailer of CRC-32 and length.
    constexpr qsizetype LengthBytes = 4;
    constexpr qsizetype HeaderBytes = 2;
    constexpr qsizetype TrailerBytes = 4;
    QByteArray deflated("\x03\x00", 2); // one empty final block: Qt compresses nothing to nothing
    if (!data.isEmpty()) {
        const QByteArray zlib
            = qCompress(reinterpret_cast<const uchar *>(data.data()), data.size());
        if (zlib.size() < LengthBytes + HeaderBytes + TrailerBytes)
            return {};
        const auto flags = static_cast<unsigned char>(zlib.at(LengthBytes + 1));
        if (flags & 0x20)
            return {}; // a preset dictionary, which gzip cannot carry; Qt never sets one
        deflated = zlib.mid(
            LengthBytes + HeaderBytes, zlib.size() - LengthBytes - HeaderBytes - TrailerBytes);
    }
    QByteArray gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff", 10); // deflate, no name, no time
    gzip += deflated;
    char trailer[8];
    qToLittleEndian(crc32(data), trailer);
    qToLittleEndian(quint32(data.size()), trailer + 4);
    gzip.append(trailer, sizeof trailer);
    return gzip;
}

bool acceptedBy(std::string_view acceptEncoding)
{
    // gzip named with its own weight decides, whatever "*" says.
    std::optional<bool> gzip;
    std::optional<bool> any;
    while (!acceptEncoding.empty()) {
        const std::size_t end = acceptEncoding.find(',');
        const std::string_view coding = acceptEncoding.substr(0, end);
        acceptEncoding
            = end == std::string_view::npos ? std::string_view() : acceptEncoding.substr(end + 1);
        const std::size_t semicolon = coding.find(';');
        const std::string_view name = trimmed(coding.substr(0, semicolon));
        const bool accepted
            = semicolon == std::string_view::npos || !refusedByWeight(coding.substr(semicolon + 1));
        if (sameLetters(name, "gzip"))
            gzip = accepted;
        else if (name == "*")
            any = accepted;
    }
    return gzip.value_or(any.value_or(false));
}

} // namespace Gzip
