// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypadviewaccessible.h"

#include "hitareaitem.h"
#include "tmainclient.h"

#include <QGraphicsItem>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>

KeypadViewAccessible::KeypadViewAccessible(TMainClient *window)
    : QAccessibleWidget(window, QAccessible::Window)
{ }

TMainClient *KeypadViewAccessible::keypadWindow() const
{
    return static_cast<TMainClient *>(object());
}

int KeypadViewAccessible::childCount() const
{
    return keypadWindow() ? int(keypadWindow()->accessibleChildren().size()) : 0;
}

QAccessibleInterface *KeypadViewAccessible::child(int index) const
{
    if (!keypadWindow())
        return nullptr;
    return QAccessible::queryAccessibleInterface(keypadWindow()->accessibleChildren().value(index));
}

int KeypadViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!keypadWindow() || !child)
        return -1;
    return int(keypadWindow()->accessibleChildren().indexOf(child->object()));
}

QAccessibleInterface *KeypadViewAccessible::childAt(int x, int y) const
{
    if (!keypadWindow())
        return nullptr;
    for (QObject *control : keypadWindow()->accessibleChildren()) {
        QAccessibleInterface *candidate = QAccessible::queryAccessibleInterface(control);
        if (candidate && candidate->rect().contains(x, y))
            return candidate;
    }
    return nullptr;
}

QAccessibleInterface *KeypadViewAccessible::focusChild() const
{
    const TMainClient *w = keypadWindow();
    if (!w)
        return nullptr;
    if (HitAreaItem *area = w->keyboardArea())
        return QAccessible::queryAccessibleInterface(area);
    if (QGraphicsItem *focus = w->scene()->focusItem(); focus && focus->isWidget()) {
        if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(focus))
            return QAccessible::queryAccessibleInterface(proxy->widget());
    }
    return nullptr;
}
