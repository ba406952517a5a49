// SPDX-License-Identifier: GPL-3.0-or-later

#include "tmainclient.h"

#include "apperror.h"
#include "bitmaplistanimation.h"
#include "commandchannel.h"
#include "controlnames.h"
#include "cornerbutton.h"
#include "discovery.h"
#include "hitareaitem.h"
#include "hittest.h"
#include "imagecontrolitem.h"
#include "intconv.h"
#include "keypadaccessibility.h"
#include "logmemo.h"
#include "messages.h"
#include "panelitem.h"
#include "pictureitem.h"
#include "pressrulerunner.h"
#include "pressrules.h"
#include "presssurface.h"
#include "readingorder.h"
#include "settingsfile.h"
#include "tapcheckbox.h"
#include "udplistener.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QDir>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmapCache>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTouchEvent>
#include <QWindow>
#include <QtMath>
#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

TMainClient *MainClient = nullptr;

namespace {

using Layout::Handler;
using Layout::Kind;
using Layout::Row;
using Layout::Style;

QWidget *registerMainClient(TMainClient *window)
{
    MainClient = window;
    return nullptr;
}

QString nameOf(const Row &row)
{
    return QString::fromLatin1(row.name);
}

// One factory per kind of row that becomes a widget in the scene.

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

QWidget *makeCornerButton(const Row &row)
{
    return new CornerButton(QString::fromUtf8(row.text));
}

QWidget *makeCheckBox(const Row &row)
{
    return new TapCheckBox(QString::fromUtf8(row.text));
}

QWidget *makeEdit(const Row &row)
{
    return new QLineEdit(QString::fromUtf8(row.text));
}

QWidget *makeMemo(const Row &)
{
    return new LogMemo;
}

QWidget *makeLabel(const Row &row)
{
    return new QLabel(QString::fromUtf8(row.text));
}

} // namespace

// The window as the press rules see it: its panels, its check box, and the send routine for
// the control that was pressed.
class TMainClient::Surface : public PressSurface
{
public:
    Surface(TMainClient &window, QObject *sender)
        : m_window(window)
        , m_sender(sender)
    { }

    void send() override { m_window.kataxorisi(m_sender); }
    // The panel's own flag: the main screen may be hidden behind a chart.
    bool isShown(const char *panel) const override
    {
        return item(panel)->isVisibleTo(m_window.Panel1);
    }
    void show(const char *panel) override { item(panel)->setVisible(true); }
    void hide(const char *panel) override { item(panel)->setVisible(false); }
    void uncheckCheckBox() override
    {
        if (auto *box = qobject_cast<QAbstractButton *>(m_window.component(u"CheckBox1")))
            box->setChecked(false);
    }

private:
    QGraphicsItem *item(const char *panel) const
    {
        return m_window.item(QString::fromLatin1(panel));
    }

    TMainClient &m_window;
    QObject *m_sender;
};

TMainClient::TMainClient()
    : TMainClient(Options {})
{ }

