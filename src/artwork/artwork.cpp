// SPDX-License-Identifier: GPL-3.0-or-later
#include "artwork.h"

#include "shapelist.h"

#include <QFile>
#include <QPainter>

namespace {

QString pathOf(const QString &name)
{
    return QStringLiteral(":/assets/%1.shapes").arg(name);
}

} // namespace

bool Artwork::exists(const QString &name)
{
    return QFile::exists(pathOf(name));
}

Artwork Artwork::load(const QString &name, QSize designSize)
{
    Artwork artwork;
    QFile file(pathOf(name));
    if (designSize.isEmpty() || !file.open(QIODevice::ReadOnly))
        return artwork;
    if (std::optional<ShapeList> shapes = ShapeList::fromBytes(file.readAll())) {
        artwork.m_picture = std::make_shared<const ShapeList>(std::move(*shapes));
        artwork.m_designSize = designSize;
    }
    return artwork;
}

QImage Artwork::render(QSize size, const QColor &background) const
{
    if (!m_picture || size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background.isValid() ? background : QColor(Qt::transparent));
    QPainter painter(&image);
    painter.scale(
        qreal(size.width()) / m_designSize.width(), qreal(size.height()) / m_designSize.height());
    m_picture->paint(painter);
    painter.end();
    return image;
}
