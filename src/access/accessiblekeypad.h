// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QList>
#include <QRect>
#include <QStringView>
#include <optional>

class HitAreaItem;

// What the keypad's accessible interfaces ask of the window they belong to: its controls
// on offer, where it draws them, where the keyboard is, and the toggles' state.
class AccessibleKeypad
{
public:
    virtual ~AccessibleKeypad() = default;

    // The controls of the screen that is shown, in reading order.
    virtual QList<QObject *> accessibleChildren() const = 0;
    // The hit area the keyboard is on, or null.
    virtual HitAreaItem *keyboardArea() const = 0;
    // Where the window draws an item, in screen pixels.
    virtual QRect globalRect(const QGraphicsItem *item) const = 0;
    // Whether the pair a toggle swaps shows its alternate panel; nothing for another control.
    virtual std::optional<bool> alternateShown(QStringView toggle) const = 0;

    // The window that shows this item's scene, or null.
    static QGraphicsView *viewOf(const QGraphicsItem *item)
    {
        if (!item || !item->scene() || item->scene()->views().isEmpty())
            return nullptr;
        return item->scene()->views().constFirst();
    }
    // The keypad whose window shows this item's scene, or null.
    static AccessibleKeypad *of(const QGraphicsItem *item)
    {
        return dynamic_cast<AccessibleKeypad *>(viewOf(item));
    }
};
