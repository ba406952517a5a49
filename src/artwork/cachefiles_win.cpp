// SPDX-License-Identifier: GPL-3.0-or-later
#include "cachefiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <windows.h>

// Windows folders hold no FIFOs or devices; links and junctions are told apart from files by
// Qt, and only the replacing rename needs the system's own call.
namespace CacheFiles {

namespace {

Kind kindOfInfo(const QFileInfo &info)
{
    if (info.isSymLink() || info.isJunction())
        return Kind::Link;
    if (!info.exists())
        return Kind::Missing;
    if (info.isDir())
        return Kind::Folder;
    return info.isFile() ? Kind::Regular : Kind::Other;
}

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace

Kind kindOf(const QString &path)
{
    return kindOfInfo(QFileInfo(path));
}

bool openRegularFile(QFile &file, const QString &path)
{
    if (kindOf(path) != Kind::Regular)
        return false;
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
}

bool removeEntry(const QString &path)
{
    const std::wstring native = nativePath(path);
    // A link to a folder is removed as a folder; neither call touches what it points to.
    return DeleteFileW(native.c_str()) != 0 || RemoveDirectoryW(native.c_str()) != 0;
}

QList<Entry> entries(const QString &folder)
{
    QList<Entry> found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        found.append({info.fileName(), kindOfInfo(info), info.size(),
            info.lastModified().toMSecsSinceEpoch()});
    }
    return found;
}

} // namespace CacheFiles
