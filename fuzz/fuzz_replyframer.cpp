// SPDX-License-Identifier: GPL-3.0-or-later

#include "replyframer.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <vector>

namespace {

// The text of a reply line, or nothing for a line that is too long.
using Reply = std::optional<QString>;

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "reply framing: %s\n", what);
        std::abort();
    }
}

QString decodeByByte(const QByteArray &bytes, qsizetype begin, qsizetype end)
{
    QString text;
    for (qsizetype i = begin; i < end; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text.append(byte < 0x80 ? QChar(byte) : QChar(0xFFFD));
    }
    return text;
}

// The framing rules applied to the whole stream at once, however it was cut up on the way: a
// line ends at LF, one CR directly before the LF is dropped, and a line with more than
// MaxLineLength bytes before its LF (a CR counted), or as many at the end without any LF,
// is one TooLong.
std::vector<Reply> referenceReplies(const QByteArray &stream)
{
    std::vector<Reply> replies;
    qsizetype begin = 0;
    for (;;) {
        qsizetype lf = begin;
        while (lf < stream.size() && stream[lf] != '\n')
            ++lf;
        const qsizetype length = lf - begin;
        if (lf == stream.size()) {
            if (length > ReplyFramer::MaxLineLength)
                replies.push_back(std::nullopt);
            return replies;
        }
        if (length > ReplyFramer::MaxLineLength) {
            replies.push_back(std::nullopt);
        } else {
            const qsizetype end = length > 0 && stream[lf - 1] == '\r' ? lf - 1 : lf;
            replies.push_back(decodeByByte(stream, begin, end));
        }
        begin = lf + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    ReplyFramer framer;
    QByteArray stream;
    std::vector<Reply> replies;

    // Like the reply check, the reader may take one line, all of them, or none before more
    // bytes arrive.
    const auto take = [&](bool all) {
        for (;;) {
            const ReplyFramer::Result result = framer.takeLine();
            if (result.status == ReplyFramer::Status::Incomplete)
                return;
            replies.push_back(
                result.status == ReplyFramer::Status::Line ? Reply(result.text) : std::nullopt);
            if (!all)
                return;
        }
    };

    while (input.remaining_bytes() > 0) {
        QByteArray chunk;
        if (input.ConsumeIntegralInRange(0, 3) == 0) {
            // A run of one byte reaches past the line limit from a small input.
            const int length = input.ConsumeIntegralInRange(1, 3 * int(ReplyFramer::MaxLineLength));
            chunk = QByteArray(length, char(input.ConsumeIntegral<uint8_t>()));
        } else {
            const std::string bytes = input.ConsumeRandomLengthString(256);
            chunk = QByteArray(bytes.data(), qsizetype(bytes.size()));
        }
        stream += chunk;
        framer.append(chunk);
        switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            break;
        case 1:
            take(false);
            break;
        case 2:
            take(true);
            // Bytes without an LF are kept only up to the limit: a flood cannot fill memory.
            require(framer.size() <= ReplyFramer::MaxLineLength, "buffer beyond the line limit");
            break;
        }
    }
    take(true);

    const std::vector<Reply> expected = referenceReplies(stream);
    require(replies.size() == expected.size(), "number of replies differs from the rules");
    for (size_t i = 0; i < replies.size(); ++i)
        require(replies[i] == expected[i], "reply differs from the rules");
    return 0;
}
