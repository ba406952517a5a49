// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "layout.h"

#include <QGraphicsObject>
#include <QPixmap>

// A chart picture stretched to its rectangle, without keeping the aspect ratio. It is drawn
// in the device pixels it covers when it first appears, and again only when that size
// changes, so a redraw only copies it.
class PictureCache;

class PictureItem : public QGraphicsObject
{
    Q_OBJECT

public:
    // row must outlive the item, as the rows of the layout tables do.
    // Pictures drawn before at the same size are taken from cache, when there is one.
    PictureItem(const Layout::Row &row, QGraphicsItem *parent, const PictureCache *cache = nullptr);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // The device pixels the picture paints over completely under this transform; empty when
    // some of what lies beneath shows through it.
    QRect coveredDeviceRect(const QTransform &toDevice) const;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;

private:
    QRect drawnDeviceRect(const QTransform &toDevice) const;
    QColor panelFillUnder(const QTransform &toDevice) const;
    void stretch(QSize size, const QColor &background);
    void paintStandIn(QPainter *painter);

    const Layout::Row &m_row;
    const PictureCache *m_cache;
    bool m_hasArtwork = false;
    QPixmap m_stretched; // the picture at the size of its rectangle on the screen
    QColor m_background; // what m_stretched was laid on; invalid: nothing (transparent)
    QList<QPair<QRectF, QString>> m_tiles; // hit areas over the picture, in picture units
};
