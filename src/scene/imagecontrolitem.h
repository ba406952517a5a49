// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "artwork.h"
#include "layout.h"

#include <QGraphicsObject>
#include <QPixmap>

// Shows the picture that an animation paints into it, fitted to its rectangle, drawn in the
// device pixels it covers. It takes no presses: they reach the control beneath.
class ImageControlItem : public QGraphicsObject
{
    Q_OBJECT

public:
    ImageControlItem(const Layout::Row &row, QGraphicsItem *parent);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    void setArtwork(const Artwork &artwork);
    Artwork artwork() const { return m_artwork; }

private:
    QRectF fittedRect() const;

    QSizeF m_size;
    Artwork m_artwork;
    QPixmap m_drawn; // m_artwork at the device size it last appeared at
};