TMainClient::TMainClient(const Options &options)
    : QGraphicsView(registerMainClient(this))
    , m_options(options)
    , m_pictureCache(options.pictureCacheFolder.isEmpty() ? PictureCache::defaultFolder()
                                                          : options.pictureCacheFolder)
    , m_channel(new CommandChannel(this, options.replyWaitMs, options.connectTimeoutMs))
    , m_discovery(new Discovery(m_channel, options.discovery, this))
{
    KeypadAccessibility::install();
    setWindowTitle(QStringLiteral("ZP Client V 2.12"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundBrush(QColor(0xF4, 0xF4, 0xF4));
    // Cached items at a 4K size overflow the toolkit's default budget, and then every redraw
    // renders them again.
    QPixmapCache::setCacheLimit(qMax(QPixmapCache::cacheLimit(), 64 * 1024));
    setScene(new QGraphicsScene(this));
    // Every finger is a tap of its own; accepted touches are never turned into mouse events.
    viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    // The screens and the background cover the viewport: the toolkit need not fill all of it
    // before every redraw (drawBackground).
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    resize(DesignWidth, DesignHeight);

    m_messageBox = [this](const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };
    m_errorBox = [this](const QString &text) {
        QMessageBox box(QMessageBox::Critical, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };
    m_accessibilityEvent = [](QAccessibleEvent *event) { QAccessible::updateAccessibility(event); };

    try {
        buildFromLayout();
        findNamedComponents();
        chainTabOrder();
        bindHandlers();
        completeLoading();
        FormCreate(this);
        FormActivate(this);
        describeConnection();
        // Made while the window was still a plain view, or before the buttons were in the
        // scene, the toolkit's interfaces would stand for these for good.
        KeypadAccessibility::claim(qApp);
        KeypadAccessibility::claim(this);
        for (QGraphicsItem *control : std::as_const(m_controls)) {
            if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(control))
                KeypadAccessibility::claim(proxy->widget());
        }
        // What assistive technology finds at start; events tell it of changes from here on.
        for (QObject *child : accessibleChildren())
            m_publishedChildren << child;
        for (const PressRules::TogglePair &pair : PressRules::togglePairs())
            m_publishedAlternates.insert(QString::fromLatin1(pair.toggle), false);
    } catch (...) {
        // The program ends with a start-up error; nothing may reach the half-made window.
        MainClient = nullptr;
        prepareSceneForDestruction();
        throw;
    }
}

TMainClient::~TMainClient()
{
    if (MainClient == this)
        MainClient = nullptr;
    prepareSceneForDestruction();
}

// The scene goes with the base class, after this object has stopped being a window.
void TMainClient::prepareSceneForDestruction()
{
    for (QGraphicsItem *item : std::as_const(m_items)) {
        // A cached item that loses the focus while the scene destroys it makes the toolkit
        // build a new cache for it that nothing frees: the caches go first.
        item->setCacheMode(QGraphicsItem::NoCache);
        // Hiding an item while the scene destroys it must not reach a handler of this object.
        if (QGraphicsObject *object = item->toGraphicsObject())
            disconnect(object, nullptr, this, nullptr);
    }
}

// Start: the scene from the layout.

void TMainClient::buildFromLayout()
{
    for (const Row &row : Layout::rows()) {
        QGraphicsItem *parent = nullptr;
        if (row.parent) {
            parent = m_items.value(QString::fromLatin1(row.parent));
            const bool visual = row.kind != Kind::Timer && row.kind != Kind::BitmapListAnimation;
            if (!parent && visual)
                throw AppError(QStringLiteral("LayoutError"),
                    QStringLiteral("%1 is placed in %2, which comes later or not at all")
                        .arg(nameOf(row), QString::fromLatin1(row.parent)));
        }

        switch (row.kind) {
        case Kind::Panel:
            addPanel(row, parent);
            break;
        case Kind::Image:
            addItem(row, parent, new PictureItem(row, parent, &m_pictureCache));
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
                addWidget(row, parent, makeButton(row));
            break;
        case Kind::CornerButton:
            addWidget(row, parent, makeCornerButton(row));
            break;
        case Kind::CheckBox:
            addWidget(row, parent, makeCheckBox(row));
            break;
        case Kind::Edit:
            addWidget(row, parent, makeEdit(row));
            break;
        case Kind::Memo:
            addWidget(row, parent, makeMemo(row));
            break;
        case Kind::Label:
            addWidget(row, parent, makeLabel(row));
            break;
        case Kind::BitmapListAnimation:
            addAnimation(row, parent);
            break;
        case Kind::Timer:
            addComponent(row, m_discovery->timer());
            break;
        case Kind::TcpClient:
            addComponent(row, m_channel);
            break;
        case Kind::UdpServer:
            addComponent(row, m_discovery->listener());
            break;
        }
    }
}

void TMainClient::addItem(const Row &row, QGraphicsItem *parent, QGraphicsObject *item)
{
    if (!parent) {
        scene()->addItem(item);
        m_topLevelItems << item;
    }
    m_items.insert(nameOf(row), item);
    m_components.insert(nameOf(row), item);
    if (qobject_cast<HitAreaItem *>(item))
        m_controls << item;
    if (qobject_cast<PanelItem *>(item))
        connect(item, &QGraphicsObject::visibleChanged, this, &TMainClient::controlsChanged);
}

void TMainClient::addPanel(const Row &row, QGraphicsItem *parent)
{
    auto *panel = new PanelItem(row, parent);
    addItem(row, parent, panel);
    if (row.centred)
        m_centredPanels << panel;
}

void TMainClient::addWidget(const Row &row, QGraphicsItem *parent, QWidget *widget)
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
        connect(proxy, &QGraphicsObject::visibleChanged, this, &TMainClient::controlsChanged);
        m_controls << proxy;
    }
    // A button drawn through a style sheet, scaled unevenly, costs more to draw than a
    // picture: keep its look as pixels until it changes.
    if (qobject_cast<QAbstractButton *>(widget))
        proxy->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
    if (!parent) {
        scene()->addItem(proxy);
        m_topLevelItems << proxy;
    }
    m_items.insert(name, proxy);
    m_components.insert(name, widget);
}

