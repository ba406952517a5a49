#include "pictureitem.h"

#include "backdrop.h"

#include <QFile>
#include <QGraphicsSceneMouseEvent>
#include <QImageReader>
#include <QPainter>

PictureItem::PictureItem(const Layout::Row &row, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_row(row)
{
    const QString name = QString::fromLatin1(row.name);
    setObjectName(name);
    setPos(row.rect.topLeft());
    setVisible(row.visible);
    setAcceptedMouseButtons(Qt::LeftButton);

    // Most pictures sit on alternate panels and other screens: decoding them all would
    // hold up the first frame for pictures nobody sees yet.
    const QString path = QStringLiteral(":/assets/%1.png").arg(name);
    if (QFile::exists(path))
        m_path = path;
    else
        setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

QRectF PictureItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_row.rect.size());
}

QRect PictureItem::drawnDeviceRect(const QTransform &toDevice) const
{
    // In whole pixels, and the size from the size alone, so that a move never stretches again.
    const QRectF mapped = toDevice.mapRect(boundingRect());
    return QRect(QPoint(qRound(mapped.left()), qRound(mapped.top())),
        QSize(qRound(mapped.width()), qRound(mapped.height())));
}

// The artwork's tiles have transparent corners. A picture that lies wholly on its panel's
// fill, inside the panel's outline, is laid on that colour when it is stretched: it then
// covers its rectangle, the panel need not fill beneath it, and a redraw copies it instead of
// blending it.
QColor PictureItem::panelFillUnder(const QTransform &toDevice) const
{
    const auto *panel = dynamic_cast<const Backdrop *>(parentItem());
    if (!panel || toDevice.type() > QTransform::TxScale || !transform().isIdentity())
        return {};
    const QTransform panelToDevice = QTransform::fromTranslate(-pos().x(), -pos().y()) * toDevice;
    const QRect inside = panel->filledDeviceRect(panelToDevice).adjusted(1, 1, -1, -1);
    return inside.contains(drawnDeviceRect(toDevice)) ? panel->fillColour() : QColor();
}

QRect PictureItem::coveredDeviceRect(const QTransform &toDevice) const
{
    if (m_path.isEmpty() || !panelFillUnder(toDevice).isValid())
        return {};
    return drawnDeviceRect(toDevice);
}

void PictureItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QTransform transform = painter->worldTransform();
    const QRect drawn = drawnDeviceRect(transform);
    const QColor background = panelFillUnder(transform);
    if (!m_path.isEmpty() && (m_stretched.size() != drawn.size() || m_background != background))
        stretch(drawn.size(), background);
    if (m_stretched.isNull()) {
        if (m_path.isEmpty())
            paintStandIn(painter);
        return;
    }
    if (transform.type() > QTransform::TxScale) {
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(boundingRect(), m_stretched, m_stretched.rect());
        return;
    }
    painter->resetTransform();
    painter->drawPixmap(drawn.topLeft(), m_stretched);
    painter->setWorldTransform(transform);
}

// Kept here, not in the scene's item cache: that cache has a small budget shared by all
// items, which a large screen overflows, and then every redraw stretches again. The decoded
// bitmap is dropped, as the window takes its size once. The painter's bilinear stretch of a
// premultiplied bitmap takes about half the time of QImage::scaled().
void PictureItem::stretch(QSize size, const QColor &background)
{
    m_stretched = QPixmap();
    m_background = background;
    if (size.isEmpty())
        return;
    const QImage bitmap
        = QImageReader(m_path).read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) {
        m_path.clear();
        return;
    }
    m_stretched = QPixmap(size);
    m_stretched.fill(background.isValid() ? background : QColor(Qt::transparent));
    QPainter stretcher(&m_stretched);
    stretcher.setRenderHint(QPainter::SmoothPixmapTransform);
    stretcher.drawImage(m_stretched.rect(), bitmap, bitmap.rect());
}

// Without artwork the picture still shows where each sign can be pressed.
void PictureItem::paintStandIn(QPainter *painter)
{
    if (m_tiles.isEmpty() && m_row.parent) {
        for (const Layout::Row &other : Layout::rows()) {
            if (other.kind == Layout::Kind::SpeedButton && other.parent
                && qstrcmp(other.parent, m_row.parent) == 0 && m_row.rect.intersects(other.rect)) {
                m_tiles.append({other.rect.translated(-m_row.rect.topLeft()),
                    QString::fromLatin1(other.name)});
            }
        }
    }
    painter->setRenderHint(QPainter::Antialiasing);
    QFont font = painter->font();
    font.setPixelSize(9);
    painter->setFont(font);
    for (const auto &[rect, name] : std::as_const(m_tiles)) {
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
