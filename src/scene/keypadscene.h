// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "layout.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class PanelItem;
class PictureCache;
class QGraphicsItem;
class QGraphicsObject;
class QGraphicsScene;
class QWidget;

// Makes the window's scene from the layout tables: one item, widget or component per row,
// each named after its row and found by that name afterwards.
class KeypadScene : public QObject
{
    Q_OBJECT

public:
    // The components that are not drawn (the timer, the sockets) come from their owner.
    using ComponentLookup = std::function<QObject *(Layout::Kind kind)>;

    KeypadScene(QGraphicsScene *scene, PictureCache *pictureCache, QObject *parent = nullptr);
    ~KeypadScene() override;

    // Builds every row. Empty on success; otherwise why the layout cannot be built.
    QString build(const ComponentLookup &components);

    QObject *component(QStringView name) const;
    QGraphicsItem *item(QStringView name) const;
    QList<QGraphicsItem *> topLevelItems() const { return m_topLevelItems; }
    QList<PanelItem *> centredPanels() const { return m_centredPanels; }
    // Hit areas and buttons, in layout order.
    QList<QGraphicsItem *> controls() const { return m_controls; }
    // The controls that are shown, in reading order: line by line, left to right.
    QList<QGraphicsItem *> shownControls() const;
    // The object that stands for a control: a button's widget, or the item itself.
    static QObject *controlObject(QGraphicsItem *control);

    // Before the scene goes, while its items still exist: no cache is rebuilt, and no signal
    // reaches this object or the listener, while the scene destroys them.
    void release(const QObject *listener);

signals:
    // A screen, a panel or a button was shown or hidden: the controls on offer change.
    void controlsChanged();

private:
    void addItem(const Layout::Row &row, QGraphicsItem *parent, QGraphicsObject *item);
    void addPanel(const Layout::Row &row, QGraphicsItem *parent);
    void addWidget(const Layout::Row &row, QGraphicsItem *parent, QWidget *widget);
    void addAnimation(const Layout::Row &row, QGraphicsItem *parent);
    void addComponent(const Layout::Row &row, QObject *component);
    void chainTabOrder();
    void markStale();

    QGraphicsScene *m_scene;
    PictureCache *m_pictureCache;
    QHash<QString, QObject *> m_components;
    QHash<QString, QGraphicsItem *> m_items;
    QList<QGraphicsItem *> m_topLevelItems;
    QList<PanelItem *> m_centredPanels;
    QList<QGraphicsItem *> m_controls;
    mutable QList<QGraphicsItem *> m_shownControls;
    mutable bool m_shownControlsStale = true;
};
