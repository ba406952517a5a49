#pragma once

#include "layout.h"

#include <QGraphicsObject>
#include <QPixmap>

// A chart picture: its bitmap stretched to its rectangle, without keeping the aspect
// ratio. The scene caches the stretched result per window size, so a redraw only copies it.
class PictureItem : public QGraphicsObject
{
    Q_OBJECT

public:
    PictureItem(const Layout::Row &row, QGraphicsItem *parent);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    bool hasArtwork() const { return !m_pixmap.isNull(); }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;

private:
    void paintStandIn(QPainter *painter) const;

    QSizeF m_size;
    QPixmap m_pixmap;
    QList<QPair<QRectF, QString>> m_tiles; // hit areas over the picture, in picture units
};
