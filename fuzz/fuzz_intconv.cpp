// SPDX-License-Identifier: GPL-3.0-or-later

#include "intconv.h"

#include <QString>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>

namespace {

void require(bool condition, const char *what, const QString &text)
{
    if (!condition) {
        std::fprintf(stderr, "integer conversion: %s: '%s'\n", what, qPrintable(text));
        std::abort();
    }
}

// The conversion rules on top of std::from_chars, which reads the digits and finds overflow.
std::optional<qint32> referenceStrToInt(const QString &text)
{
    std::string ascii;
    for (const QChar c : text) {
        // Every character the rules accept is ASCII: blanks, sign, prefix and digits.
        if (c.unicode() > 0x7F)
            return std::nullopt;
        ascii += char(c.unicode());
    }
    std::string_view rest(ascii);
    while (rest.starts_with(' '))
        rest.remove_prefix(1);
    bool negative = false;
    if (rest.starts_with('+') || rest.starts_with('-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    int base = 10;
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        base = 16;
        rest.remove_prefix(1);
    } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
        base = 16;
        rest.remove_prefix(2);
    }
    // from_chars takes no sign for an unsigned type, so only digits can be consumed here.
    std::uint32_t magnitude = 0;
    const char *end = rest.data() + rest.size();
    const auto [stop, error] = std::from_chars(rest.data(), end, magnitude, base);
    if (rest.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    // Negated, nothing may lie below the 32-bit range; unsigned, only decimal digits are bound
    // to the positive half (hexadecimal patterns are read as signed).
    if (negative ? magnitude > 0x80000000u : base == 10 && magnitude > 0x7FFFFFFFu)
        return std::nullopt;
    return static_cast<qint32>(negative ? 0u - magnitude : magnitude);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    QString text;
    if (input.ConsumeBool()) {
        const std::string bytes = input.ConsumeRemainingBytesAsString();
        text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    } else {
        // Code units of any script, lone surrogates included: other scripts' digits must fail.
        while (input.remaining_bytes() >= 2)
            text.append(QChar(input.ConsumeIntegral<char16_t>()));
    }

    const std::optional<qint32> value = strToInt(text);
    require(value == referenceStrToInt(text), "differs from the reference", text);
    if (value)
        require(
            strToInt(QString::number(*value)) == value, "decimal text does not read back", text);
    else
        require(invalidIntegerMessage(text).contains(text), "message lacks the text", text);
    return 0;
}
