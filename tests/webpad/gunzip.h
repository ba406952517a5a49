// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "gzip.h"

#include <QByteArray>
#include <QtEndian>
#include <boost/beast/zlib/inflate_stream.hpp>
#include <optional>

// A gzip member read back with Beast's own inflater rather than the compressor's library:
// the data, or nothing when the header, the deflate data or the trailer is not right.
inline std::optional<QByteArray> gunzip(const QByteArray &member)
{
    constexpr qsizetype HeaderBytes = 10;
    constexpr qsizetype TrailerBytes = 8;
    if (member.size() < HeaderBytes + TrailerBytes || !member.startsWith("\x1f\x8b\x08")
        || member.at(3) != 0)
        return std::nullopt;
    const QByteArray deflated = member.mid(HeaderBytes, member.size() - HeaderBytes - TrailerBytes);
    const auto length = qFromLittleEndian<quint32>(member.constData() + member.size() - 4);
    const auto crc = qFromLittleEndian<quint32>(member.constData() + member.size() - 8);

    QByteArray data(qsizetype(length) + 1, Qt::Uninitialized); // room to see a longer stream
    boost::beast::zlib::inflate_stream inflater;
    boost::beast::zlib::z_params zs;
    zs.next_in = deflated.constData();
    zs.avail_in = std::size_t(deflated.size());
    zs.next_out = data.data();
    zs.avail_out = std::size_t(data.size());
    boost::beast::error_code ec;
    inflater.write(zs, boost::beast::zlib::Flush::finish, ec);
    if (ec != boost::beast::zlib::error::end_of_stream || zs.avail_in != 0
        || zs.total_out != length)
        return std::nullopt;
    data.truncate(qsizetype(length));
    if (Gzip::crc32(data) != crc)
        return std::nullopt;
    return data;
}
