// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "backdrop.h"
#include "layout.h"

#include <QGraphicsObject>
#include <QList>
#include <QPixmap>

class PictureItem;

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
    bool showsOnlyItself(const QTransform &toDevice, const QRect &area) const override;
    void paintBeneath(
        QPainter *painter, const QTransform &toDevice, const QRect &area) const override;

    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }
    void setScale(float x, float y);

    // Off, every redraw works its look out afresh, each picture draws itself, and none is laid
    // on its panel's outline: what the kept look must match.
    static void setKeepsLooks(bool keep);
    static bool keepsLooks();
    bool keepsLook() const override { return keepsLooks(); }

    // The scene repaints the area that changed by itself.
    void childLookChanged() override;

protected:
    // A press on a panel's own surface ends here: it must not reach what lies beneath.
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    // What a redraw paints, in device pixels, for one device transform.
    struct Look
    {
        bool valid = false;
        QTransform toDevice;
        QList<QRect> fills; // the fill its panels and opaque pictures leave uncovered
        QList<QRect> edges; // the outline, as one-pixel rectangles
        QList<QPair<QPoint, QPixmap>> pictures; // pictures the panel draws for them
    };

    void workOutLook(const QTransform &toDevice, bool drawPictures);
    QList<QRect> outlineDeviceRects(const QTransform &toDevice) const;
    QRect pointerDeviceRect(const QTransform &toDevice) const;
    bool mayDrawPicture(const PictureItem *picture, const QRect &deviceRect,
        const QList<QRect> &drawnEarlier) const;
    void releasePictures();
    void paintInDevicePixels(QPainter *painter, const QTransform &toDevice);
    void paintPointer(QPainter *painter);
    void paintPointerInDevicePixels(QPainter *painter, const QTransform &toDevice);

    QSizeF m_size;
    Layout::Style m_style;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
    QPixmap m_pointer; // a callout's pointer, drawn for m_pointerTransform
    QTransform m_pointerTransform;
    Look m_look;
    QList<PictureItem *> m_drawnPictures; // the pictures m_look draws, which then draw nothing
};
