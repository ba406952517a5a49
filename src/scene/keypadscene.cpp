// SPDX-License-Identifier: GPL-3.0-or-later

#include "keypadscene.h"

#include "artwork.h"
#include "bitmaplistanimation.h"
#include "controlnames.h"
#include "cornerbutton.h"
#include "hitareaitem.h"
#include "imagecontrolitem.h"
#include "logmemo.h"
#include "panelitem.h"
#include "pictureitem.h"
#include "readingorder.h"
#include "tapcheckbox.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <map>
#include <utility>

namespace {

using Layout::Kind;
using Layout::Row;
using Layout::Style;

QString nameOf(const Row &row)
{
    return QString::fromLatin1(row.name);
}

QWidget *makeButton(const Row &row)
{
    if (row.style == Style::Default)
        return new QPushButton(QString::fromUtf8(row.text));
    auto *button = new QToolButton;
    button->setArrowType(row.style == Style::ArrowUp ? Qt::UpArrow
            : row.style == Style::ArrowRight         ? Qt::RightArrow
            : row.style == Style::ArrowDown          ? Qt::DownArrow
                                                     : Qt::LeftArrow);
    return button;
}

// The widget a row stands for; null for a row that is not a widget.
QWidget *makeWidget(const Row &row)
{
    const QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case Kind::Button:
        return makeButton(row);
    case Kind::CornerButton:
        return new CornerButton(text);
    case Kind::CheckBox:
        return new TapCheckBox(text);
    case Kind::Edit:
        return new QLineEdit(text);
    case Kind::Memo:
        return new LogMemo;
    case Kind::Label:
        return new QLabel(text);
    default:
        return nullptr;
    }
}

} // namespace

KeypadScene::KeypadScene(QGraphicsScene *scene, PictureCache *pictureCache, QObject *parent)
    : QObject(parent)
    , m_scene(scene)
    , m_pictureCache(pictureCache)
{ }

KeypadScene::~KeypadScene() = default;

QString KeypadScene::build(const ComponentLookup &components)
{
    for (const Row &row : Layout::rows()) {
        QGraphicsItem *parent = nullptr;
        if (row.parent) {
            parent = m_items.value(QString::fromLatin1(row.parent));
            const bool visual = row.kind != Kind::Timer && row.kind != Kind::BitmapListAnimation;
            if (!parent && visual)
                return QStringLiteral("%1 is placed in %2, which comes later or not at all")
                    .arg(nameOf(row), QString::fromLatin1(row.parent));
        }

        switch (row.kind) {
        case Kind::Panel:
            addPanel(row, parent);
            break;
        case Kind::Image:
            addItem(row, parent, new PictureItem(row, parent, m_pictureCache));
            break;
        case Kind::ImageControl:
            addItem(row, parent, new ImageControlItem(row, parent));
            break;
        case Kind::SpeedButton:
            addItem(row, parent, new HitAreaItem(row, parent));
            break;
        case Kind::Button:
            if (row.style == Style::TransparentCircle)
                addItem(row, parent, new HitAreaItem(row, parent));
            else
                addWidget(row, parent, makeWidget(row));
            break;
        case Kind::CornerButton:
        case Kind::CheckBox:
        case Kind::Edit:
        case Kind::Memo:
        case Kind::Label:
            addWidget(row, parent, makeWidget(row));
            break;
        case Kind::BitmapListAnimation:
            addAnimation(row, parent);
            break;
        case Kind::Timer:
        case Kind::TcpClient:
        case Kind::UdpServer:
            if (QObject *component = components(row.kind))
                addComponent(row, component);
            break;
        }
    }
    chainTabOrder();
    return {};
}

void KeypadScene::addItem(const Row &row, QGraphicsItem *parent, QGraphicsObject *item)
{
    if (!parent) {
        m_scene->addItem(item);
        m_topLevelItems << item;
    }
    m_items.insert(nameOf(row), item);
    m_components.insert(nameOf(row), item);
    if (qobject_cast<HitAreaItem *>(item))
        m_controls << item;
    if (qobject_cast<PanelItem *>(item))
        connect(item, &QGraphicsObject::visibleChanged, this, &KeypadScene::markStale);
}

void KeypadScene::addPanel(const Row &row, QGraphicsItem *parent)
{
    auto *panel = new PanelItem(row, parent);
    addItem(row, parent, panel);
    if (row.centred)
        m_centredPanels << panel;
}

