#pragma once

#include "layout.h"

#include <QGraphicsObject>

// A screen or a panel inside one. Its scale multiplies its drawing and its hit testing,
// each axis on its own, about its top-left corner.
class PanelItem : public QGraphicsObject
{
    Q_OBJECT

public:
    PanelItem(const Layout::Row &row, QGraphicsItem *parent);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    QSizeF size() const { return m_size; }
    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }
    void setScale(float x, float y);

protected:
    // A press on a panel's own surface ends here: it must not reach what lies beneath.
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;

private:
    QSizeF m_size;
    Layout::Style m_style;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
};
