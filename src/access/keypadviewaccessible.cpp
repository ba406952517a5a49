// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypadviewaccessible.h"

#include "accessiblekeypad.h"
#include "hitareaitem.h"

#include <QGraphicsItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>

KeypadViewAccessible::KeypadViewAccessible(QGraphicsView *window)
    : QAccessibleWidget(window, QAccessible::Window)
{ }

QGraphicsView *KeypadViewAccessible::view() const
{
    return static_cast<QGraphicsView *>(object());
}

const AccessibleKeypad *KeypadViewAccessible::keypad() const
{
    return dynamic_cast<const AccessibleKeypad *>(view());
}

int KeypadViewAccessible::childCount() const
{
    return keypad() ? int(keypad()->accessibleChildren().size()) : 0;
}

QAccessibleInterface *KeypadViewAccessible::child(int index) const
{
    if (!keypad())
        return nullptr;
    return QAccessible::queryAccessibleInterface(keypad()->accessibleChildren().value(index));
}

int KeypadViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!keypad() || !child)
        return -1;
    return int(keypad()->accessibleChildren().indexOf(child->object()));
}

QAccessibleInterface *KeypadViewAccessible::childAt(int x, int y) const
{
    if (!keypad())
        return nullptr;
    for (QObject *control : keypad()->accessibleChildren()) {
        QAccessibleInterface *candidate = QAccessible::queryAccessibleInterface(control);
        if (candidate && candidate->rect().contains(x, y))
            return candidate;
    }
    return nullptr;
}

QAccessibleInterface *KeypadViewAccessible::focusChild() const
{
    const AccessibleKeypad *w = keypad();
    if (!w)
        return nullptr;
    if (HitAreaItem *area = w->keyboardArea())
        return QAccessible::queryAccessibleInterface(area);
    if (QGraphicsItem *focus = view()->scene()->focusItem(); focus && focus->isWidget()) {
        if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(focus))
            return QAccessible::queryAccessibleInterface(proxy->widget());
    }
    return nullptr;
}
