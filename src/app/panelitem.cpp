#include "panelitem.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <iterator>

namespace {
constexpr qreal PointerWidth = 23;
constexpr qreal PointerLength = 11;
const QColor CalloutFill(0xEE, 0xEE, 0xEE);
const QColor PlainFill(0xF4, 0xF4, 0xF4);
const QColor Border(0xA0, 0xA0, 0xA0);
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

void PanelItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    // Panels cover most of the window and are drawn again with every full redraw, so they
    // are plain fills and one-pixel lines: antialiasing an outline of this size costs many
    // times more than the window's own copy to the screen. Only a callout's small pointer,
    // the one slanted edge, is antialiased.
    const QRectF r = boundingRect();
    if (m_style != Layout::Style::Callout) {
        painter->fillRect(r, PlainFill);
        painter->setPen(QPen(Border, 0));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
        return;
    }

    const qreal left = r.left() + 0.5;
    const qreal right = r.right() - 0.5;
    const qreal bottom = r.bottom() - 0.5;
    const qreal top = r.top() + PointerLength;
    const qreal mid = r.center().x();
    painter->fillRect(QRectF(r.left(), top, r.width(), r.height() - PointerLength), CalloutFill);
    painter->setPen(QPen(Border, 0));
    const QLineF edges[] = {
        {left, top, mid - PointerWidth / 2, top},
        {mid + PointerWidth / 2, top, right, top},
        {right, top, right, bottom},
        {right, bottom, left, bottom},
        {left, bottom, left, top},
    };
    painter->drawLines(edges, int(std::size(edges)));

    const QPointF pointer[] = {
        {mid - PointerWidth / 2, top},
        {mid, r.top() + 0.5},
        {mid + PointerWidth / 2, top},
    };
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(CalloutFill);
    painter->drawPolygon(pointer, 3);
    painter->setPen(QPen(Border, 0));
    painter->drawPolyline(pointer, 3);
}

void PanelItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}
