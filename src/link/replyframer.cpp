#include "replyframer.h"

#include "wireformat.h"

void ReplyFramer::append(QByteArrayView bytes)
{
    m_buffer.append(bytes);
}

void ReplyFramer::clear()
{
    m_buffer.clear();
    m_skippingToLineEnd = false;
}

ReplyFramer::Result ReplyFramer::takeLine()
{
    if (m_skippingToLineEnd) {
        const qsizetype lf = m_buffer.indexOf('\n');
        if (lf < 0) {
            m_buffer.clear();
            return {Status::Incomplete, {}};
        }
        m_buffer.remove(0, lf + 1);
        m_skippingToLineEnd = false;
    }

    const qsizetype lf = m_buffer.indexOf('\n');
    if (lf < 0) {
        if (m_buffer.size() <= MaxLineLength)
            return {Status::Incomplete, {}};
        m_buffer.clear();
        m_skippingToLineEnd = true;
        return {Status::TooLong, {}};
    }
    if (lf > MaxLineLength) {
        m_buffer.remove(0, lf + 1);
        return {Status::TooLong, {}};
    }

    qsizetype length = lf;
    if (length > 0 && m_buffer.at(length - 1) == '\r')
        --length;
    QString text = WireFormat::decodeAscii(QByteArrayView(m_buffer).first(length));
    m_buffer.remove(0, lf + 1);
    return {Status::Line, text};
}
