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

    // A panel may copy the picture along with its own look, and the picture then draws
    // nothing itself. It may when the picture has artwork and is shown plainly.
    bool mayBeDrawnByPanel() const;
    // The picture as drawn for this transform and its place in device pixels; null when
    // there is no artwork to draw.
    QPixmap devicePixmap(const QTransform &toDevice, QRect *at);
    void setDrawnByPanel(bool drawn) { m_drawnByPanel = drawn; }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    QRect drawnDeviceRect(const QTransform &toDevice) const;
    QColor panelFillUnder(const QTransform &toDevice) const;
    QRect placeOnPanel(const QTransform &toDevice, QSize *panelSize) const;
    void layOnPanel(const QTransform &toDevice, const QRect &drawn);
    void stretch(QSize size, const QColor &background);
    void paintStandIn(QPainter *painter);

    const Layout::Row &m_row;
    const PictureCache *m_cache;
    bool m_hasArtwork = false;
    bool m_drawnByPanel = false;
    QPixmap m_stretched; // the picture at the size of its rectangle on the screen
    QColor m_background; // what m_stretched was laid on; invalid: nothing (transparent)
    QRect m_place; // where m_stretched lies on its panel's fill and outline, laid on them
    QSize m_panelSize; // the size of that fill
    QList<QPair<QRectF, QString>> m_tiles; // hit areas over the picture, in picture units
};
