// SPDX-License-Identifier: GPL-3.0-or-later

#include "profilefile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <optional>

namespace {

constexpr QChar byteOrderMark(0xFEFF);

struct Line
{
    qsizetype begin;
    qsizetype contentEnd; // before the CR LF or LF
    qsizetype end; // after the line end
};

enum class LineKind { Other, Section, Key };

struct Entry
{
    LineKind kind = LineKind::Other;
    QStringView name;
    QStringView value;
};

struct Location
{
    qsizetype section = -1;
    qsizetype key = -1;
    qsizetype lastKey = -1; // the section's last key line, or its header when it has none
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QList<Line> splitLines(QStringView text)
{
    QList<Line> lines;
    qsizetype begin = text.startsWith(byteOrderMark) ? 1 : 0;
    while (begin < text.size()) {
        const qsizetype lf = text.indexOf(u'\n', begin);
        const qsizetype end = lf < 0 ? text.size() : lf + 1;
        qsizetype contentEnd = lf < 0 ? text.size() : lf;
        if (contentEnd > begin && text[contentEnd - 1] == u'\r')
            --contentEnd;
        lines.append({begin, contentEnd, end});
        begin = end;
    }
    return lines;
}

Entry classify(QStringView line)
{
    const QStringView text = trimBlanks(line);
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return {};
        return {LineKind::Section, trimBlanks(text.sliced(1, close - 1)), {}};
    }
    if (text.startsWith(u';'))
        return {};
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return {};
    return {LineKind::Key, trimBlanks(text.first(equals)), trimBlanks(text.sliced(equals + 1))};
}

QStringView content(QStringView text, const Line &line)
{
    return text.sliced(line.begin, line.contentEnd - line.begin);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

Location locate(QStringView text, const QList<Line> &lines, QStringView section, QStringView key)
{
    Location found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Entry entry = classify(content(text, lines[i]));
        if (entry.kind == LineKind::Section) {
            if (found.section >= 0)
                break;
            if (sameName(entry.name, section))
                found.section = found.lastKey = i;
        } else if (entry.kind == LineKind::Key && found.section >= 0) {
            found.lastKey = i;
            if (sameName(entry.name, key)) {
                found.key = i;
                break;
            }
        }
    }
    return found;
}

QStringView stripQuotes(QStringView value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

// Files written by other tools may use either line end, and a file must not end up mixing them.
QString lineEndOf(QStringView text)
{
    const qsizetype lf = text.indexOf(u'\n');
    if (lf > 0 && text[lf - 1] == u'\r')
        return QStringLiteral("\r\n");
    if (lf >= 0)
        return QStringLiteral("\n");
    // A new file gets the line end of the platform the settings file belongs to, so that it
    // reads as separate lines in any Windows editor and looks like the profile files there.
    return QStringLiteral("\r\n");
}

// A file saved in a Windows code page is not UTF-8. Each byte that does not belong to a UTF-8
// sequence is kept as one of the low surrogates U+DC80 to U+DCFF, which UTF-8 cannot hold, and
// written back as that byte: a save changes no byte outside the line it sets.
constexpr char16_t firstKeptByte = 0xDC80;
constexpr char16_t lastKeptByte = 0xDCFF;

// The length of the well-formed UTF-8 sequence at the start of bytes, or 0.
qsizetype utf8SequenceLength(QByteArrayView bytes)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    qsizetype length = 0;
    unsigned char low = 0x80; // the range of the second byte, which excludes overlong forms,
    unsigned char high = 0xBF; // surrogates and code points beyond U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || bytes.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

QString decodeKeepingBytes(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text.append(QChar(lead));
            ++i;
        } else if (const qsizetype length = utf8SequenceLength(bytes.sliced(i))) {
            // Decoded here, not by QString::fromUtf8, which would drop a byte order mark that
            // the writer has to put back.
            char32_t code = lead & (0x7F >> length);
            for (qsizetype k = 1; k < length; ++k)
                code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
            text.append(QChar::fromUcs4(code));
            i += length;
        } else {
            text.append(QChar(char16_t(firstKeptByte - 0x80 + lead)));
            ++i;
        }
    }
    return text;
}

QByteArray encodeKeepingBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (u >= firstKeptByte && u <= lastKeptByte) {
            bytes.append(text.sliced(runStart, i - runStart).toUtf8());
            bytes.append(char(u - firstKeptByte + 0x80));
            runStart = i + 1;
        }
    }
    bytes.append(text.sliced(runStart).toUtf8());
    return bytes;
}

// How a file's bytes are its text. A Windows editor's "Unicode" is UTF-16 with a byte order
// mark, other tools' UTF-16 may lack it; every other file is taken as UTF-8, with its bytes
// that are not UTF-8 kept as they are.
// A file that could not be written back in its own encoding is never written into: it would
// end up mixing two.
enum class Encoding { Utf8, Utf16LittleEndian, Utf16BigEndian, Unkeepable };

struct FileText
{
    QString text;
    Encoding encoding = Encoding::Utf8;
};

// Every code unit as it stands, lone surrogates and the byte order mark included, so that the
// file is written back unit for unit.
QString decodeUtf16(QByteArrayView bytes, bool littleEndian)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.append(QChar(char16_t(littleEndian ? first | second << 8 : first << 8 | second)));
    }
    return text;
}

QByteArray encodeUtf16(QStringView text, bool littleEndian)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const char low = char(unit & 0xFF);
        const char high = char(unit >> 8);
        bytes.append(littleEndian ? low : high);
        bytes.append(littleEndian ? high : low);
    }
    return bytes;
}

