// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturecache.h"

#include "artworkversion.h"
#include "cachefiles.h"
#include "nativefile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstring>

namespace {

// Raw pixels with a small header: read back with one copy, nothing to decode. The layout of
// the pixels is this machine's own, as the folder is.
constexpr quint32 Magic = 0x5A505032; // "ZPP2": with a check of the pixels
// Raised when the pictures are drawn differently from the same artwork.
constexpr int DrawingVersion = 1;

struct Header
{
    quint32 magic;
    quint32 width;
    quint32 height;
    quint32 bytesPerLine;
    quint64 pixelCheck;
};

const QString Suffix = QStringLiteral(".pixels");

QString prefix()
{
    return QStringLiteral("%1.%2-").arg(QLatin1String(ArtworkVersion)).arg(DrawingVersion);
}

// Pixels damaged under a whole header (a crash before the disk had them, a bad sector) must be
// drawn again, not shown. Four lanes keep the check at the speed of reading memory; each step
// maps a lane's state one to one, so any one changed word changes the result.
quint64 pixelCheck(const uchar *data, qsizetype size)
{
    constexpr quint64 Odd = 0x9E3779B97F4A7C15ull;
    quint64 lanes[4] = {1, 2, 3, 4};
    qsizetype at = 0;
    for (; at + qsizetype(sizeof lanes) <= size; at += sizeof lanes) {
        for (int lane = 0; lane < 4; ++lane) {
            quint64 word;
            std::memcpy(&word, data + at + lane * sizeof word, sizeof word);
            lanes[lane] = (lanes[lane] ^ word) * Odd;
        }
    }
    for (; at < size; ++at)
        lanes[0] = (lanes[0] ^ data[at]) * Odd;
    quint64 check = quint64(size);
    for (const quint64 lane : lanes)
        check = (check ^ lane) * Odd;
    return check;
}

} // namespace

PictureCache::PictureCache(QString folder)
    : m_folder(std::move(folder))
{ }

QString PictureCache::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
        + QStringLiteral("/pictures");
}

QString PictureCache::filePath(const QString &name, QSize size, const QColor &background) const
{
    const uint ground = background.isValid() ? background.rgba() : 0;
    return QStringLiteral("%1/%2%3-%4x%5-%6%7")
        .arg(m_folder, prefix(), name)
        .arg(size.width())
        .arg(size.height())
        .arg(ground, 8, 16, QLatin1Char('0'))
        .arg(Suffix);
}

// Only a folder of the keypad's own is read or written: a link in its place would lead into
// someone else's files. The link is replaced when a picture is to be kept; a file or anything
// else in its place is left alone, and nothing is kept.
bool PictureCache::ownFolder(bool make) const
{
    switch (CacheFiles::kindOf(m_folder)) {
    case CacheFiles::Kind::Folder:
        break;
    case CacheFiles::Kind::Link:
        if (!make || !CacheFiles::removeEntry(m_folder))
            return false;
        [[fallthrough]];
    case CacheFiles::Kind::Missing:
        if (!make || !QDir().mkpath(m_folder))
            return false;
        break;
    case CacheFiles::Kind::Regular:
    case CacheFiles::Kind::Other:
        return false;
    }
    // Files a former run left over the limits go at the first use, not only when a picture is
    // drawn anew: a keypad that finds all its pictures would otherwise never clear them.
    if (!m_clearedOnce) {
        m_clearedOnce = true;
        clearAway({}, 0);
    }
    return true;
}

QImage PictureCache::find(const QString &name, QSize size, const QColor &background) const
{
    if (m_folder.isEmpty() || size.isEmpty() || !ownFolder(false))
        return {};
    QFile file;
    if (!CacheFiles::openRegularFile(file, filePath(name, size, background)))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    Header header {};
    const qint64 bytes = image.sizeInBytes();
    // A file cut short, of another size than its name says, or damaged inside, is drawn again.
    if (file.size() != qint64(sizeof header) + bytes
        || file.read(reinterpret_cast<char *>(&header), sizeof header) != sizeof header
        || header.magic != Magic || header.width != quint32(size.width())
        || header.height != quint32(size.height())
        || header.bytesPerLine != quint32(image.bytesPerLine())
        || file.read(reinterpret_cast<char *>(image.bits()), bytes) != bytes
        || header.pixelCheck != pixelCheck(image.constBits(), bytes))
        return {};
    return image;
}

void PictureCache::insert(const QString &name, const QImage &image, const QColor &background) const
{
    if (m_folder.isEmpty() || image.isNull()
        || image.format() != QImage::Format_ARGB32_Premultiplied || !ownFolder(true))
        return;
    const qint64 bytes = image.sizeInBytes();
    const Header header {Magic, quint32(image.width()), quint32(image.height()),
        quint32(image.bytesPerLine()), pixelCheck(image.constBits(), bytes)};
    const QString path = filePath(name, image.size(), background);
    // Written under a new name of its own and then put in the place of whatever sits at the
    // picture's name: a link there is replaced, never written through.
    QString copy;
    {
        QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
        if (!file.open()
            || file.write(reinterpret_cast<const char *>(&header), sizeof header) != sizeof header
            || file.write(reinterpret_cast<const char *>(image.constBits()), bytes) != bytes)
            return;
        file.close();
        if (file.error() != QFileDevice::NoError)
            return;
        file.setAutoRemove(false);
        copy = file.fileName();
    }
    // Only here is the copy really closed (QTemporaryFile::close keeps its handle), and Windows
    // renames no file that is still open. The rename replaces the entry at the name, a link
    // itself, never what it points to.
    if (!NativeFile::renameOver(copy, path)) {
        CacheFiles::removeEntry(copy);
        return;
    }
    clearAway(path.sliced(m_folder.size() + 1), qint64(sizeof header) + bytes);
}

// Only pictures of the artwork this program draws are kept: the one just written, and of the
// others the newest, within the limits. Anything else at a picture's name goes, links and
// FIFOs included (the entry, never what a link points to), and so do the copies of writes cut
// short. Names are only compared and times only sorted as numbers: a folder full of stale
// files is cleared in one pass over it.
void PictureCache::clearAway(const QString &written, qint64 writtenBytes) const
{
    QList<CacheFiles::Entry> current;
    const QString folder = m_folder + u'/';
    for (CacheFiles::Entry &entry : CacheFiles::entries(m_folder)) {
        if (entry.name == written || entry.kind == CacheFiles::Kind::Folder)
            continue;
        const bool picture = entry.name.endsWith(Suffix);
        if (picture && entry.kind == CacheFiles::Kind::Regular && entry.name.startsWith(prefix()))
            current.append(std::move(entry));
        else if (picture || entry.name.contains(Suffix + u'.'))
            CacheFiles::removeEntry(folder + entry.name);
    }
    std::sort(current.begin(), current.end(), [](const auto &a, const auto &b) {
        return a.modifiedMs > b.modifiedMs; // newest first
    });
    int kept = written.isEmpty() ? 0 : 1;
    qint64 bytes = writtenBytes;
    for (const CacheFiles::Entry &entry : std::as_const(current)) {
        if (kept < MaxFiles && bytes + entry.size <= MaxBytes) {
            ++kept;
            bytes += entry.size;
        } else {
            CacheFiles::removeEntry(folder + entry.name);
        }
    }
}
