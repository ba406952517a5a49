// SPDX-License-Identifier: GPL-3.0-or-later

#include "filereplace.h"

#include "nativefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace FileReplace {

namespace {

const QString CopySuffix = QStringLiteral(".zp-save");
constexpr int CopyTagLength = 6;

// The file that a save really replaces: a symbolic link stays a link, and the file it points
// to gets the new bytes, as a program writing the file in place would do.
QString finalPath(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

QString newCopyName(const QString &path)
{
    QString tag(CopyTagLength, Qt::Uninitialized);
    for (QChar &c : tag) {
        const int n = int(QRandomGenerator::global()->bounded(52));
        c = QLatin1Char(char(n < 26 ? 'A' + n : 'a' + n - 26));
    }
    return path + u'.' + tag + CopySuffix;
}

bool isLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Writes the bytes into a new copy beside the file and hands them to the disk; the copy's name,
// or an empty text when it could not be made.
QString writeCopy(const QString &path, const QByteArray &bytes, Access access)
{
    // Kept apart from the QFile, which forgets it when opened through a Windows handle.
    QString name;
    QFile copy;
    // Another file of the same name is left alone; six letters make a second clash unlikely.
    for (int attempt = 0; attempt < 8; ++attempt) {
        name = newCopyName(path);
        copy.setFileName(name);
        const bool created = access == Access::OwnerOnly
            ? NativeFile::createForOwner(copy)
            : copy.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        if (created)
            break;
        if (!QFile::exists(name))
            return {};
    }
    if (!copy.isOpen())
        return {};
    const QFileInfo existing(path);
    const bool keepsAccess = access == Access::OwnerOnly || !existing.exists()
        || QFile::setPermissions(name, existing.permissions());
    const bool written
        = keepsAccess && copy.write(bytes) == bytes.size() && NativeFile::syncToDisk(copy);
    copy.close();
    if (!written || copy.error() != QFileDevice::NoError) {
        QFile::remove(name);
        return {};
    }
    return name;
}

} // namespace

bool isCopyName(const QString &name, const QString &fileName)
{
    const qsizetype tagStart = fileName.size() + 1;
    if (name.size() != tagStart + CopyTagLength + CopySuffix.size() || !name.startsWith(fileName)
        || name[fileName.size()] != u'.' || !name.endsWith(CopySuffix))
        return false;
    for (qsizetype i = tagStart; i < tagStart + CopyTagLength; ++i) {
        if (!isLetter(name[i]))
            return false;
    }
    return true;
}

int removeLeftoverCopies(const QString &path)
{
    const QFileInfo file(finalPath(path));
    QDir folder = file.dir();
    int removed = 0;
    const QStringList candidates = folder.entryList(
        {u'*' + CopySuffix}, QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive);
    for (const QString &name : candidates) {
        if (isCopyName(name, file.fileName()) && folder.remove(name))
            ++removed;
    }
    return removed;
}

bool replace(const QString &path, const QByteArray &bytes, Access access)
{
    // A rename over a read-only file would succeed (and for root over any file), so the file's
    // own write permission is checked first.
    const QFileInfo info(path);
    if (info.exists()
        && (!info.isFile() || !info.isWritable() || !(info.permissions() & QFile::WriteOwner)))
        return false;

    const QString target = finalPath(path);
    // Copies of saves that were killed, or cut short by a power loss, would otherwise pile up
    // beside the file, one for each.
    removeLeftoverCopies(target);
    const QString copy = writeCopy(target, bytes, access);
    if (copy.isEmpty())
        return false;
    if (!NativeFile::renameOver(copy, target)) {
        QFile::remove(copy);
        return false;
    }
    return true;
}

} // namespace FileReplace
