// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypadaccessibility.h"

#include "accessiblekeypad.h"
#include "hitareaaccessible.h"
#include "hitareaitem.h"
#include "keypadapplicationaccessible.h"
#include "keypadviewaccessible.h"
#include "proxiedbuttonaccessible.h"

#include <QAbstractButton>
#include <QApplication>

namespace KeypadAccessibility {

namespace {

// Asked for every class of an object from the most derived up, before the toolkit's own
// interfaces: deciding by the object itself catches it at its own class.
QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *area = qobject_cast<HitAreaItem *>(object))
        return new HitAreaAccessible(area);
    if (auto *window = qobject_cast<QGraphicsView *>(object);
        window && dynamic_cast<AccessibleKeypad *>(window))
        return new KeypadViewAccessible(window);
    if (auto *button = qobject_cast<QAbstractButton *>(object);
        button && button->graphicsProxyWidget())
        return new ProxiedButtonAccessible(button);
    if (object == qApp)
        return new KeypadApplicationAccessible;
    return nullptr;
}

bool isKeypads(QAccessibleInterface *iface)
{
    return dynamic_cast<HitAreaAccessible *>(iface) || dynamic_cast<KeypadViewAccessible *>(iface)
        || dynamic_cast<ProxiedButtonAccessible *>(iface)
        || dynamic_cast<KeypadApplicationAccessible *>(iface);
}

} // namespace

void claim(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    if (iface && !isKeypads(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace KeypadAccessibility
