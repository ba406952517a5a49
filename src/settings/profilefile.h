// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <utility>

// INI text in the manner of the Windows private-profile functions. Section and key names match
// regardless of letter case; blanks (spaces, tabs) around names and values do not count; the first
// matching section and the first matching key in it win; lines starting with ';' are comments.

// Longer values are cut when read, as by the Windows reader with its buffer of 2048 characters
// including the terminating zero.
inline constexpr qsizetype maxProfileValueLength = 2047;

// The value of the key, with one pair of surrounding double or single quotes removed, or
// defaultValue when the section or the key is missing. An empty value is returned as it is.
QString readProfileString(
    QStringView fileText, QStringView section, QStringView key, const QString &defaultValue);

// fileText with "key=value" set in the section; every other character of fileText is kept.
QString writeProfileString(
    const QString &fileText, QStringView section, QStringView key, QStringView value);

// The whole file as text, a leading byte order mark kept as U+FEFF: UTF-16 (either byte order)
// when it starts with its byte order mark, or without one when it holds zero bytes, mostly on
// one side of its byte pairs; else UTF-8 with each byte that is not part of UTF-8 as U+DC80 to
// U+DCFF. A missing or unreadable file, or one in UTF-32, gives an empty text.
QString readProfileFile(const QString &path);

QString readProfileValue(
    const QString &path, QStringView section, QStringView key, const QString &defaultValue);

// Reads the file, sets the key and writes the file back in the file's own encoding; false when
// the file cannot be written, exists but cannot be read (rewriting it would lose its other
// contents), or could not be written back in its encoding (UTF-32, UTF-16 with an odd byte, or
// zero bytes that are not UTF-16), or would not read back in that encoding afterwards.
bool writeProfileValue(
    const QString &path, QStringView section, QStringView key, QStringView value);

// Sets the keys of one section in turn, then writes the file once, so that a reader or a save
// cut short never finds some of them set and others not; false as for writeProfileValue.
bool writeProfileValues(const QString &path, QStringView section,
    const QList<std::pair<QString, QString>> &keysAndValues);