void KeypadScene::addWidget(const Row &row, QGraphicsItem *parent, QWidget *widget)
{
    const QString name = nameOf(row);
    widget->setObjectName(name);
    // The layout gives every control its size; without a fixed one the proxy would grow the
    // control to the style's minimum for its text, which with a larger font or another
    // platform's style overlaps its neighbours.
    widget->setFixedSize(row.rect.size().toSize());
    auto *proxy = new QGraphicsProxyWidget(parent);
    proxy->setObjectName(name);
    proxy->setWidget(widget);
    proxy->setPos(row.rect.topLeft());
    proxy->setTransform(QTransform::fromScale(row.scale.x(), row.scale.y()));
    proxy->setVisible(row.visible);
    // A toggle's "......" and an arrow key's picture say nothing to a screen reader.
    if (const QString accessibleName = ControlNames::accessibleName(name);
        !accessibleName.isEmpty())
        widget->setAccessibleName(accessibleName);
    // Buttons join the hit areas in the window's accessible children: their interfaces are
    // the keypad's own. Text fields keep the toolkit's.
    if (qobject_cast<QAbstractButton *>(widget)) {
        connect(proxy, &QGraphicsObject::visibleChanged, this, &KeypadScene::markStale);
        m_controls << proxy;
        // A button drawn through a style sheet, scaled unevenly, costs more to draw than a
        // picture: keep its look as pixels until it changes.
        proxy->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    }
    if (!parent) {
        m_scene->addItem(proxy);
        m_topLevelItems << proxy;
    }
    m_items.insert(name, proxy);
    m_components.insert(name, widget);
}

void KeypadScene::addAnimation(const Row &row, QGraphicsItem *parent)
{
    const QString name = nameOf(row);
    const Artwork frame = Artwork::load(name, row.bitmap);
    auto *target = dynamic_cast<ImageControlItem *>(parent);
    m_components.insert(name, new BitmapListAnimation(name, frame, target, this));
}

// The link's objects belong to their owner; the layout gives them their names.
void KeypadScene::addComponent(const Row &row, QObject *component)
{
    component->setObjectName(nameOf(row));
    m_components.insert(nameOf(row), component);
}

// The tab order inside each container, for the controls that take the keyboard focus.
void KeypadScene::chainTabOrder()
{
    std::map<std::pair<QString, int>, QGraphicsWidget *> tabChain;
    for (const Row &row : Layout::rows()) {
        if (row.tabOrder < 0 || !row.parent)
            continue;
        if (auto *widget = dynamic_cast<QGraphicsWidget *>(m_items.value(nameOf(row))))
            tabChain[{QString::fromLatin1(row.parent), row.tabOrder}] = widget;
    }
    QGraphicsWidget *previous = nullptr;
    QString previousParent;
    for (const auto &[key, widget] : tabChain) {
        if (previous && previousParent == key.first)
            QGraphicsWidget::setTabOrder(previous, widget);
        previous = widget;
        previousParent = key.first;
    }
}

QObject *KeypadScene::component(QStringView name) const
{
    return m_components.value(name.toString());
}

QGraphicsItem *KeypadScene::item(QStringView name) const
{
    return m_items.value(name.toString());
}

QObject *KeypadScene::controlObject(QGraphicsItem *control)
{
    if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(control))
        return proxy->widget();
    return control->toGraphicsObject();
}

QList<QGraphicsItem *> KeypadScene::shownControls() const
{
    if (m_shownControlsStale) {
        QList<QGraphicsItem *> shown;
        QList<QRectF> rects;
        for (QGraphicsItem *control : m_controls) {
            if (control->isVisible()) {
                shown << control;
                rects << control->sceneBoundingRect();
            }
        }
        m_shownControls.clear();
        for (const qsizetype index : ReadingOrder::sort(rects))
            m_shownControls << shown[index];
        m_shownControlsStale = false;
    }
    return m_shownControls;
}

void KeypadScene::markStale()
{
    m_shownControlsStale = true;
    emit controlsChanged();
}

void KeypadScene::release(const QObject *listener)
{
    for (QGraphicsItem *item : std::as_const(m_items)) {
        // A cached item that loses the focus while the scene destroys it makes the toolkit
        // build a new cache for it that nothing frees: the caches go first.
        item->setCacheMode(QGraphicsItem::NoCache);
        // Hiding an item while the scene destroys it must not reach a handler. Others keep
        // their connections: the accessibility cache hears of each item's end.
        if (QGraphicsObject *object = item->toGraphicsObject()) {
            disconnect(object, nullptr, this, nullptr);
            disconnect(object, nullptr, listener, nullptr);
        }
    }
}
