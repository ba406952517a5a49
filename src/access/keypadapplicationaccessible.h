// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleApplication>

// The application as assistive technology sees it: its windows, less the buttons that the
// toolkit makes windows of only to draw them inside the keypad's scene. Those are found
// under the keypad's window, where they are drawn.
class KeypadApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    static QList<QAccessibleInterface *> windows();
};