void TMainClient::addAnimation(const Row &row, QGraphicsItem *parent)
{
    const QString name = nameOf(row);
    const Artwork frame = Artwork::load(name, row.bitmap);
    auto *target = dynamic_cast<ImageControlItem *>(parent);
    m_components.insert(name, new BitmapListAnimation(name, frame, target, this));
}

// The link's objects belong to the channel and to discovery; the layout gives them their
// names.
void TMainClient::addComponent(const Row &row, QObject *component)
{
    component->setObjectName(nameOf(row));
    m_components.insert(nameOf(row), component);
}

void TMainClient::findNamedComponents()
{
    Panel1 = qobject_cast<PanelItem *>(component(u"Panel1"));
    Panel2 = qobject_cast<PanelItem *>(component(u"Panel2"));
    Panel3 = qobject_cast<PanelItem *>(component(u"Panel3"));
    Panel4 = qobject_cast<PanelItem *>(component(u"Panel4"));
    Panel5 = qobject_cast<PanelItem *>(component(u"Panel5"));
    Memo1 = qobject_cast<LogMemo *>(component(u"Memo1"));
    Edit2 = qobject_cast<QLineEdit *>(component(u"Edit2"));
    Edit3 = qobject_cast<QLineEdit *>(component(u"Edit3"));
    Timer1 = qobject_cast<QTimer *>(component(u"Timer1"));
    IdUDPServer1 = qobject_cast<UdpListener *>(component(u"IdUDPServer1"));
    BitmapListAnimation1 = qobject_cast<BitmapListAnimation *>(component(u"BitmapListAnimation1"));
    BitmapListAnimation2 = qobject_cast<BitmapListAnimation *>(component(u"BitmapListAnimation2"));
    if (!Panel1 || !Panel2 || !Panel3 || !Panel4 || !Panel5 || !Memo1 || !Edit2 || !Edit3 || !Timer1
        || !component(u"IdTCPClient1") || !IdUDPServer1 || !BitmapListAnimation1
        || !BitmapListAnimation2)
        throw AppError(QStringLiteral("LayoutError"),
            QStringLiteral("The layout lacks a screen or a link component"));
}

// The tab order inside each container, for the controls that take the keyboard focus.
void TMainClient::chainTabOrder()
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

void TMainClient::bindHandlers()
{
    for (const Row &row : Layout::rows()) {
        if (row.handler == Handler::None)
            continue;
        QObject *control = component(nameOf(row));
        const Handler handler = row.handler;
        if (auto *area = qobject_cast<HitAreaItem *>(control)) {
            connect(area, &HitAreaItem::clicked, this,
                [this, handler, area] { invoke(handler, area); });
        } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            // clicked, not toggled: a check box set from code must not run its handler.
            connect(button, &QAbstractButton::clicked, this,
                [this, handler, button] { invoke(handler, button); });
        }
    }
    connect(m_channel, &CommandChannel::connected, this, &TMainClient::IdTCPClient1Connected);
    connect(m_channel, &CommandChannel::disconnected, this, &TMainClient::IdTCPClient1Disconnected);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(Timer1); });
    connect(m_discovery, &Discovery::datagramReceived, this, &TMainClient::IdUDPServer1UDPRead);
    connect(m_discovery, &Discovery::serverAnnounced, this,
        [this](const QString &host, const QString &port) {
            Edit2->setText(host);
            Edit3->setText(port);
        });
    connect(m_discovery, &Discovery::serverNotFound, this,
        [this] { showMessage(Messages::notFound()); });
    connect(
        m_discovery, &Discovery::networkFailed, this, [this] { showMessage(Messages::network()); });
}

void TMainClient::completeLoading()
{
    // Usually a second copy of the keypad on this machine, which holds the port.
    if (!m_discovery->start())
        throw AppError(QStringLiteral("BindError"), m_discovery->errorString());
    // An animation switched on in the layout runs once when the window is loaded.
    for (const Row &row : Layout::rows()) {
        if (row.kind == Kind::BitmapListAnimation)
            qobject_cast<BitmapListAnimation *>(component(nameOf(row)))->setEnabled(row.visible);
    }
}

QObject *TMainClient::component(QStringView name) const
{
    return m_components.value(name.toString());
}

QGraphicsItem *TMainClient::item(QStringView name) const
{
    return m_items.value(name.toString());
}

PanelItem *TMainClient::screenPanel(int index) const
{
    switch (index) {
    case 1:
        return Panel1;
    case 2:
        return Panel2;
    case 3:
        return Panel3;
    case 4:
        return Panel4;
    case 5:
        return Panel5;
    default:
        return nullptr;
    }
}

QString TMainClient::errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

void TMainClient::reportError(const QString &message)
{
    ++m_boxesShown;
    m_errorBox(errorBoxText(message));
}