FileText decodeFile(QByteArrayView bytes)
{
    const QByteArrayView utf32LittleEndian("\xFF\xFE\x00\x00", 4);
    const QByteArrayView utf32BigEndian("\x00\x00\xFE\xFF", 4);
    if (bytes.startsWith(utf32LittleEndian) || bytes.startsWith(utf32BigEndian))
        return {QString(), Encoding::Unkeepable};
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    if (littleEndian || bytes.startsWith("\xFE\xFF")) {
        // An odd last byte is no code unit: it reads as nothing and cannot be written back.
        const Encoding encoding = bytes.size() % 2 != 0 ? Encoding::Unkeepable
            : littleEndian                              ? Encoding::Utf16LittleEndian
                                                        : Encoding::Utf16BigEndian;
        return {decodeUtf16(bytes, littleEndian), encoding};
    }
    // Text in UTF-8 or a code page has no zero bytes. UTF-16 saved without its byte order mark
    // has one in every ASCII character, on the high byte's side: mostly at odd offsets when
    // the low byte comes first. Read as eight-bit text, such a file would get eight-bit lines
    // added to it.
    if (bytes.contains('\0')) {
        qsizetype oddZeros = 0;
        qsizetype evenZeros = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\0')
                ++(i % 2 != 0 ? oddZeros : evenZeros);
        }
        if (oddZeros == evenZeros)
            return {decodeKeepingBytes(bytes), Encoding::Unkeepable};
        const bool lowByteFirst = oddZeros > evenZeros;
        const Encoding encoding = bytes.size() % 2 != 0 ? Encoding::Unkeepable
            : lowByteFirst                              ? Encoding::Utf16LittleEndian
                                                        : Encoding::Utf16BigEndian;
        return {decodeUtf16(bytes, lowByteFirst), encoding};
    }
    return {decodeKeepingBytes(bytes), Encoding::Utf8};
}

std::optional<QByteArray> encodeFile(QStringView text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return encodeKeepingBytes(text);
    case Encoding::Utf16LittleEndian:
        return encodeUtf16(text, true);
    case Encoding::Utf16BigEndian:
        return encodeUtf16(text, false);
    case Encoding::Unkeepable:
        break;
    }
    return std::nullopt;
}

std::optional<FileText> readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return FileText();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decodeFile(bytes);
}

// Replaces the file in one step, so that a save cut short leaves the old file whole; false when
// the folder is missing, the existing file is read-only or anything else fails.
bool replaceFile(const QString &path, const QByteArray &bytes)
{
    // QSaveFile renames its copy over the old file, which would succeed on a read-only file (and
    // for root on any file), so the file's own write permission is checked first.
    const QFileInfo info(path);
    if (info.exists()
        && (!info.isFile() || !info.isWritable() || !(info.permissions() & QFile::WriteOwner)))
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

QString readProfileString(
    QStringView fileText, QStringView section, QStringView key, const QString &defaultValue)
{
    const QList<Line> lines = splitLines(fileText);
    const Location found = locate(fileText, lines, section, key);
    if (found.key < 0)
        return defaultValue;
    QStringView value = stripQuotes(classify(content(fileText, lines[found.key])).value);
    if (value.size() > maxProfileValueLength) {
        value.truncate(maxProfileValueLength);
        // Half a surrogate pair would become a replacement character once written out again.
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value.toString();
}

QString writeProfileString(
    const QString &fileText, QStringView section, QStringView key, QStringView value)
{
    // A line break in the value would start a new line that the reader takes for a key or a
    // section of its own, so only the value's first line is stored.
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\r' || value[i] == u'\n') {
            value.truncate(i);
            break;
        }
    }
    const QString entry = key.toString() + u'=' + value.toString();

    const QList<Line> lines = splitLines(fileText);
    const Location found = locate(fileText, lines, section, key);
    QString result = fileText;
    if (found.key >= 0) {
        const Line &line = lines[found.key];
        return result.replace(line.begin, line.contentEnd - line.begin, entry);
    }

    const QString lineEnd = lineEndOf(fileText);
    QString insertion;
    qsizetype at = fileText.size();
    if (found.section >= 0) {
        at = lines[found.lastKey].end;
        insertion = entry + lineEnd;
    } else {
        insertion = u'[' + section.toString() + u']' + lineEnd + entry + lineEnd;
    }
    const bool onlyByteOrderMark = fileText.size() == 1 && fileText.front() == byteOrderMark;
    if (at == fileText.size() && !fileText.isEmpty() && !onlyByteOrderMark
        && !fileText.endsWith(u'\n')) {
        // The last line has no line end of its own, or only the CR of one.
        insertion.prepend(fileText.endsWith(u'\r') ? QStringLiteral("\n") : lineEnd);
    }
    return result.insert(at, insertion);
}

QString readProfileFile(const QString &path)
{
    return readWholeFile(path).value_or(FileText()).text;
}

QString readProfileValue(
    const QString &path, QStringView section, QStringView key, const QString &defaultValue)
{
    return readProfileString(readProfileFile(path), section, key, defaultValue);
}

bool writeProfileValue(const QString &path, QStringView section, QStringView key, QStringView value)
{
    return writeProfileValues(path, section, {{key.toString(), value.toString()}});
}

bool writeProfileValues(const QString &path, QStringView section,
    const QList<std::pair<QString, QString>> &keysAndValues)
{
    std::optional<FileText> file = readWholeFile(path);
    if (!file)
        return false;
    for (const auto &[key, value] : keysAndValues)
        file->text = writeProfileString(file->text, section, key, value);
    const std::optional<QByteArray> bytes = encodeFile(file->text, file->encoding);
    // The file must read back in the encoding it is written in: a value holding U+0000 would
    // make eight-bit text look like UTF-16, and characters with a zero low byte could tip UTF-16
    // without its mark into the other byte order.
    return bytes && decodeFile(*bytes).encoding == file->encoding && replaceFile(path, *bytes);
}
