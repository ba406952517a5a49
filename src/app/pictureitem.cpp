#include "pictureitem.h"

#include <QFile>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

PictureItem::PictureItem(const Layout::Row &row, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_size(row.rect.size())
{
    const QString name = QString::fromLatin1(row.name);
    setObjectName(name);
    setPos(row.rect.topLeft());
    setVisible(row.visible);
    setAcceptedMouseButtons(Qt::LeftButton);
    setCacheMode(QGraphicsItem::DeviceCoordinateCache);

    const QString path = QStringLiteral(":/assets/%1.png").arg(name);
    if (QFile::exists(path))
        m_pixmap.load(path);

    if (m_pixmap.isNull() && row.parent) {
        // Without artwork the picture still shows where each sign can be pressed.
        for (const Layout::Row &other : Layout::rows()) {
            if (other.kind == Layout::Kind::SpeedButton && other.parent
                && qstrcmp(other.parent, row.parent) == 0 && row.rect.intersects(other.rect)) {
                m_tiles.append(
                    {other.rect.translated(-row.rect.topLeft()), QString::fromLatin1(other.name)});
            }
        }
    }
}

QRectF PictureItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size);
}

void PictureItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (!m_pixmap.isNull()) {
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(boundingRect(), m_pixmap, m_pixmap.rect());
        return;
    }
    paintStandIn(painter);
}

void PictureItem::paintStandIn(QPainter *painter) const
{
    painter->setRenderHint(QPainter::Antialiasing);
    QFont font = painter->font();
    font.setPixelSize(9);
    painter->setFont(font);
    for (const auto &[rect, name] : m_tiles) {
        painter->setPen(QColor(0xB0, 0xB0, 0xB0));
        painter->setBrush(QColor(0xFF, 0xFF, 0xF4));
        painter->drawRoundedRect(rect.adjusted(1, 1, -1, -1), 4, 4);
        painter->setPen(QColor(0x50, 0x50, 0x50));
        painter->drawText(rect, Qt::AlignCenter, name);
    }
}

void PictureItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}
