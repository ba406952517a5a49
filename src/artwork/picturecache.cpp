// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturecache.h"

#include "artworkversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <array>

namespace {

// Raw pixels with a small header: read back with one copy, nothing to decode. The layout of
// the pixels is this machine's own, as the folder is.
constexpr quint32 Magic = 0x5A505058; // "ZPPX"
// Raised when the pictures are drawn differently from the same artwork.
constexpr int DrawingVersion = 1;

struct Header
{
    quint32 magic;
    quint32 width;
    quint32 height;
    quint32 bytesPerLine;
};

QString prefix()
{
    return QStringLiteral("%1.%2-").arg(QLatin1String(ArtworkVersion)).arg(DrawingVersion);
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
    return QStringLiteral("%1/%2%3-%4x%5-%6.pixels")
        .arg(m_folder, prefix(), name)
        .arg(size.width())
        .arg(size.height())
        .arg(ground, 8, 16, QLatin1Char('0'));
}

QImage PictureCache::find(const QString &name, QSize size, const QColor &background) const
{
    if (m_folder.isEmpty() || size.isEmpty())
        return {};
    QFile file(filePath(name, size, background));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    Header header {};
    const qint64 bytes = image.sizeInBytes();
    // A file cut short, or of another size than its name says, is drawn again.
    if (file.size() != qint64(sizeof header) + bytes
        || file.read(reinterpret_cast<char *>(&header), sizeof header) != sizeof header
        || header.magic != Magic || header.width != quint32(size.width())
        || header.height != quint32(size.height())
        || header.bytesPerLine != quint32(image.bytesPerLine())
        || file.read(reinterpret_cast<char *>(image.bits()), bytes) != bytes)
        return {};
    return image;
}

void PictureCache::insert(const QString &name, const QImage &image, const QColor &background) const
{
    if (m_folder.isEmpty() || image.isNull()
        || image.format() != QImage::Format_ARGB32_Premultiplied || !QDir().mkpath(m_folder))
        return;
    const Header header {
        Magic, quint32(image.width()), quint32(image.height()), quint32(image.bytesPerLine())};
    const QString path = filePath(name, image.size(), background);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char *>(&header), sizeof header) != sizeof header
        || file.write(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes())
            != image.sizeInBytes()
        || !file.commit())
        return;
    clearAway(path);
}

// Only pictures of the artwork this program draws are kept: the one just written, and of
// the others the newest.
void PictureCache::clearAway(const QString &written) const
{
    QDir folder(m_folder);
    const QFileInfoList files = folder.entryInfoList(
        {QStringLiteral("*.pixels")}, QDir::Files, QDir::Time); // newest first
    const QFileInfo writtenFile(written);
    int kept = 1;
    qint64 bytes = writtenFile.size();
    for (const QFileInfo &file : files) {
        if (file.fileName() == writtenFile.fileName())
            continue;
        if (file.fileName().startsWith(prefix()) && kept < MaxFiles
            && bytes + file.size() <= MaxBytes) {
            ++kept;
            bytes += file.size();
        } else {
            QFile::remove(file.filePath());
        }
    }
}
