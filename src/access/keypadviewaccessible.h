// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class AccessibleKeypad;
class QGraphicsView;

// The keypad's window as assistive technology sees it: its children are the controls of the
// screen that is shown, the hit areas among them, in reading order. Hidden panels and screens
// offer nothing, as they offer nothing to the eye.
class KeypadViewAccessible : public QAccessibleWidget
{
public:
    // The window must be an AccessibleKeypad.
    explicit KeypadViewAccessible(QGraphicsView *window);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    const AccessibleKeypad *keypad() const;
    QGraphicsView *view() const;
};