void TMainClient::showMessage(const QString &text)
{
    ++m_boxesShown;
    m_messageBox(text);
}

// Press dispatch.

namespace {

using HandlerMethod = void (TMainClient::*)(QObject *);

// The handlers that are neither a press rule nor a toggle: the methods behind their names.
const std::pair<Handler, HandlerMethod> handlerMethods[] = {
    {Handler::rythmiseisshowClick, &TMainClient::rythmiseisshowClick},
    {Handler::martyriesshowClick, &TMainClient::martyriesshowClick},
    {Handler::diaforashowClick, &TMainClient::diaforashowClick},
    {Handler::Button1Click, &TMainClient::Button1Click},
    {Handler::offClick, &TMainClient::offClick},
    {Handler::move_clientClick, &TMainClient::move_clientClick},
    {Handler::Button3Click, &TMainClient::Button3Click},
    {Handler::moveLClick, &TMainClient::moveLClick},
    {Handler::moveRClick, &TMainClient::moveRClick},
    {Handler::ConnectDisconnectClick, &TMainClient::ConnectDisconnectClick},
    {Handler::con_SpeedButtonClick, &TMainClient::con_SpeedButtonClick},
};

} // namespace

void TMainClient::invoke(Handler handler, QObject *sender)
{
    const Discovery::Hold hold(*m_discovery);
    try {
        if (PressRules::togglePair(handler)) {
            togglePair(handler);
        } else if (!runPressRule(handler, sender)) {
            const auto found = std::find_if(std::begin(handlerMethods), std::end(handlerMethods),
                [handler](const auto &entry) { return entry.first == handler; });
            if (found != std::end(handlerMethods))
                (this->*found->second)(sender);
        }
    } catch (const std::exception &error) {
        reportError(QString::fromStdString(error.what()));
    }
}

// Start, scaling and closing.

QString TMainClient::settingsPath() const
{
    return m_options.settingsPath.isEmpty() ? SettingsFile::defaultPath() : m_options.settingsPath;
}

void TMainClient::FormCreate(QObject *)
{
    const SettingsFile::Address address
        = SettingsFile::load(settingsPath(), LinkDefaults::ServerPort);
    Edit3->setText(address.port);
    Edit2->setText(address.host);
}

void TMainClient::FormActivate(QObject *)
{
    const int w = width();
    const int h = height();
    const float sx = float(double(w) / DesignWidth);
    const float sy = float(double(h) / DesignHeight);
    scene()->setSceneRect(0, 0, w, h);
    for (int i = 1; i <= 5; ++i)
        screenPanel(i)->setScale(sx, sy);
    for (PanelItem *centred : std::as_const(m_centredPanels)) {
        const QSizeF size = centred->size();
        centred->setPos((w - size.width() * sx) / 2, (h - size.height() * sy) / 2);
    }
}

void TMainClient::drawBackground(QPainter *painter, const QRectF &rect)
{
    // The smaller screens show the scene's background all round them.
    if (!Panel1->isVisible()) {
        QGraphicsView::drawBackground(painter, rect);
        return;
    }
    // The main screen covers the whole window but the strip its pointer stands in, which
    // shows the viewport's own colour; only what lies outside the screen's fill is filled.
    const QRectF filled = Panel1->mapRectToScene(Panel1->filledRect());
    const QRect inside(QPoint(qCeil(filled.left()) + 1, qCeil(filled.top()) + 1),
        QPoint(qFloor(filled.right()) - 2, qFloor(filled.bottom()) - 2));
    const QBrush viewportColour = viewport()->palette().brush(viewport()->backgroundRole());
    for (const QRect &uncovered : QRegion(rect.toAlignedRect()) - QRegion(inside))
        painter->fillRect(uncovered, viewportColour);
}

void TMainClient::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    FormActivate(this);
}

void TMainClient::changeEvent(QEvent *event)
{
    QGraphicsView::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate(this);
}

void TMainClient::FormClose(QObject *)
{
    const QString path = settingsPath();
    switch (SettingsFile::save(path, Edit3->text(), Edit2->text())) {
    case SettingsFile::SaveResult::Saved:
        break;
    case SettingsFile::SaveResult::PortNotANumber:
        throw AppError(QStringLiteral("ConvertError"), invalidIntegerMessage(Edit3->text()));
    case SettingsFile::SaveResult::WriteRefused:
        throw AppError(QStringLiteral("WriteError"),
            QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
    }
}

void TMainClient::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    try {
        FormClose(this);
        event->accept();
        return;
    } catch (const std::exception &error) {
        // A settings file that can never be written must not lock the user in: a second
        // close soon after a refused write ends the program without saving.
        const auto *appError = dynamic_cast<const AppError *>(&error);
        const bool refusedWrite = appError && appError->kind() == u"WriteError";
        if (refusedWrite && m_lastRefusedSave.isValid()
            && !m_lastRefusedSave.hasExpired(SecondCloseWindowMs)) {
            event->accept();
            return;
        }
        event->ignore();
        reportError(QString::fromStdString(error.what()));
        if (refusedWrite)
            m_lastRefusedSave.start();
    }
    m_closing = false;
}

