#pragma once

#include "layout.h"

#include <QGraphicsObject>
#include <QPixmap>

// Shows the picture that an animation paints into it, fitted to its rectangle. It takes no
// presses: they reach the control beneath.
class ImageControlItem : public QGraphicsObject
{
    Q_OBJECT

public:
    ImageControlItem(const Layout::Row &row, QGraphicsItem *parent);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    void setBitmap(const QPixmap &pixmap);
    QPixmap bitmap() const { return m_pixmap; }

private:
    QSizeF m_size;
    QPixmap m_pixmap;
};
