// SPDX-License-Identifier: GPL-3.0-or-later

#include "panelitem.h"

#include "devicepixels.h"
#include "pictureitem.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

namespace {
constexpr qreal PointerWidth = 23;
constexpr qreal PointerLength = 11;
const QColor CalloutFill(0xEE, 0xEE, 0xEE);
const QColor PlainFill(0xF4, 0xF4, 0xF4);
const QColor Border(0xA0, 0xA0, 0xA0);

bool keepLooks = true;

// A rectangle in whole device pixels, each edge rounded on its own, so that rectangles sharing
// an edge in design units share it on the screen too.
QRect toDevicePixels(const QTransform &toDevice, const QRectF &rect)
{
    const QRectF mapped = toDevice.mapRect(rect);
    return QRect(QPoint(qRound(mapped.left()), qRound(mapped.top())),
        QPoint(qRound(mapped.right()) - 1, qRound(mapped.bottom()) - 1));
}
} // namespace

PanelItem::PanelItem(const Layout::Row &row, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_size(row.rect.size())
    , m_style(row.style)
{
    setObjectName(QString::fromLatin1(row.name));
    setPos(row.rect.topLeft());
    setScale(float(row.scale.x()), float(row.scale.y()));
    setVisible(row.visible);
    setAcceptedMouseButtons(Qt::LeftButton);
    // Its parent's look depends on where it is and how large.
    setFlag(ItemSendsGeometryChanges);
    // Every control lies inside its panel (where a panel overhangs the window, the overhang
    // is off the screen), so a press or a redraw can pass over a panel's contents as a whole.
    // Without this a press tests hundreds of items one by one.
    setFlag(ItemContainsChildrenInShape);
}

void PanelItem::setScale(float x, float y)
{
    m_scaleX = x;
    m_scaleY = y;
    setTransform(QTransform::fromScale(x, y));
}

QRectF PanelItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_size);
}

QRectF PanelItem::filledRect() const
{
    const QRectF r = boundingRect();
    if (m_style != Layout::Style::Callout)
        return r;
    return r.adjusted(0, PointerLength, 0, 0);
}

QColor PanelItem::fillColour() const
{
    return m_style == Layout::Style::Callout ? CalloutFill : PlainFill;
}

QRect PanelItem::filledDeviceRect(const QTransform &toDevice) const
{
    return toDevicePixels(toDevice, filledRect());
}

void PanelItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    // The device transform: on a high-density screen it holds the device pixel ratio too.
    const QTransform toDevice = painter->deviceTransform();
    if (toDevice.type() <= QTransform::TxScale) {
        paintInDevicePixels(painter, toDevice);
        return;
    }
    // Turned or sheared (never by the keypad itself): plainly, in the panel's own units, and
    // the pictures draw themselves.
    releasePictures();
    m_look = {};
    painter->fillRect(filledRect(), fillColour());
    painter->setPen(QPen(Border, 0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(filledRect().adjusted(0.5, 0.5, -0.5, -0.5));
    paintPointer(painter);
}

void PanelItem::setKeepsLooks(bool keep)
{
    keepLooks = keep;
}

bool PanelItem::keepsLooks()
{
    return keepLooks;
}

void PanelItem::childLookChanged()
{
    m_look.valid = false;
}

QVariant PanelItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    switch (change) {
    case ItemChildAddedChange:
        m_look.valid = false;
        break;
    case ItemChildRemovedChange:
        // The child may be on its way to deletion: it is forgotten, not touched.
        m_drawnPictures.removeAll(value.value<QGraphicsItem *>());
        m_look = {};
        break;
    default:
        childChanged(this, change);
        break;
    }
    return QGraphicsObject::itemChange(change, value);
}

// Panels cover the window several times over, and a full redraw paints them all again. So a
// panel fills only what its own panels and pictures leave uncovered, and draws its outline as
// one-pixel rectangles: the painter's scaled one-pixel lines would go through its general
// stroker. Only a callout's small pointer, the one slanted edge, is drawn antialiased.
//
// Working that out walks the children, and a redraw walks hundreds of items besides; so it is
// kept until a child is shown, hidden, moved or scaled, or the panel's device transform
// changes, and the panel copies its pictures itself, which then cost the redraw nothing.
void PanelItem::paintInDevicePixels(QPainter *painter, const QTransform &toDevice)
{
    if (!keepLooks || !m_look.valid || m_look.toDevice != toDevice)
        workOutLook(toDevice, keepLooks);
    if (!keepLooks)
        m_look.valid = false;

    const DevicePixelScope inDevicePixels(painter);
    const QColor fill = fillColour();
    for (const QRect &r : std::as_const(m_look.fills))
        painter->fillRect(r, fill);
    for (const QRect &edge : std::as_const(m_look.edges))
        painter->fillRect(edge, Border);
    paintPointerInDevicePixels(painter, toDevice);
    for (const auto &[at, picture] : std::as_const(m_look.pictures))
        painter->drawPixmap(at, picture);
}

// A picture is drawn with the panel, before every other child, so only when no child that
// draws itself comes before it and overlaps it. Children that are shown or hidden without
// telling the panel count whether they show or not.
bool PanelItem::mayDrawPicture(
    const PictureItem *picture, const QRect &deviceRect, const QList<QRect> &drawnEarlier) const
{
    if (!picture->mayBeDrawnByPanel())
        return false;
    return std::none_of(drawnEarlier.begin(), drawnEarlier.end(),
        [&deviceRect](const QRect &earlier) { return earlier.intersects(deviceRect); });
}

