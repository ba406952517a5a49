// SPDX-License-Identifier: GPL-3.0-or-later

#include "accessibilitypublisher.h"

#include "accessiblekeypad.h"
#include "controlnames.h"
#include "hitareaitem.h"
#include "pressrules.h"

#include <QAccessible>
#include <utility>

AccessibilityPublisher::AccessibilityPublisher(
    QObject *window, const AccessibleKeypad &keypad, ComponentLookup find)
    : m_window(window)
    , m_keypad(keypad)
    , m_find(std::move(find))
    , m_notify([](QAccessibleEvent *event) { QAccessible::updateAccessibility(event); })
{ }

void AccessibilityPublisher::takeStartingState()
{
    m_publishedChildren.clear();
    for (QObject *child : m_keypad.accessibleChildren())
        m_publishedChildren << child;
    for (const PressRules::TogglePair &pair : PressRules::togglePairs())
        m_publishedAlternates.insert(QString::fromLatin1(pair.toggle), false);
}

void AccessibilityPublisher::publish()
{
    const QList<QObject *> children = m_keypad.accessibleChildren();
    QList<QPointer<QObject>> published;
    for (QObject *child : children)
        published << child;
    const QList<QPointer<QObject>> before = std::exchange(m_publishedChildren, published);
    bool reordered = before.size() != published.size();
    for (const QPointer<QObject> &gone : before) {
        if (gone && !children.contains(gone.data())) {
            QAccessibleEvent hide(gone.data(), QAccessible::ObjectHide);
            m_notify(&hide);
            reordered = true;
        }
    }
    for (QObject *child : children) {
        if (!before.contains(child)) {
            QAccessibleEvent show(child, QAccessible::ObjectShow);
            m_notify(&show);
            reordered = true;
        }
    }
    if (reordered) {
        QAccessibleEvent reorder(m_window, QAccessible::ObjectReorder);
        m_notify(&reorder);
    }

    for (const PressRules::TogglePair &pair : PressRules::togglePairs()) {
        const QString toggle = QString::fromLatin1(pair.toggle);
        const bool alternate = m_keypad.alternateShown(toggle).value_or(false);
        if (m_publishedAlternates.value(toggle, false) == alternate)
            continue;
        m_publishedAlternates.insert(toggle, alternate);
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(m_find(toggle), changed);
        m_notify(&event);
    }
}

void AccessibilityPublisher::focusMoved(QObject *control)
{
    QAccessibleEvent focus(control, QAccessible::Focus);
    m_notify(&focus);
}

void AccessibilityPublisher::describeConnection(HitAreaItem *tile, bool connected)
{
    const QString description = ControlNames::connectionDescription(connected);
    if (!tile || tile->accessibleDescription() == description)
        return;
    tile->setAccessibleDescription(description);
    QAccessibleEvent event(tile, QAccessible::DescriptionChanged);
    m_notify(&event);
}
