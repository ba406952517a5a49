// SPDX-License-Identifier: GPL-3.0-or-later

#include "keyboardnavigator.h"

#include "hitareaitem.h"
#include "keypadscene.h"
#include "layout.h"

#include <QAbstractButton>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <map>

namespace {

bool isActivationKey(int key)
{
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

KeyboardNavigator::KeyboardNavigator(QGraphicsView *view, const KeypadScene &scene)
    : QObject(view)
    , m_view(view)
    , m_viewport(view->viewport())
    , m_scene(scene)
{
    // Before the view hands Tab to the scene, which knows only the widgets.
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

bool KeyboardNavigator::eventFilter(QObject *watched, QEvent *event)
{
    // Compared, never asked: the view's last events come while it is being destroyed.
    if (watched != m_view && watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyPressed(static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease:
        keyReleased(static_cast<QKeyEvent *>(event));
        return false;
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
        // A box or another window took the keys: their releases do not come here.
        m_held.clear();
        return false;
    default:
        return false;
    }
}

bool KeyboardNavigator::keyPressed(QKeyEvent *event)
{
    int step = 0;
    bool arrow = false;
    switch (event->key()) {
    case Qt::Key_Tab:
        step = event->modifiers() & Qt::ShiftModifier ? -1 : 1;
        break;
    case Qt::Key_Backtab:
        step = -1;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        step = -1;
        arrow = true;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        step = 1;
        arrow = true;
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        break;
    default:
        return false;
    }
    bool withHitAreas = false;
    const QList<QGraphicsItem *> controls = chain(&withHitAreas);
    if (controls.isEmpty())
        return false;
    if (step == 0)
        return activate(event);
    // In a field the arrows move the text cursor.
    if (arrow && !withHitAreas)
        return false;
    QGraphicsItem *focusWidget = m_view->scene()->focusItem();
    QGraphicsItem *current = focusWidget ? focusWidget : m_area.data();
    const qsizetype at = current ? controls.indexOf(current) : -1;
    const qsizetype size = controls.size();
    const qsizetype next = at < 0 ? (step > 0 ? 0 : size - 1) : (at + step + size) % size;
    moveFocus(controls[next]);
    return true;
}

bool KeyboardNavigator::activate(QKeyEvent *event)
{
    const bool newPress = isNewPress(event);
    QGraphicsItem *focusWidget = m_view->scene()->focusItem();
    if (m_area && !focusWidget && m_area->isVisible()) {
        if (newPress)
            m_area->click();
        return true;
    }
    // Enter presses a button as Space does; a button outside a dialog would ignore it.
    auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(focusWidget);
    auto *button = proxy ? qobject_cast<QAbstractButton *>(proxy->widget()) : nullptr;
    if (!button)
        return false; // a field takes Space and Enter as its own
    if (newPress)
        button->click();
    return true;
}

bool KeyboardNavigator::isNewPress(const QKeyEvent *event)
{
    const int key = event->key();
    const bool held = m_held.value(key);
    m_held.insert(key, true);
    if (event->isAutoRepeat() || held)
        return false;
    // Where the platform does not mark its repeats, a repeat is a release and a press at
    // the same moment.
    const auto released = m_releasedAt.constFind(key);
    return released == m_releasedAt.cend() || event->timestamp() == 0
        || event->timestamp() - *released > RepeatPairMs;
}

void KeyboardNavigator::keyReleased(const QKeyEvent *event)
{
    if (!isActivationKey(event->key()) || event->isAutoRepeat())
        return;
    m_held.remove(event->key());
    m_releasedAt.insert(event->key(), event->timestamp());
}

QList<QGraphicsItem *> KeyboardNavigator::chain(bool *withHitAreas) const
{
    QList<QGraphicsItem *> controls;
    bool hitAreas = false;
    for (QGraphicsItem *control : m_scene.shownControls()) {
        if (auto *area = qobject_cast<HitAreaItem *>(control->toGraphicsObject())) {
            if (area->isActionable() && area->isEnabled()) {
                controls << control;
                hitAreas = true;
            }
        } else if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(control)) {
            if (proxy->widget()->isEnabled() && (proxy->widget()->focusPolicy() & Qt::TabFocus))
                controls << control;
        }
    }
    if (withHitAreas)
        *withHitAreas = hitAreas;
    return hitAreas ? controls : fieldChain();
}

// A screen without hit areas, the settings: its fields and buttons in the layout's tab order.
QList<QGraphicsItem *> KeyboardNavigator::fieldChain() const
{
    std::multimap<int, QGraphicsItem *> ordered;
    for (const Layout::Row &row : Layout::rows()) {
        if (row.tabOrder < 0 || !row.parent)
            continue;
        auto *proxy
            = dynamic_cast<QGraphicsProxyWidget *>(m_scene.item(QString::fromLatin1(row.name)));
        if (proxy && proxy->isVisible() && proxy->widget()->isEnabled()
            && (proxy->widget()->focusPolicy() & Qt::TabFocus))
            ordered.emplace(row.tabOrder, proxy);
    }
    QList<QGraphicsItem *> fields;
    for (const auto &[order, item] : ordered)
        fields << item;
    return fields;
}

void KeyboardNavigator::setArea(HitAreaItem *area)
{
    if (m_area == area)
        return;
    if (m_area)
        m_area->setKeyboardFocus(false);
    m_area = area;
    if (area)
        area->setKeyboardFocus(true);
}

void KeyboardNavigator::moveFocus(QGraphicsItem *control)
{
    m_index = qMax<qsizetype>(0, chain().indexOf(control));
    if (auto *area = qobject_cast<HitAreaItem *>(control->toGraphicsObject())) {
        if (m_view->scene()->focusItem())
            m_view->scene()->setFocusItem(nullptr, Qt::TabFocusReason);
        setArea(area);
        emit focusMoved(area);
    } else {
        // A widget takes the focus as the toolkit gives it, and says so itself.
        setArea(nullptr);
        control->setFocus(Qt::TabFocusReason);
    }
}

void KeyboardNavigator::handOn()
{
    if (!m_area || m_area->isVisible())
        return;
    setArea(nullptr);
    const QList<QGraphicsItem *> controls = chain();
    if (!controls.isEmpty() && !m_view->scene()->focusItem())
        moveFocus(controls[qMin(m_index, controls.size() - 1)]);
}