// Presses on hit areas.

HitAreaItem *TMainClient::pressTarget(const QPointF &viewportPos) const
{
    // The pixel under the pointer, the area the scene tests a press against.
    const QRectF pixel
        = viewportTransform().inverted().mapRect(QRectF(viewportPos.toPoint(), QSizeF(1, 1)));
    QGraphicsItem *topmost = HitTest::topmost(m_topLevelItems, pixel);
    return topmost ? qobject_cast<HitAreaItem *>(topmost->toGraphicsObject()) : nullptr;
}

// A tap on a sign goes straight to its hit area, found by the window; widgets and everything
// else go through the scene.
bool TMainClient::beginPress(QMouseEvent *event)
{
    if (m_pressedArea) {
        // A press whose release went elsewhere (a message box took the pointer).
        m_pressedArea->cancelPress();
        m_pressedArea = nullptr;
    }
    if (event->button() != Qt::LeftButton || event->buttons() != Qt::LeftButton || !isInteractive()
        || scene()->mouseGrabberItem())
        return false;
    HitAreaItem *area = pressTarget(event->position());
    if (!area || !area->isEnabled())
        return false;
    // A hit area takes no focus; a press on it takes the focus from a text field, as the scene
    // would do.
    if (scene()->focusItem())
        scene()->setFocusItem(nullptr, Qt::MouseFocusReason);
    m_pressedArea = area;
    area->beginPress();
    event->accept();
    return true;
}

QPointF TMainClient::positionOn(const QGraphicsItem *item, const QMouseEvent *event) const
{
    return item->mapFromScene(mapToScene(event->position().toPoint()));
}

void TMainClient::mousePressEvent(QMouseEvent *event)
{
    if (!beginPress(event))
        QGraphicsView::mousePressEvent(event);
}

void TMainClient::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second tap of a quick pair is a press like the first.
    if (!beginPress(event))
        QGraphicsView::mouseDoubleClickEvent(event);
}

void TMainClient::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressedArea) {
        QGraphicsView::mouseMoveEvent(event);
        return;
    }
    m_pressedArea->movePress(positionOn(m_pressedArea, event));
    event->accept();
}

void TMainClient::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressedArea || event->button() != Qt::LeftButton) {
        QGraphicsView::mouseReleaseEvent(event);
        return;
    }
    HitAreaItem *area = m_pressedArea;
    m_pressedArea = nullptr;
    event->accept();
    area->endPress(positionOn(area, event));
}

// Touch: each finger taps on its own, so that a sign tapped while another finger is still
// down is not lost. A finger on a hit area presses it and sends when it lifts there; a finger
// that begins anywhere else stands in for the mouse, one at a time, so that the toggles, the
// check box and the fields react as to a click.

// The touches are taken from the window itself, before the toolkit works out which widget
// each point belongs to: every point here belongs to the view, and that work cost more than
// the rest of a tap.
bool TMainClient::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && handleTouchEvent(event, viewport()->mapFrom(this, QPoint())))
        return true;
    return QGraphicsView::eventFilter(watched, event);
}

void TMainClient::showEvent(QShowEvent *event)
{
    QGraphicsView::showEvent(event);
    if (QWindow *window = windowHandle(); window && window != m_touchWindow) {
        window->installEventFilter(this);
        m_touchWindow = window;
    }
}

bool TMainClient::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(event)))
        return true;
    return handleTouchEvent(event, QPointF()) || QGraphicsView::viewportEvent(event);
}

bool TMainClient::handleTouchEvent(QEvent *event, const QPointF &toViewport)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        handleTouch(static_cast<QTouchEvent *>(event), toViewport);
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

void TMainClient::handleTouch(QTouchEvent *event, const QPointF &toViewport)
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
                touch.area->movePress(touch.area->mapFromScene(mapToScene(pos.toPoint())));
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

