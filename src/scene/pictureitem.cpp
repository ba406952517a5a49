// SPDX-License-Identifier: GPL-3.0-or-later

#include "pictureitem.h"

#include "artwork.h"
#include "backdrop.h"
#include "devicepixels.h"
#include "picturecache.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>

PictureItem::PictureItem(const Layout::Row &row, QGraphicsItem *parent, const PictureCache *cache)
    : QGraphicsObject(parent)
    , m_row(row)
    , m_cache(cache)
{
    const QString name = QString::fromLatin1(row.name);
    setObjectName(name);
    setPos(row.rect.topLeft());
    setVisible(row.visible);
    setAcceptedMouseButtons(Qt::LeftButton);
    // Its panel's look depends on where it is and how large.
    setFlag(ItemSendsGeometryChanges);

    // Most pictures sit on alternate panels and other screens: drawing them all would hold
    // up the first frame for pictures nobody sees yet.
    m_hasArtwork = Artwork::exists(name);
    if (!m_hasArtwork)
        setCacheMode(QGraphicsItem::DeviceCoordinateCache);
}

QRectF PictureItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_row.rect.size());
}

QRect PictureItem::drawnDeviceRect(const QTransform &toDevice) const
{
    return sizedDeviceRect(toDevice, boundingRect());
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

// A picture that lies on its panel's outline too, with nothing but the panel's fill and
// outline beneath it, is laid on them: it then covers its rectangle all the same. Where it lies
// relative to the panel's fill says where the outline crosses it.
QRect PictureItem::placeOnPanel(const QTransform &toDevice, QSize *panelSize) const
{
    // Without kept looks the picture is drawn over the outline, as a check on laying it on.
    const auto *panel = dynamic_cast<const Backdrop *>(parentItem());
    if (!panel || toDevice.type() > QTransform::TxScale || !transform().isIdentity()
        || !panel->keepsLook())
        return {};
    const QTransform panelToDevice = QTransform::fromTranslate(-pos().x(), -pos().y()) * toDevice;
    const QRect drawn = drawnDeviceRect(toDevice);
    if (!panel->showsOnlyItself(panelToDevice, drawn))
        return {};
    const QRect filled = panel->filledDeviceRect(panelToDevice);
    *panelSize = filled.size();
    return drawn.translated(-filled.topLeft());
}

void PictureItem::layOnPanel(const QTransform &toDevice, const QRect &drawn)
{
    const auto *panel = dynamic_cast<const Backdrop *>(parentItem());
    const QTransform panelToDevice = QTransform::fromTranslate(-pos().x(), -pos().y()) * toDevice;
    QImage laid(drawn.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&laid);
    painter.translate(-drawn.topLeft());
    panel->paintBeneath(&painter, panelToDevice, drawn);
    painter.drawPixmap(drawn.topLeft(), m_stretched);
    painter.end();
    m_stretched = QPixmap::fromImage(std::move(laid));
}

QRect PictureItem::coveredDeviceRect(const QTransform &toDevice) const
{
    if (!m_hasArtwork)
        return {};
    QSize panelSize;
    if (!panelFillUnder(toDevice).isValid() && placeOnPanel(toDevice, &panelSize).isNull())
        return {};
    return drawnDeviceRect(toDevice);
}

bool PictureItem::mayBeDrawnByPanel() const
{
    return m_hasArtwork && transform().isIdentity() && opacity() >= 1.0;
}

QPixmap PictureItem::devicePixmap(const QTransform &toDevice, QRect *at)
{
    if (!m_hasArtwork || toDevice.type() > QTransform::TxScale)
        return {};
    const QRect drawn = drawnDeviceRect(toDevice);
    const QColor background = panelFillUnder(toDevice);
    QSize panelSize;
    const QRect place = background.isValid() ? QRect() : placeOnPanel(toDevice, &panelSize);
    if (m_stretched.size() != drawn.size() || m_background != background || m_place != place
        || m_panelSize != panelSize) {
        stretch(drawn.size(), background);
        if (!m_stretched.isNull() && !place.isNull())
            layOnPanel(toDevice, drawn);
        m_place = place;
        m_panelSize = panelSize;
    }
    *at = drawn;
    return m_stretched;
}

// Drawn in device pixels, the device pixel ratio of a high-density screen included: the
// device transform, not the world transform, says how many pixels the picture covers.
void PictureItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_drawnByPanel)
        return;
    if (!m_hasArtwork) {
        paintStandIn(painter);
        return;
    }
    const QTransform toDevice = painter->deviceTransform();
    if (toDevice.type() > QTransform::TxScale) {
        // Turned or sheared (never by the keypad itself): through the painter's transform.
        const QPixmap picture
            = QPixmap::fromImage(Artwork::load(objectName(), m_row.bitmap).render(m_row.bitmap));
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(boundingRect(), picture, picture.rect());
        return;
    }
    QRect drawn;
    const QPixmap picture = devicePixmap(toDevice, &drawn);
    if (picture.isNull())
        return;
    const DevicePixelScope inDevicePixels(painter);
    painter->drawPixmap(drawn.topLeft(), picture);
}

QVariant PictureItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    Backdrop::childChanged(this, change);
    return QGraphicsObject::itemChange(change, value);
}

// Kept here, not in the scene's item cache: that cache has a small budget shared by all
// items, which a large screen overflows, and then every redraw draws again. The drawing
// commands are dropped once drawn, as the window takes its size once.
void PictureItem::stretch(QSize size, const QColor &background)
{
    m_stretched = QPixmap();
    m_background = background;
    if (size.isEmpty())
        return;
    const QString name = objectName();
    QImage drawn = m_cache ? m_cache->find(name, size, background) : QImage();
    if (drawn.isNull()) {
        const Artwork artwork = Artwork::load(name, m_row.bitmap);
        if (artwork.isNull()) {
            m_hasArtwork = false;
            return;
        }
        drawn = artwork.render(size, background);
        if (m_cache)
            m_cache->insert(name, drawn, background);
    }
    m_stretched = QPixmap::fromImage(std::move(drawn));
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
