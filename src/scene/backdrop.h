// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QRect>
#include <QTransform>

class QPainter;

// What a picture lies on: a plain fill of one colour over a known area. A picture that lies
// wholly inside it can be laid on that colour instead of being blended over it.
class Backdrop
{
public:
    virtual ~Backdrop() = default;

    // The device pixels the fill covers under this transform of the backdrop's own units.
    virtual QRect filledDeviceRect(const QTransform &toDevice) const = 0;
    virtual QColor fillColour() const = 0;

    // Whether all that shows over these device pixels is the backdrop's own fill and outline,
    // and painting that there: a picture that lies partly on the outline is laid on it.
    virtual bool showsOnlyItself(const QTransform &toDevice, const QRect &area) const = 0;
    virtual void paintBeneath(
        QPainter *painter, const QTransform &toDevice, const QRect &area) const = 0;

    // Whether the backdrop keeps its look between redraws; a picture is laid on it only then.
    virtual bool keepsLook() const = 0;
    // A child was shown, hidden, moved or scaled: the look is worked out again at the next
    // redraw.
    virtual void childLookChanged() = 0;

    // Called by a child's itemChange: tells the backdrop it lies on, if any, when the change
    // is one that alters the backdrop's look.
    static void childChanged(const QGraphicsItem *child, QGraphicsItem::GraphicsItemChange change)
    {
        switch (change) {
        case QGraphicsItem::ItemVisibleHasChanged:
        case QGraphicsItem::ItemPositionHasChanged:
        case QGraphicsItem::ItemTransformHasChanged:
        case QGraphicsItem::ItemOpacityHasChanged:
            if (auto *backdrop = dynamic_cast<Backdrop *>(child->parentItem()))
                backdrop->childLookChanged();
            break;
        default:
            break;
        }
    }
};