void TMainClient::beginTouch(int id, const QPointF &pos)
{
    HitAreaItem *area = pressTarget(pos);
    if (area && area->isEnabled()) {
        if (scene()->focusItem())
            scene()->setFocusItem(nullptr, Qt::MouseFocusReason);
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

bool TMainClient::endTouch(const Touch &touch, const QPointF &pos)
{
    const int boxesBefore = m_boxesShown;
    if (touch.asMouse) {
        sendMouseForTouch(QEvent::MouseButtonRelease, pos);
    } else if (touch.area) {
        // A panel swapped away under the finger by another finger's tap takes its sign along.
        if (touch.area->isVisible())
            touch.area->endPress(touch.area->mapFromScene(mapToScene(pos.toPoint())));
        else
            touch.area->cancelPress();
    }
    return m_boxesShown == boxesBefore;
}

void TMainClient::cancelTouches()
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

void TMainClient::sendMouseForTouch(QEvent::Type type, const QPointF &pos)
{
    const Qt::MouseButtons buttons
        = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent mouse(
        type, pos, mapToGlobal(pos.toPoint()), Qt::LeftButton, buttons, Qt::NoModifier);
    switch (type) {
    case QEvent::MouseButtonPress:
        QGraphicsView::mousePressEvent(&mouse);
        break;
    case QEvent::MouseMove:
        QGraphicsView::mouseMoveEvent(&mouse);
        break;
    default:
        QGraphicsView::mouseReleaseEvent(&mouse);
        break;
    }
}

// Assistive technology and the keyboard.

QList<QObject *> TMainClient::accessibleChildren() const
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
    QList<QObject *> children;
    children.reserve(m_shownControls.size());
    for (QGraphicsItem *control : std::as_const(m_shownControls)) {
        if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(control))
            children << proxy->widget();
        else
            children << control->toGraphicsObject();
    }
    return children;
}

HitAreaItem *TMainClient::keyboardArea() const
{
    return m_keyboardArea;
}

QRect TMainClient::globalRect(const QGraphicsItem *item) const
{
    const QRect inViewport = mapFromScene(item->sceneBoundingRect()).boundingRect();
    return {viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size()};
}

std::optional<bool> TMainClient::alternateShown(QStringView toggle) const
{
    const Row *row = Layout::find(toggle);
    const PressRules::TogglePair *pair = row ? PressRules::togglePair(row->handler) : nullptr;
    if (!pair)
        return std::nullopt;
    return item(QString::fromLatin1(pair->alternate))->isVisibleTo(Panel1);
}

QList<QGraphicsItem *> TMainClient::keyboardChain() const
{
    accessibleChildren();
    QList<QGraphicsItem *> chain;
    bool hasHitAreas = false;
    for (QGraphicsItem *control : std::as_const(m_shownControls)) {
        if (auto *area = qobject_cast<HitAreaItem *>(control->toGraphicsObject())) {
            if (area->isActionable() && area->isEnabled()) {
                chain << control;
                hasHitAreas = true;
            }
        } else if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(control)) {
            if (proxy->widget()->isEnabled() && (proxy->widget()->focusPolicy() & Qt::TabFocus))
                chain << control;
        }
    }
    // The settings screen has no hit areas: its fields keep the tab order of the layout.
    return hasHitAreas ? chain : QList<QGraphicsItem *> {};
}

void TMainClient::setKeyboardArea(HitAreaItem *area)
{
    if (m_keyboardArea == area)
        return;
    if (m_keyboardArea)
        m_keyboardArea->setKeyboardFocus(false);
    m_keyboardArea = area;
    if (area)
        area->setKeyboardFocus(true);
}

void TMainClient::moveKeyboardFocus(QGraphicsItem *control)
{
    m_keyboardIndex = qMax<qsizetype>(0, keyboardChain().indexOf(control));
    if (auto *area = qobject_cast<HitAreaItem *>(control->toGraphicsObject())) {
        if (scene()->focusItem())
            scene()->setFocusItem(nullptr, Qt::TabFocusReason);
        setKeyboardArea(area);
        QAccessibleEvent focus(area, QAccessible::Focus);
        m_accessibilityEvent(&focus);
    } else {
        // A widget takes the focus as the toolkit gives it, and says so itself.
        setKeyboardArea(nullptr);
        control->setFocus(Qt::TabFocusReason);
    }
}

