// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

class QFile;

// The file operations of the picture cache that must not follow a link or wait on whatever
// sits at a file's name: anyone may put a link, a FIFO or a device in the cache folder, and
// the keypad must neither write nor delete anything outside it, nor hang at start.
namespace CacheFiles {

enum class Kind { Missing, Regular, Folder, Link, Other };

struct Entry
{
    QString name;
    Kind kind;
    qint64 size;
    qint64 modifiedMs; // since the epoch, as the system keeps it: no time zone to look up
};

// What sits at the path itself; a link there is a Link, whatever it points to.
Kind kindOf(const QString &path);

// Opens the path for reading when it is a regular file itself: never through a link, and
// without waiting on a FIFO or a device.
bool openRegularFile(QFile &file, const QString &path);

// Removes the entry at the path: a link itself, never what it points to.
bool removeEntry(const QString &path);

// The folder's entries in one pass, links not followed.
QList<Entry> entries(const QString &folder);

} // namespace CacheFiles
