// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class QAbstractButton;
class QGraphicsProxyWidget;
class AccessibleKeypad;

// A button of the layout as assistive technology sees it. Inside the scene the toolkit takes
// such a button for a window of its own, hidden or not as its own flag says, at a place that
// is not where it is drawn: this one belongs to the keypad's window, is shown as its screen
// and panel are, and lies where the window draws it. A toggle also tells whether its pair
// shows the alternate panel.
class ProxiedButtonAccessible : public QAccessibleWidget
{
public:
    explicit ProxiedButtonAccessible(QAbstractButton *button);

    QAccessibleInterface *parent() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QRect rect() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    QAbstractButton *button() const;
    QGraphicsProxyWidget *proxy() const;
    AccessibleKeypad *keypad() const;
};
