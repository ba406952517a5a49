// SPDX-License-Identifier: GPL-3.0-or-later

#include "profilefile.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "profile file: %s\n", what);
        std::abort();
    }
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Names the reader can find again: a section name without "]", a key without "=" that does
// not look like a section or a comment, neither with line breaks or blanks at its ends. The
// keypad's own names are such names; others only have to leave the program standing.
bool isFindableName(const QString &name, bool isKey)
{
    if (name.contains(u'\r') || name.contains(u'\n'))
        return false;
    if (!name.isEmpty() && (isBlank(name.front()) || isBlank(name.back())))
        return false;
    if (!isKey)
        return !name.contains(u']');
    return !name.contains(u'=') && !name.startsWith(u'[') && !name.startsWith(u';');
}

// What the reader gives back for a value handed to the writer: its first line, without the
// blanks at its ends and one pair of enclosing quotes, at most maxProfileValueLength
// characters and never half a surrogate pair at the end.
QString valueAsRead(const QString &written)
{
    QString value = written;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\r' || value[i] == u'\n') {
            value.truncate(i);
            break;
        }
    }
    while (!value.isEmpty() && isBlank(value.front()))
        value.remove(0, 1);
    while (!value.isEmpty() && isBlank(value.back()))
        value.chop(1);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'')
        && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    if (value.size() > maxProfileValueLength) {
        value.truncate(maxProfileValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

// Only one line's content differs (the key was there), or something was only inserted.
template<typename Text>
void requireOneChange(const Text &before, const Text &after, bool keyExisted)
{
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
        && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const Text removed = before.mid(prefix, before.size() - prefix - suffix);
    const Text added = after.mid(prefix, after.size() - prefix - suffix);
    if (keyExisted) {
        require(!removed.contains('\n') && !added.contains('\n'),
            "replacing a key changed more than its line");
    } else {
        require(removed.isEmpty(), "adding a key changed the text around it");
    }
}

// What the bytes of a file say of its encoding, found independently of the code under test:
// a UTF-16 byte order mark, and whether the file can be written back in that encoding.
struct FileEncoding
{
    bool utf16 = false;
    bool littleEndian = false;
    bool keepable = true;
};

FileEncoding encodingOf(const QByteArray &bytes)
{
    FileEncoding encoding;
    if (bytes.startsWith(QByteArray("\xFF\xFE\0\0", 4))
        || bytes.startsWith(QByteArray("\0\0\xFE\xFF", 4))) {
        encoding.keepable = false;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        encoding.utf16 = true;
        encoding.littleEndian = bytes.startsWith("\xFF\xFE");
        encoding.keepable = bytes.size() % 2 == 0;
    } else if (bytes.contains('\0')) {
        // UTF-16 without its mark: the zero bytes of ASCII characters mostly on one side.
        qsizetype zerosFirst = 0;
        qsizetype zerosSecond = 0;
        for (qsizetype i = 0; i < bytes.size(); i += 2) {
            zerosFirst += bytes[i] == '\0';
            zerosSecond += i + 1 < bytes.size() && bytes[i + 1] == '\0';
        }
        encoding.utf16 = zerosFirst != zerosSecond;
        encoding.littleEndian = zerosSecond > zerosFirst;
        encoding.keepable = encoding.utf16 && bytes.size() % 2 == 0;
    }
    return encoding;
}

// Whether setting the key may leave the file looking like another encoding, so that the write
// is refused: a zero character in eight-bit text, or, in UTF-16 without its mark, characters
// whose zero byte lies on the other side than that of ASCII.
bool mayChangeEncoding(const FileEncoding &encoding, const QByteArray &bytes, const QString &added)
{
    const bool marked = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    for (const QChar c : added) {
        if (c.unicode() == 0 || (encoding.utf16 && !marked && (c.unicode() & 0xFF) == 0))
            return true;
    }
    return false;
}

QString utf16Text(const QByteArray &bytes, bool littleEndian)
{
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        text.append(QChar(char16_t(littleEndian ? a | b << 8 : a << 8 | b)));
    }
    return text;
}

// A key that is there has a value, which never holds a line feed.
const QString absent = QStringLiteral("\n");

QString fuzzedText(FuzzedDataProvider &input, size_t length)
{
    const std::string bytes = input.ConsumeRandomLengthString(length);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("ZP.INI"));

    FuzzedDataProvider input(data, size);
    const QString section = fuzzedText(input, 12);
    const QString key = fuzzedText(input, 12);
    QString value = fuzzedText(input, 48);
    if (input.ConsumeIntegralInRange(0, 7) == 0)
        value = QString(input.ConsumeIntegralInRange(2040, 2060), QChar(u'v')) + value;
    const bool findable = isFindableName(section, false) && isFindableName(key, true);

    // The text layer, on any UTF-16 text: lone surrogates, BOMs and all line ends.
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString text(reinterpret_cast<const QChar *>(rest.data()), qsizetype(rest.size() / 2));
    const bool keyInText = readProfileString(text, section, key, absent) != absent;
    const QString written = writeProfileString(text, section, key, value);
    if (findable) {
        require(readProfileString(written, section, key, absent) == valueAsRead(value),
            "text: the value does not read back");
        requireOneChange(text, written, keyInText);
    }

    // The file layer, on the same bytes as a file that any editor may have left.
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the file");
        require(file.write(bytes) == bytes.size(), "cannot write the file");
    }
    const bool keyInFile = readProfileValue(path, section, key, absent) != absent;
    const FileEncoding encoding = encodingOf(bytes);
    // A file that could not be written back in its own encoding is left alone.
    const bool saved = writeProfileValue(path, section, key, value);
    require(
        saved || !encoding.keepable || mayChangeEncoding(encoding, bytes, section + key + value),
        "write refused");
    require(!saved || encoding.keepable, "a file of another encoding was written into");
    QFile file(path);
    require(file.open(QIODevice::ReadOnly), "cannot read the file back");
    const QByteArray after = file.readAll();
    if (!saved) {
        require(after == bytes, "a refused write changed the file");
    } else if (findable) {
        require(readProfileValue(path, section, key, absent) == valueAsRead(value),
            "file: the value does not read back");
        if (encoding.utf16) {
            require(
                encodingOf(after).utf16 && encodingOf(after).littleEndian == encoding.littleEndian,
                "a UTF-16 file lost its encoding");
            requireOneChange(utf16Text(bytes, encoding.littleEndian),
                utf16Text(after, encoding.littleEndian), keyInFile);
        } else {
            requireOneChange(bytes, after, keyInFile);
        }
    }
    return 0;
}
