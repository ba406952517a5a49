// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "layout.h"

#include <QDeadlineTimer>
#include <QGraphicsObject>

class QTimer;
class QVariantAnimation;

// A flat button drawn by its screen: the transparent hit areas over the chart pictures,
// the ison letter buttons and the tiles of the control grid. Hundreds of these exist, so
// they are light scene items rather than widgets.
class HitAreaItem : public QGraphicsObject
{
    Q_OBJECT

public:
    static constexpr int FlashMs = 150;

    HitAreaItem(const Layout::Row &row, QGraphicsItem *parent);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    bool isHighlighted() const { return m_highlight > 0.0; }
    bool isPressed() const { return m_pressed; }
    // False for the inert areas over a chart's labels: they send nothing.
    bool isActionable() const { return m_actionable; }

    // What a screen reader says for the area; the description may change (the status tile's).
    QString accessibleName() const { return m_accessibleName; }
    QString accessibleDescription() const { return m_accessibleDescription; }
    void setAccessibleDescription(const QString &description);

    // The area the keyboard is on: Space or Enter presses it, and it is drawn with a ring.
    bool hasKeyboardFocus() const { return m_keyboardFocus; }
    void setKeyboardFocus(bool focus);

    // Shows for a moment that the server has taken the command.
    void flash();

    // A press on this item, for a window that found the item under the pointer itself; the
    // item's own mouse events do the same. Points are in item coordinates.
    void beginPress();
    void movePress(const QPointF &pos);
    void endPress(const QPointF &pos);
    // The press ends without a click (the window lost the pointer).
    void cancelPress();
    // A whole press at the middle of the area, for the keyboard and for assistive technology:
    // the same release as a finger's, so the same handler runs.
    void click();
    bool isFlashing() const { return m_flashing; }

signals:
    void clicked();

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent *event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    bool isIdle() const;
    void updateLook();
    void paintEllipse(QPainter *painter, const QColor &colour, qreal strength) const;
    void fadeTo(qreal target);
    void setPressed(bool pressed);

    QSizeF m_size;
    Layout::Style m_style;
    QString m_text;
    int m_fontSize;
    qreal m_highlight = 0.0;
    bool m_pressed = false;
    bool m_flashing = false;
    bool m_actionable;
    bool m_keyboardFocus = false;
    QString m_accessibleName;
    QString m_accessibleDescription;
    QVariantAnimation *m_fade = nullptr;
    QTimer *m_flashEnd = nullptr;
    QDeadlineTimer m_flashUntil;
};
