// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypadapplicationaccessible.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QWindow>

QList<QAccessibleInterface *> KeypadApplicationAccessible::windows()
{
    QList<QAccessibleInterface *> list;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->type() == Qt::Popup || window->type() == Qt::Desktop)
            continue;
        QAccessibleInterface *root = window->accessibleRoot();
        if (!root || !root->object())
            continue;
        auto *button = qobject_cast<QAbstractButton *>(root->object());
        if (button && button->graphicsProxyWidget())
            continue;
        list << root;
    }
    return list;
}

int KeypadApplicationAccessible::childCount() const
{
    return int(windows().size());
}

QAccessibleInterface *KeypadApplicationAccessible::child(int index) const
{
    return windows().value(index);
}

int KeypadApplicationAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return int(windows().indexOf(child));
}
