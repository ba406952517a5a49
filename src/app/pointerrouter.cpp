// SPDX-License-Identifier: GPL-3.0-or-later

#include "pointerrouter.h"

#include "hitareaitem.h"
#include "hittest.h"
#include "keypadscene.h"
#include "messageboxes.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTouchEvent>
#include <QWindow>
#include <algorithm>
#include <utility>

PointerRouter::PointerRouter(
    QGraphicsView *view, const KeypadScene &scene, const MessageBoxes &boxes)
    : QObject(view)
    , m_view(view)
    , m_viewport(view->viewport())
    , m_scene(scene)
    , m_boxes(boxes)
{
    // Every finger is a tap of its own; accepted touches are never turned into mouse events.
    view->viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);
}

bool PointerRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view) {
        // The touches are taken from the window itself, before the toolkit works out which
        // widget each point belongs to: every point here belongs to the view, and that work
        // cost more than the rest of a tap.
        if (event->type() == QEvent::Show) {
            if (QWindow *window = m_view->windowHandle(); window && window != m_touchWindow) {
                window->installEventFilter(this);
                m_touchWindow = window;
            }
        }
        return false;
    }
    if (watched == m_touchWindow)
        return touchEvent(event, PointsIn::Window);
    if (watched != m_viewport || m_forwarding)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return mouseEvent(static_cast<QMouseEvent *>(event));
    default:
        return touchEvent(event, PointsIn::Viewport);
    }
}

HitAreaItem *PointerRouter::pressTarget(const QPointF &viewportPos) const
{
    // The pixel under the pointer, the area the scene tests a press against.
    const QRectF pixel = m_view->viewportTransform().inverted().mapRect(
        QRectF(viewportPos.toPoint(), QSizeF(1, 1)));
    QGraphicsItem *topmost = HitTest::topmost(m_scene.topLevelItems(), pixel);
    return topmost ? qobject_cast<HitAreaItem *>(topmost->toGraphicsObject()) : nullptr;
}

QPointF PointerRouter::positionOn(const HitAreaItem *item, const QPointF &viewportPos) const
{
    return item->mapFromScene(m_view->mapToScene(viewportPos.toPoint()));
}

void PointerRouter::takeFocusFromFields()
{
    // A hit area takes no focus; a press on it takes the focus from a text field, as the
    // scene would do.
    if (m_view->scene()->focusItem())
        m_view->scene()->setFocusItem(nullptr, Qt::MouseFocusReason);
}

// Mouse: a press on a sign is the hit area's alone until the button comes up; the second
// press of a quick pair is a press like the first.
bool PointerRouter::mouseEvent(QMouseEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return beginPress(event);
    case QEvent::MouseMove:
        if (!m_pressedArea)
            return false;
        m_pressedArea->movePress(positionOn(m_pressedArea, event->position()));
        event->accept();
        return true;
    default: {
        if (!m_pressedArea || event->button() != Qt::LeftButton)
            return false;
        HitAreaItem *area = std::exchange(m_pressedArea, nullptr);
        event->accept();
        area->endPress(positionOn(area, event->position()));
        return true;
    }
    }
}

bool PointerRouter::beginPress(QMouseEvent *event)
{
    if (m_pressedArea) {
        // A press whose release went elsewhere (a message box took the pointer).
        m_pressedArea->cancelPress();
        m_pressedArea = nullptr;
    }
    if (event->button() != Qt::LeftButton || event->buttons() != Qt::LeftButton
        || !m_view->isInteractive() || m_view->scene()->mouseGrabberItem())
        return false;
    HitAreaItem *area = pressTarget(event->position());
    if (!area || !area->isEnabled())
        return false;
    takeFocusFromFields();
    m_pressedArea = area;
    area->beginPress();
    event->accept();
    return true;
}

// Touch: each finger taps on its own, so that a sign tapped while another finger is still
// down is not lost. A finger on a hit area presses it and sends when it lifts there; a finger
// that begins anywhere else stands in for the mouse, one at a time, so that the toggles, the
// check box and the fields react as to a click.

bool PointerRouter::touchEvent(QEvent *event, PointsIn pointsIn)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        // Mapped only for a touch: the window's other events come while the view is being
        // destroyed too.
        handleTouch(static_cast<QTouchEvent *>(event),
            pointsIn == PointsIn::Window ? QPointF(m_viewport->mapFrom(m_view, QPoint()))
                                         : QPointF());
        break;
    case QEvent::TouchCancel:
        cancelTouches();
        break;
    default:
        return false;
    }
    event->accept();
    return true;
}

void PointerRouter::handleTouch(QTouchEvent *event, const QPointF &toViewport)
{
    for (const QEventPoint &point : event->points()) {
        const int id = point.id();
        const QPointF pos = point.position() + toViewport;
        switch (point.state()) {
        case QEventPoint::Pressed:
            beginTouch(id, pos);
            break;
        case QEventPoint::Updated: {
            const Touch touch = m_touches.value(id);
            if (touch.asMouse)
                sendMouseForTouch(QEvent::MouseMove, pos);
            else if (touch.area && touch.area->isVisible())
                touch.area->movePress(positionOn(touch.area, pos));
            break;
        }
        case QEventPoint::Released:
            if (!m_touches.contains(id))
                break;
            if (!endTouch(m_touches.take(id), pos)) {
                cancelTouches();
                return;
            }
            break;
        default:
            break;
        }
    }
}

void PointerRouter::beginTouch(int id, const QPointF &pos)
{
    HitAreaItem *area = pressTarget(pos);
    if (area && area->isEnabled()) {
        takeFocusFromFields();
        area->beginPress();
        m_touches.insert(id, {area, false});
        return;
    }
    const bool mouseTaken = std::any_of(
        m_touches.cbegin(), m_touches.cend(), [](const Touch &touch) { return touch.asMouse; });
    if (mouseTaken)
        return;
    m_touches.insert(id, {nullptr, true});
    sendMouseForTouch(QEvent::MouseButtonPress, pos);
}

bool PointerRouter::endTouch(const Touch &touch, const QPointF &pos)
{
    const int boxesBefore = m_boxes.shown();
    if (touch.asMouse) {
        sendMouseForTouch(QEvent::MouseButtonRelease, pos);
    } else if (touch.area) {
        // A panel swapped away under the finger by another finger's tap takes its sign along.
        if (touch.area->isVisible())
            touch.area->endPress(positionOn(touch.area, pos));
        else
            touch.area->cancelPress();
    }
    return m_boxes.shown() == boxesBefore;
}

void PointerRouter::cancelTouches()
{
    const QHash<int, Touch> touches = std::exchange(m_touches, {});
    for (const Touch &touch : touches) {
        if (touch.area)
            touch.area->cancelPress();
        // A release far outside lets a widget that was pressed come up without a click.
        if (touch.asMouse)
            sendMouseForTouch(QEvent::MouseButtonRelease, QPointF(-1e6, -1e6));
    }
}

// To the view as the toolkit routes a mouse, past this router.
void PointerRouter::sendMouseForTouch(QEvent::Type type, const QPointF &pos)
{
    const Qt::MouseButtons buttons
        = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent mouse(
        type, pos, m_viewport->mapToGlobal(pos.toPoint()), Qt::LeftButton, buttons, Qt::NoModifier);
    const QScopedValueRollback forwarding(m_forwarding, true);
    QCoreApplication::sendEvent(m_viewport, &mouse);
}
