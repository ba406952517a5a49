// SPDX-License-Identifier: GPL-3.0-or-later

#include "intconv.h"

namespace {

std::optional<quint32> hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return std::nullopt;
}

std::optional<quint32> parseHex(QStringView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        const auto digit = hexDigitValue(c);
        if (!digit)
            return std::nullopt;
        value = value * 16 + *digit;
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<quint32>(value);
}

// The magnitude may reach 2^31 so that the caller can negate it into INT_MIN.
std::optional<quint32> parseDecimal(QStringView digits, quint32 limit)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        // QChar::isDigit() would accept Arabic-Indic and other scripts' digits.
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<quint32>(value);
}

} // namespace

std::optional<qint32> strToInt(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    std::optional<quint32> magnitude;
    const QStringView rest = text.sliced(i);
    if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X'))
        magnitude = parseHex(rest.sliced(1));
    else if (rest.startsWith(u"0x") || rest.startsWith(u"0X"))
        magnitude = parseHex(rest.sliced(2));
    else
        magnitude = parseDecimal(rest, negative ? 0x80000000u : 0x7FFFFFFFu);

    if (!magnitude)
        return std::nullopt;
    // A minus before a pattern with its top bit set would wrap round: "-$FFFFE890" is no more
    // 6000 than "-4294961296" is. Below the 32-bit range is out of range, in hexadecimal too.
    if (negative && *magnitude > 0x80000000u)
        return std::nullopt;
    // Unsigned arithmetic wraps, so "-$80000000" and "-2147483648" need no special case.
    const quint32 bits = negative ? 0u - *magnitude : *magnitude;
    return static_cast<qint32>(bits);
}

QString invalidIntegerMessage(QStringView text)
{
    return QLatin1Char('\'') + text.toString() + QStringLiteral("' is not a valid integer value");
}
