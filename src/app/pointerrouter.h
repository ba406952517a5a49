// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "hitareaitem.h"

#include <QEvent>
#include <QHash>
#include <QObject>
#include <QPointF>
#include <QPointer>
class KeypadScene;
class MessageBoxes;
class QGraphicsView;
class QWidget;
class QMouseEvent;
class QTouchEvent;
class QWindow;

// Pointer and touch input on the keypad's window. A tap on a sign goes straight to its hit
// area, found here, and each finger taps on its own; everything else reaches the scene as
// the toolkit routes it.
class PointerRouter : public QObject
{
    Q_OBJECT

public:
    PointerRouter(QGraphicsView *view, const KeypadScene &scene, const MessageBoxes &boxes);

    // The hit area a press at this viewport point goes to; null when the topmost item there
    // is anything else (a screen, a picture, a widget).
    HitAreaItem *pressTarget(const QPointF &viewportPos) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A finger on the screen: on a hit area, or standing in for the mouse on anything else.
    struct Touch
    {
        QPointer<HitAreaItem> area;
        bool asMouse = false;
    };

    bool mouseEvent(QMouseEvent *event);
    bool beginPress(QMouseEvent *event);
    // Where a viewport point falls on an item, in the item's own units.
    QPointF positionOn(const HitAreaItem *item, const QPointF &viewportPos) const;

    // Where a touch event's points are measured from: the window's corner or the viewport's.
    enum class PointsIn { Window, Viewport };
    // True when the event was a touch event, now handled.
    bool touchEvent(QEvent *event, PointsIn pointsIn);
    void handleTouch(QTouchEvent *event, const QPointF &toViewport);
    void beginTouch(int id, const QPointF &pos);
    // False when the handler its tap ran showed a box: the other fingers' taps are dropped.
    bool endTouch(const Touch &touch, const QPointF &pos);
    void cancelTouches();
    void sendMouseForTouch(QEvent::Type type, const QPointF &pos);
    void takeFocusFromFields();

    QGraphicsView *m_view;
    QWidget *m_viewport;
    const KeypadScene &m_scene;
    const MessageBoxes &m_boxes;
    QPointer<HitAreaItem> m_pressedArea;
    QHash<int, Touch> m_touches;
    QPointer<QWindow> m_touchWindow;
    bool m_forwarding = false;
};
