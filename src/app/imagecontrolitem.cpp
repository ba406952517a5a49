#include "imagecontrolitem.h"

#include <QFile>
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
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    const QString path = QStringLiteral(":/assets/%1.png").arg(name);
    if (QFile::exists(path))
        m_pixmap.load(path);
}

QRectF ImageControlItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size);
}

void ImageControlItem::setBitmap(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    update();
}

void ImageControlItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_pixmap.isNull())
        return;
    QSizeF fitted = m_pixmap.size();
    fitted.scale(m_size, Qt::KeepAspectRatio);
    const QRectF target(
        QPointF((m_size.width() - fitted.width()) / 2, (m_size.height() - fitted.height()) / 2),
        fitted);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(target, m_pixmap, m_pixmap.rect());
}