void PanelItem::workOutLook(const QTransform &toDevice, bool drawPictures)
{
    releasePictures();
    m_look = {};
    m_look.toDevice = toDevice;

    const QRect filled = filledDeviceRect(toDevice);
    QRegion uncovered(filled);
    QList<QRect> drawnEarlier;
    for (QGraphicsItem *child : childItems()) {
        const QTransform childToDevice = child->itemTransform(this) * toDevice;
        auto *panel = dynamic_cast<PanelItem *>(child);
        auto *picture = dynamic_cast<PictureItem *>(child);
        const bool shown = child->isVisible() && child->opacity() >= 1.0;
        if (picture && shown && drawPictures) {
            QRect at;
            const QPixmap drawn = picture->devicePixmap(childToDevice, &at);
            if (!drawn.isNull() && mayDrawPicture(picture, at, drawnEarlier)) {
                m_look.pictures.append({at.topLeft(), drawn});
                m_drawnPictures.append(picture);
                picture->setDrawnByPanel(true);
                uncovered -= picture->coveredDeviceRect(childToDevice);
                continue;
            }
        }
        if (shown && panel)
            uncovered -= panel->filledDeviceRect(childToDevice);
        else if (shown && picture)
            uncovered -= picture->coveredDeviceRect(childToDevice);
        if (shown || (!panel && !picture)) {
            drawnEarlier.append(
                childToDevice.mapRect(child->boundingRect() | child->childrenBoundingRect())
                    .toAlignedRect());
        }
    }
    for (const QRect &r : uncovered)
        m_look.fills.append(r);
    m_look.edges = outlineDeviceRects(toDevice);
    m_look.valid = true;
}

// The outline as one-pixel rectangles, with a gap in a callout's top edge where its pointer
// stands.
QList<QRect> PanelItem::outlineDeviceRects(const QTransform &toDevice) const
{
    const QRect filled = filledDeviceRect(toDevice);
    const int gapLeft = m_style == Layout::Style::Callout
        ? qRound(toDevice.map(QPointF(m_size.width() / 2 - PointerWidth / 2, 0)).x())
        : filled.right();
    const int gapRight = m_style == Layout::Style::Callout
        ? qRound(toDevice.map(QPointF(m_size.width() / 2 + PointerWidth / 2, 0)).x())
        : filled.right() + 1;
    const QRect edges[] = {
        QRect(QPoint(filled.left(), filled.top()), QPoint(gapLeft, filled.top())),
        QRect(QPoint(gapRight, filled.top()), QPoint(filled.right(), filled.top())),
        QRect(QPoint(filled.left(), filled.bottom()), QPoint(filled.right(), filled.bottom())),
        QRect(QPoint(filled.left(), filled.top()), QPoint(filled.left(), filled.bottom())),
        QRect(QPoint(filled.right(), filled.top()), QPoint(filled.right(), filled.bottom())),
    };
    QList<QRect> valid;
    for (const QRect &edge : edges) {
        if (edge.isValid())
            valid.append(edge);
    }
    return valid;
}

QRect PanelItem::pointerDeviceRect(const QTransform &toDevice) const
{
    if (m_style != Layout::Style::Callout)
        return {};
    const qreal mid = m_size.width() / 2;
    const QRectF box(mid - PointerWidth / 2 - 1, 0, PointerWidth + 2, PointerLength + 1);
    return toDevice.mapRect(box).toAlignedRect();
}

bool PanelItem::showsOnlyItself(const QTransform &toDevice, const QRect &area) const
{
    return filledDeviceRect(toDevice).contains(area)
        && !pointerDeviceRect(toDevice).intersects(area);
}

void PanelItem::paintBeneath(QPainter *painter, const QTransform &toDevice, const QRect &area) const
{
    painter->fillRect(area, fillColour());
    for (const QRect &edge : outlineDeviceRects(toDevice))
        painter->fillRect(edge & area, Border);
}

void PanelItem::releasePictures()
{
    for (PictureItem *picture : std::as_const(m_drawnPictures))
        picture->setDrawnByPanel(false);
    m_drawnPictures.clear();
}

// The pointer is antialiased, and drawing an antialiased shape costs as much as filling a
// whole panel; it is drawn once per scale and place, and copied after that.
void PanelItem::paintPointerInDevicePixels(QPainter *painter, const QTransform &toDevice)
{
    if (m_style != Layout::Style::Callout)
        return;
    const QRect device = pointerDeviceRect(toDevice);
    if (m_pointer.isNull() || m_pointerTransform != toDevice) {
        m_pointer = QPixmap(device.size());
        m_pointer.fill(Qt::transparent);
        QPainter pointer(&m_pointer);
        pointer.setTransform(toDevice * QTransform::fromTranslate(-device.left(), -device.top()));
        paintPointer(&pointer);
        m_pointerTransform = toDevice;
    }
    painter->drawPixmap(device.topLeft(), m_pointer);
}

void PanelItem::paintPointer(QPainter *painter)
{
    if (m_style != Layout::Style::Callout)
        return;
    const qreal mid = m_size.width() / 2;
    const QPointF pointer[] = {
        {mid - PointerWidth / 2, PointerLength},
        {mid, 0.5},
        {mid + PointerWidth / 2, PointerLength},
    };
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(CalloutFill);
    painter->drawPolygon(pointer, 3);
    painter->setPen(QPen(Border, 0));
    painter->drawPolyline(pointer, 3);
    painter->restore();
}

void PanelItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}