bool TMainClient::handleKey(QKeyEvent *event)
{
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Tab:
        step = event->modifiers() & Qt::ShiftModifier ? -1 : 1;
        break;
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Up:
        step = -1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        step = 1;
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        break;
    default:
        return false;
    }
    const QList<QGraphicsItem *> chain = keyboardChain();
    if (chain.isEmpty())
        return false;
    QGraphicsItem *focusWidget = scene()->focusItem();
    if (step == 0) {
        if (m_keyboardArea && !focusWidget && m_keyboardArea->isVisible()) {
            if (!event->isAutoRepeat())
                m_keyboardArea->click();
            return true;
        }
        // Enter presses a button as Space does; a button outside a dialog would ignore it.
        auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(focusWidget);
        auto *button = proxy ? qobject_cast<QAbstractButton *>(proxy->widget()) : nullptr;
        if (button && event->key() != Qt::Key_Space) {
            if (!event->isAutoRepeat())
                button->click();
            return true;
        }
        return false;
    }
    QGraphicsItem *current = focusWidget ? focusWidget : m_keyboardArea.data();
    const qsizetype at = current ? chain.indexOf(current) : -1;
    const qsizetype size = chain.size();
    const qsizetype next = at < 0 ? (step > 0 ? 0 : size - 1) : (at + step + size) % size;
    moveKeyboardFocus(chain[next]);
    return true;
}

bool TMainClient::event(QEvent *event)
{
    // Before the view hands Tab to the scene, which knows only the widgets.
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QGraphicsView::event(event);
}

void TMainClient::controlsChanged()
{
    m_shownControlsStale = true;
    if (m_publishPending)
        return;
    m_publishPending = true;
    QMetaObject::invokeMethod(this, &TMainClient::publishControls, Qt::QueuedConnection);
}

void TMainClient::publishControls()
{
    m_publishPending = false;
    const QList<QObject *> children = accessibleChildren();

    // The keyboard stays on the screen: an area that went away hands it on to the control
    // now at the same place in the chain.
    if (m_keyboardArea && !m_keyboardArea->isVisible()) {
        setKeyboardArea(nullptr);
        const QList<QGraphicsItem *> chain = keyboardChain();
        if (!chain.isEmpty() && !scene()->focusItem())
            moveKeyboardFocus(chain[qMin(m_keyboardIndex, chain.size() - 1)]);
    }

    QList<QPointer<QObject>> published;
    for (QObject *child : children)
        published << child;
    const QList<QPointer<QObject>> before = std::exchange(m_publishedChildren, published);
    bool reordered = before.size() != published.size();
    for (const QPointer<QObject> &gone : before) {
        if (gone && !children.contains(gone.data())) {
            QAccessibleEvent hide(gone.data(), QAccessible::ObjectHide);
            m_accessibilityEvent(&hide);
            reordered = true;
        }
    }
    for (QObject *child : children) {
        if (!before.contains(child)) {
            QAccessibleEvent show(child, QAccessible::ObjectShow);
            m_accessibilityEvent(&show);
            reordered = true;
        }
    }
    if (reordered) {
        QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
        m_accessibilityEvent(&reorder);
    }

    for (const PressRules::TogglePair &pair : PressRules::togglePairs()) {
        const QString toggle = QString::fromLatin1(pair.toggle);
        const bool alternate = *alternateShown(toggle);
        if (m_publishedAlternates.value(toggle, false) == alternate)
            continue;
        m_publishedAlternates.insert(toggle, alternate);
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(component(toggle), changed);
        m_accessibilityEvent(&event);
    }
}

// Navigation.

void TMainClient::rythmiseisshowClick(QObject *)
{
    Panel1->hide();
    Panel5->show();
}

void TMainClient::martyriesshowClick(QObject *)
{
    Panel1->hide();
    Panel2->show();
}

void TMainClient::diaforashowClick(QObject *)
{
    Panel1->hide();
    Panel3->show();
}

void TMainClient::Button1Click(QObject *)
{
    Panel1->show();
    Panel2->hide();
    Panel3->hide();
    Panel5->hide();
}

void TMainClient::offClick(QObject *)
{
    close();
}

// The keypad.

bool TMainClient::runPressRule(Handler rule, QObject *sender)
{
    Surface surface(*this, sender);
    return PressRuleRunner(surface).run(rule);
}

void TMainClient::togglePair(Handler toggle)
{
    Surface surface(*this, nullptr);
    PressRuleRunner(surface).swap(*PressRules::togglePair(toggle));
}

void TMainClient::c3Click(QObject *Sender)
{
    runPressRule(Handler::c3Click, Sender);
}

void TMainClient::ft8Click(QObject *Sender)
{
    runPressRule(Handler::ft8Click, Sender);
}

void TMainClient::m1Click(QObject *Sender)
{
    runPressRule(Handler::m1Click, Sender);
}

void TMainClient::o1Click(QObject *Sender)
{
    runPressRule(Handler::o1Click, Sender);
}

void TMainClient::o5Click(QObject *Sender)
{
    runPressRule(Handler::o5Click, Sender);
}

void TMainClient::ark1Click(QObject *Sender)
{
    runPressRule(Handler::ark1Click, Sender);
}

