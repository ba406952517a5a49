// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

class AccessibleKeypad;
class HitAreaItem;
class QAccessibleEvent;
class QObject;

// Tells assistive technology what changed in the keypad's window: controls shown and
// hidden, a pair swapped, the keyboard moved, the status tile's words.
class AccessibilityPublisher
{
public:
    using EventFunction = std::function<void(QAccessibleEvent *event)>;
    using ComponentLookup = std::function<QObject *(QStringView name)>;

    AccessibilityPublisher(QObject *window, const AccessibleKeypad &keypad, ComponentLookup find);

    // Where the events go; tests see them here where no assistive technology listens.
    void setEventFunction(EventFunction notify) { m_notify = std::move(notify); }

    // What assistive technology finds at start: events tell it of changes from here on.
    void takeStartingState();
    // The controls on offer and the toggles, against what was told last.
    void publish();
    void focusMoved(QObject *control);
    // The status tile says in words what its picture shows.
    void describeConnection(HitAreaItem *tile, bool connected);

private:
    QObject *m_window;
    const AccessibleKeypad &m_keypad;
    ComponentLookup m_find;
    EventFunction m_notify;
    QList<QPointer<QObject>> m_publishedChildren;
    QHash<QString, bool> m_publishedAlternates;
};
