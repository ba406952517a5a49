// SPDX-License-Identifier: GPL-3.0-or-later
#include "hitareaaccessible.h"

#include "accessiblekeypad.h"
#include "hitareaitem.h"

#include <QGraphicsScene>
#include <QPointer>

HitAreaAccessible::HitAreaAccessible(HitAreaItem *area)
    : QAccessibleObject(area)
{ }

HitAreaItem *HitAreaAccessible::area() const
{
    return static_cast<HitAreaItem *>(object());
}

QAccessibleInterface *HitAreaAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(AccessibleKeypad::viewOf(area()));
}

QString HitAreaAccessible::text(QAccessible::Text t) const
{
    const HitAreaItem *item = area();
    if (!item)
        return {};
    switch (t) {
    case QAccessible::Name:
        return item->accessibleName();
    case QAccessible::Description:
        return item->accessibleDescription();
    default:
        return {};
    }
}

// The areas over the martyria chart's labels send nothing: they are read, not pressed.
QAccessible::Role HitAreaAccessible::role() const
{
    const HitAreaItem *item = area();
    return item && !item->isActionable() ? QAccessible::StaticText : QAccessible::Button;
}

QAccessible::State HitAreaAccessible::state() const
{
    QAccessible::State state;
    const HitAreaItem *item = area();
    if (!item) {
        state.invalid = true;
        return state;
    }
    state.invisible = !item->isVisible();
    state.disabled = !item->isEnabled();
    state.pressed = item->isPressed();
    state.focusable = item->isActionable();
    const AccessibleKeypad *keypad = AccessibleKeypad::of(item);
    state.focused = keypad && keypad->keyboardArea() == item;
    return state;
}

QRect HitAreaAccessible::rect() const
{
    const HitAreaItem *item = area();
    const AccessibleKeypad *keypad = AccessibleKeypad::of(item);
    return keypad ? keypad->globalRect(item) : QRect();
}

void *HitAreaAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList HitAreaAccessible::actionNames() const
{
    const HitAreaItem *item = area();
    if (!item || !item->isActionable() || !item->isVisible())
        return {};
    return {pressAction()};
}

// Later, not now: a press may show a modal message, and the assistive technology that asked
// for it would wait for its answer until the message is dismissed.
void HitAreaAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction() || !actionNames().contains(actionName))
        return;
    QPointer<HitAreaItem> item = area();
    QMetaObject::invokeMethod(
        item,
        [item] {
            if (item && item->isVisible())
                item->click();
        },
        Qt::QueuedConnection);
}

QStringList HitAreaAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != pressAction() || actionNames().isEmpty())
        return {};
    return {QStringLiteral("Space"), QStringLiteral("Return")};
}
