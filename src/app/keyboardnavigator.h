// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "hitareaitem.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
class KeypadScene;
class QGraphicsItem;
class QGraphicsView;
class QWidget;
class QKeyEvent;

// The keyboard on the keypad's window. Tab and the arrows go over the controls of the
// screen in reading order, Space and Enter press the one it is on; on a screen without hit
// areas Tab goes over its fields in their own order. A key held down presses once, whatever
// the platform's auto-repeat sends.
class KeyboardNavigator : public QObject
{
    Q_OBJECT

public:
    // A repeat's release and press come together; a person's next press takes far longer.
    static constexpr int RepeatPairMs = 5;

    KeyboardNavigator(QGraphicsView *view, const KeypadScene &scene);

    // The hit area the keyboard is on, or null.
    HitAreaItem *keyboardArea() const { return m_area; }
    // The controls changed: an area that went away hands the keyboard on to the control now
    // at the same place.
    void handOn();

signals:
    // The keyboard moved to a hit area.
    void focusMoved(QObject *area);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool keyPressed(QKeyEvent *event);
    void keyReleased(const QKeyEvent *event);
    // Whether this press of Space or Enter is a press of its own, not a repeat of a held key.
    bool isNewPress(const QKeyEvent *event);
    bool activate(QKeyEvent *event);
    // The controls the keyboard goes over, and whether it is a screen with hit areas.
    QList<QGraphicsItem *> chain(bool *withHitAreas = nullptr) const;
    QList<QGraphicsItem *> fieldChain() const;
    void moveFocus(QGraphicsItem *control);
    void setArea(HitAreaItem *area);

    QGraphicsView *m_view;
    QWidget *m_viewport;
    const KeypadScene &m_scene;
    QPointer<HitAreaItem> m_area;
    qsizetype m_index = 0;
    QHash<int, bool> m_held; // activation keys down
    QHash<int, quint64> m_releasedAt; // their last real release, in the events' time
};
