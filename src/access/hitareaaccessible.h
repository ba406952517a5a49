// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleObject>

class HitAreaItem;

// A hit area as assistive technology sees it: a button named after its sign or tile, under
// the window, with a press that runs what a tap runs. The toolkit gives scene items no
// accessibility of their own.
class HitAreaAccessible : public QAccessibleObject, public QAccessibleActionInterface
{
public:
    explicit HitAreaAccessible(HitAreaItem *area);

    QAccessibleInterface *parent() const override;
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QRect rect() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    HitAreaItem *area() const;
};
