// SPDX-License-Identifier: GPL-3.0-or-later

#include "imagecontrolitem.h"

#include "devicepixels.h"

#include <QPainter>

ImageControlItem::ImageControlItem(const Layout::Row &row, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_size(row.rect.size())
{
    const QString name = QString::fromLatin1(row.name);
    setObjectName(name);
    setPos(row.rect.topLeft());
    setVisible(row.visible);
    setAcceptedMouseButtons(Qt::NoButton);
    m_artwork = Artwork::load(name, row.bitmap);
}

QRectF ImageControlItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size);
}

void ImageControlItem::setArtwork(const Artwork &artwork)
{
    if (artwork == m_artwork)
        return;
    m_artwork = artwork;
    m_drawn = QPixmap();
    update();
}

QRectF ImageControlItem::fittedRect() const
{
    QSizeF fitted = m_artwork.designSize();
    fitted.scale(m_size, Qt::KeepAspectRatio);
    return QRectF(
        QPointF((m_size.width() - fitted.width()) / 2, (m_size.height() - fitted.height()) / 2),
        fitted);
}

void ImageControlItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_artwork.isNull())
        return;
    const QTransform toDevice = painter->deviceTransform();
    const QRect drawn = sizedDeviceRect(toDevice, fittedRect());
    if (toDevice.type() > QTransform::TxScale) {
        // Turned or sheared (never by the keypad itself): through the painter's transform.
        const QPixmap picture = QPixmap::fromImage(m_artwork.render(m_artwork.designSize()));
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(fittedRect(), picture, picture.rect());
        return;
    }
    if (m_drawn.size() != drawn.size())
        m_drawn = QPixmap::fromImage(m_artwork.render(drawn.size()));
    const DevicePixelScope inDevicePixels(painter);
    painter->drawPixmap(drawn.topLeft(), m_drawn);
}
