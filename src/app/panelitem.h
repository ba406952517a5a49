// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "backdrop.h"
#include "layout.h"

#include <QGraphicsObject>
#include <QPixmap>

// A screen or a panel inside one. Its scale multiplies its drawing and its hit testing,
// each axis on its own, about its top-left corner.
class PanelItem : public QGraphicsObject, public Backdrop
{
    Q_OBJECT

public:
    PanelItem(const Layout::Row &row, QGraphicsItem *parent);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    QSizeF size() const { return m_size; }

    // What the panel fills, in its own units: all of it, or for a callout all but the strip
    // its pointer stands in; and the device pixels that become under a painter's transform.
    QRectF filledRect() const;
    QRect filledDeviceRect(const QTransform &toDevice) const override;
    QColor fillColour() const override;

    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }
    void setScale(float x, float y);

protected:
    // A press on a panel's own surface ends here: it must not reach what lies beneath.
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void paintInDevicePixels(QPainter *painter, const QTransform &toDevice);
    void paintPointer(QPainter *painter);
    void paintPointerInDevicePixels(QPainter *painter, const QTransform &toDevice);

    QSizeF m_size;
    Layout::Style m_style;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
    QPixmap m_pointer; // a callout's pointer, drawn for m_pointerTransform
    QTransform m_pointerTransform;
};
