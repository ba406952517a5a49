// SPDX-License-Identifier: GPL-3.0-or-later

#include "picturegeometry.h"

namespace PictureGeometry {

QList<const Layout::Row *> hitAreas(const Layout::Row &picture)
{
    QList<const Layout::Row *> areas;
    if (!picture.parent)
        return areas;
    for (const Layout::Row &row : Layout::rows()) {
        const bool hitArea = row.kind == Layout::Kind::SpeedButton
            || (row.kind == Layout::Kind::Button && row.style == Layout::Style::TransparentCircle);
        if (hitArea && row.parent && qstrcmp(row.parent, picture.parent) == 0
            && row.rect.intersects(picture.rect)) {
            areas.append(&row);
        }
    }
    return areas;
}

QRectF toPixels(const Layout::Row &picture, const QRectF &rect)
{
    const qreal sx = picture.bitmap.width() / picture.rect.width();
    const qreal sy = picture.bitmap.height() / picture.rect.height();
    return {(rect.x() - picture.rect.x()) * sx, (rect.y() - picture.rect.y()) * sy,
        rect.width() * sx, rect.height() * sy};
}

QPointF unitsPerPixel(const Layout::Row &picture)
{
    QPointF units(picture.rect.width() / picture.bitmap.width() * picture.scale.x(),
        picture.rect.height() / picture.bitmap.height() * picture.scale.y());
    for (const Layout::Row *container = Layout::find(QString::fromLatin1(picture.parent));
         container; container = Layout::find(QString::fromLatin1(container->parent))) {
        units.rx() *= container->scale.x();
        units.ry() *= container->scale.y();
    }
    return units;
}

} // namespace PictureGeometry
