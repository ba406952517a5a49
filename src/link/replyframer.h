// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Splits the bytes received from the server into reply lines. A line ends at LF; one CR
// directly before the LF is dropped. Bytes of an incomplete line stay for the next call.
class ReplyFramer
{
public:
    static constexpr qsizetype MaxLineLength = 16384;

    enum class Status { Line, Incomplete, TooLong };
    struct Result
    {
        Status status;
        QString text;
    };

    void append(QByteArrayView bytes);

    // Takes the oldest complete line. A line longer than MaxLineLength (or as many bytes
    // without an LF) gives TooLong, and its bytes are thrown away up to its LF, so that one
    // oversized reply does not make every later reply fail as well.
    Result takeLine();

    bool isEmpty() const { return size() == 0; }
    // The bytes not taken yet.
    qsizetype size() const { return m_buffer.size() - m_start; }
    void clear();

private:
    void consume(qsizetype count);

    QByteArray m_buffer;
    // Taken lines are only counted off the front until the buffer is compacted, so that many
    // short lines cost no more than one pass over them.
    qsizetype m_start = 0;
    bool m_skippingToLineEnd = false;
};
