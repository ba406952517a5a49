// SPDX-License-Identifier: GPL-3.0-or-later

#include "hittest.h"

#include <QGraphicsItem>

namespace HitTest {

// Rectangles are compared in scene coordinates, as the scene does, so that an edge shared
// with the pixel under the pointer counts the same.
QGraphicsItem *topmost(const QList<QGraphicsItem *> &siblings, const QRectF &rect)
{
    for (auto it = siblings.crbegin(); it != siblings.crend(); ++it) {
        QGraphicsItem *item = *it;
        if (!item->isVisible() || qFuzzyIsNull(item->opacity()))
            continue;
        const QRectF area = item->sceneTransform().mapRect(item->boundingRect());
        const bool hit = area.intersects(rect);
        const bool keepsChildrenInside = item->flags()
            & (QGraphicsItem::ItemClipsChildrenToShape
                | QGraphicsItem::ItemContainsChildrenInShape);
        if (hit || !keepsChildrenInside) {
            const QRectF childRect = keepsChildrenInside ? rect & area : rect;
            if (QGraphicsItem *child = topmost(item->childItems(), childRect))
                return child;
        }
        if (hit)
            return item;
    }
    return nullptr;
}

} // namespace HitTest
