#include "panelitem.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPainterPath>

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
    const QRectF r = boundingRect().adjusted(0.5, 0.5, -0.5, -0.5);
    painter->setPen(QPen(Border, 0));
    if (m_style != Layout::Style::Callout) {
        painter->setBrush(PlainFill);
        painter->drawRect(r);
        return;
    }
    painter->setRenderHint(QPainter::Antialiasing);
    const qreal mid = r.center().x();
    const qreal top = r.top() + PointerLength;
    QPainterPath outline;
    outline.moveTo(r.left(), top);
    outline.lineTo(mid - PointerWidth / 2, top);
    outline.lineTo(mid, r.top());
    outline.lineTo(mid + PointerWidth / 2, top);
    outline.lineTo(r.right(), top);
    outline.lineTo(r.right(), r.bottom());
    outline.lineTo(r.left(), r.bottom());
    outline.closeSubpath();
    painter->setBrush(CalloutFill);
    painter->drawPath(outline);
}

void PanelItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}