void TMainClient::enallagixronikiagogiClick(QObject *)
{
    togglePair(Handler::enallagixronikiagogiClick);
}

void TMainClient::enallagiIsonClick(QObject *)
{
    togglePair(Handler::enallagiIsonClick);
}

void TMainClient::enallagiMartyriesClick(QObject *)
{
    togglePair(Handler::enallagiMartyriesClick);
}

void TMainClient::CornerButton1Click(QObject *)
{
    togglePair(Handler::CornerButton1Click);
}

void TMainClient::enallagifthoresClick(QObject *)
{
    togglePair(Handler::enallagifthoresClick);
}

void TMainClient::enallagikatavasiClick(QObject *)
{
    togglePair(Handler::enallagikatavasiClick);
}

void TMainClient::enallagianavasiClick(QObject *)
{
    togglePair(Handler::enallagianavasiClick);
}

void TMainClient::move_clientClick(QObject *Sender)
{
    Panel1->hide();
    Panel4->show();
    kataxorisi(Sender);
}

void TMainClient::Button3Click(QObject *)
{
    Panel1->show();
    Panel4->hide();
    if (!m_channel->writeRawLine(QStringLiteral("move_client")))
        showMessage(Messages::refusal());
}

void TMainClient::moveLClick(QObject *Sender)
{
    kataxorisi(component(u"SpeedButton25"));
    if (m_channel->lastOutcome() == CommandChannel::Outcome::Confirmed)
        flash(Sender);
}

void TMainClient::moveRClick(QObject *Sender)
{
    kataxorisi(component(u"SpeedButton31"));
    if (m_channel->lastOutcome() == CommandChannel::Outcome::Confirmed)
        flash(Sender);
}

void TMainClient::flash(QObject *control)
{
    if (auto *area = qobject_cast<HitAreaItem *>(control))
        area->flash();
}

// The server link.

void TMainClient::showConnected()
{
    BitmapListAnimation1->setEnabled(false);
    BitmapListAnimation2->setEnabled(true);
    describeConnection();
}

void TMainClient::showNotConnected()
{
    BitmapListAnimation2->setEnabled(false);
    BitmapListAnimation1->setEnabled(true);
    describeConnection();
}

// The status tile says in words what its picture shows.
void TMainClient::describeConnection()
{
    auto *tile = qobject_cast<HitAreaItem *>(component(u"con_SpeedButton"));
    const QString description
        = ControlNames::connectionDescription(BitmapListAnimation2->isEnabled());
    if (!tile || tile->accessibleDescription() == description)
        return;
    tile->setAccessibleDescription(description);
    QAccessibleEvent event(tile, QAccessible::DescriptionChanged);
    m_accessibilityEvent(&event);
}

void TMainClient::kataxorisi(QObject *control)
{
    using Outcome = CommandChannel::Outcome;
    switch (m_channel->send(control->objectName())) {
    case Outcome::Confirmed:
        // A user who is not looking at the server's screen still sees that the sign arrived.
        flash(control);
        break;
    case Outcome::Accepted:
        break;
    case Outcome::Refused:
        showMessage(Messages::refusal());
        m_channel->disconnectFromServer();
        m_discovery->resume();
        break;
    case Outcome::LinkLost:
        // The connection is left as it is: discovery or the button brings the link back.
        m_discovery->resume();
        showNotConnected();
        showMessage(Messages::noConnection());
        break;
    case Outcome::NotConnected:
        showMessage(Messages::noConnection());
        m_discovery->resume();
        showNotConnected();
        break;
    }
}

void TMainClient::connectAttempt()
{
    if (m_channel->connectTo(Edit2->text(), Edit3->text()) == CommandChannel::ConnectResult::Failed)
        showMessage(Messages::notFound());
}

void TMainClient::ConnectDisconnectClick(QObject *)
{
    if (m_channel->isConnected()) {
        m_channel->disconnectFromServer();
    } else {
        m_discovery->stop();
        connectAttempt();
    }
}

void TMainClient::IdTCPClient1Connected()
{
    Memo1->appendPlainText(Messages::clientConnected());
    showConnected();
}

void TMainClient::IdTCPClient1Disconnected()
{
    Memo1->appendPlainText(Messages::clientDisconnected());
    showNotConnected();
    m_discovery->resume();
}

// Discovery.

void TMainClient::Timer1Timer(QObject *)
{
    m_discovery->tick();
}

void TMainClient::IdUDPServer1UDPRead(const QByteArray &data)
{
    m_discovery->handleReply(data);
}

void TMainClient::con_SpeedButtonClick(QObject *)
{
    m_discovery->restart();
}
