// SPDX-License-Identifier: GPL-3.0-or-later
#include "proxiedbuttonaccessible.h"

#include "accessiblekeypad.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>

namespace {

QAccessible::Role roleOf(const QAbstractButton *button)
{
    return qobject_cast<const QCheckBox *>(button) ? QAccessible::CheckBox : QAccessible::Button;
}

} // namespace

ProxiedButtonAccessible::ProxiedButtonAccessible(QAbstractButton *button)
    : QAccessibleWidget(button, roleOf(button))
{ }

QAbstractButton *ProxiedButtonAccessible::button() const
{
    return static_cast<QAbstractButton *>(object());
}

QGraphicsProxyWidget *ProxiedButtonAccessible::proxy() const
{
    return button() ? button()->graphicsProxyWidget() : nullptr;
}

AccessibleKeypad *ProxiedButtonAccessible::keypad() const
{
    return AccessibleKeypad::of(proxy());
}

QAccessibleInterface *ProxiedButtonAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(AccessibleKeypad::viewOf(proxy()));
}

QString ProxiedButtonAccessible::text(QAccessible::Text t) const
{
    const QAbstractButton *b = button();
    if (b && t == QAccessible::Name) {
        if (!b->accessibleName().isEmpty())
            return b->accessibleName();
        QString caption = b->text();
        return caption.remove(u'&');
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State ProxiedButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QAbstractButton *b = button();
    const QGraphicsProxyWidget *item = proxy();
    if (!b || !item)
        return state;
    state.invisible = !item->isVisible();
    state.offscreen = state.invisible;
    state.focusable = (b->focusPolicy() & Qt::TabFocus) != 0;
    state.focused = b->hasFocus();
    state.pressed = b->isDown();
    if (b->isCheckable()) {
        state.checkable = true;
        state.checked = b->isChecked();
    } else if (const AccessibleKeypad *w = keypad()) {
        if (const std::optional<bool> alternate = w->alternateShown(b->objectName())) {
            state.checkable = true;
            state.checked = *alternate;
        }
    }
    return state;
}

QRect ProxiedButtonAccessible::rect() const
{
    const AccessibleKeypad *w = keypad();
    return w && proxy() ? w->globalRect(proxy()) : QRect();
}

QStringList ProxiedButtonAccessible::actionNames() const
{
    const QAbstractButton *b = button();
    if (!b || !b->isEnabled() || !proxy() || !proxy()->isVisible())
        return {};
    QStringList names {pressAction()};
    if (state().checkable)
        names << toggleAction();
    return names;
}

// Later, as the toolkit's own buttons do it: a press may show a modal message.
void ProxiedButtonAccessible::doAction(const QString &actionName)
{
    if (!actionNames().contains(actionName))
        return;
    button()->animateClick();
}
