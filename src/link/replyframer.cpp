// SPDX-License-Identifier: GPL-3.0-or-later

#include "replyframer.h"

#include "wireformat.h"

void ReplyFramer::append(QByteArrayView bytes)
{
    if (m_start > 0) {
        m_buffer.remove(0, m_start);
        m_start = 0;
    }
    m_buffer.append(bytes);
}

void ReplyFramer::clear()
{
    m_buffer.clear();
    m_start = 0;
    m_skippingToLineEnd = false;
}

void ReplyFramer::consume(qsizetype count)
{
    m_start += count;
    if (m_start == m_buffer.size())
        clear();
}

ReplyFramer::Result ReplyFramer::takeLine()
{
    if (m_skippingToLineEnd) {
        const qsizetype lf = m_buffer.indexOf('\n', m_start);
        if (lf < 0) {
            clear();
            m_skippingToLineEnd = true;
            return {Status::Incomplete, {}};
        }
        consume(lf + 1 - m_start);
        m_skippingToLineEnd = false;
    }

    const qsizetype lf = m_buffer.indexOf('\n', m_start);
    if (lf < 0) {
        if (size() <= MaxLineLength)
            return {Status::Incomplete, {}};
        clear();
        m_skippingToLineEnd = true;
        return {Status::TooLong, {}};
    }
    const qsizetype lineLength = lf - m_start;
    if (lineLength > MaxLineLength) {
        consume(lineLength + 1);
        return {Status::TooLong, {}};
    }

    qsizetype length = lineLength;
    if (length > 0 && m_buffer.at(m_start + length - 1) == '\r')
        --length;
    QString text = WireFormat::decodeAscii(QByteArrayView(m_buffer).sliced(m_start, length));
    consume(lineLength + 1);
    return {Status::Line, text};
}
