#include "tmainclient.h"

#include "apperror.h"
#include "bitmaplistanimation.h"
#include "cornerbutton.h"
#include "discoveryreply.h"
#include "hitareaitem.h"
#include "imagecontrolitem.h"
#include "intconv.h"
#include "linkerror.h"
#include "logmemo.h"
#include "messages.h"
#include "panelitem.h"
#include "pictureitem.h"
#include "pressrules.h"
#include "settingsfile.h"
#include "tapcheckbox.h"
#include "tcpclient.h"
#include "udplistener.h"
#include "wireformat.h"

#include <QCloseEvent>
#include <QDir>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmapCache>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <iterator>
#include <map>

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

} // namespace

TMainClient::TMainClient()
    : TMainClient(Options {})
{ }

TMainClient::TMainClient(const Options &options)
    : QGraphicsView(registerMainClient(this))
    , m_options(options)
{
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
    resize(DesignWidth, DesignHeight);

    m_messageBox = [this](const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };
    m_errorBox = [this](const QString &text) {
        QMessageBox box(QMessageBox::Critical, windowTitle(), text, QMessageBox::Ok, this);
        box.exec();
    };

    try {
        buildFromLayout();
        bindHandlers();
        completeLoading();
        FormCreate(this);
        FormActivate(this);
    } catch (...) {
        // The program ends with a start-up error; nothing may reach the half-made window.
        MainClient = nullptr;
        throw;
    }
}

TMainClient::~TMainClient()
{
    if (MainClient == this)
        MainClient = nullptr;
    // A cached item that loses the focus while the scene destroys it makes the toolkit build a
    // new cache for it that nothing frees: the caches go first.
    for (QGraphicsItem *item : std::as_const(m_items))
        item->setCacheMode(QGraphicsItem::NoCache);
}

void TMainClient::buildFromLayout()
{
    for (const Row &row : Layout::rows()) {
        const QString name = nameOf(row);
        QGraphicsItem *parent = nullptr;
        if (row.parent) {
            parent = m_items.value(QString::fromLatin1(row.parent));
            const bool visual = row.kind != Kind::Timer && row.kind != Kind::BitmapListAnimation;
            if (!parent && visual)
                throw AppError(QStringLiteral("LayoutError"),
                    QStringLiteral("%1 is placed in %2, which comes later or not at all")
                        .arg(name, QString::fromLatin1(row.parent)));
        }

        auto addItem = [&](QGraphicsObject *item) {
            if (!parent) {
                scene()->addItem(item);
                m_topLevelItems << item;
            }
            m_items.insert(name, item);
            m_components.insert(name, item);
        };
        auto addWidget = [&](QWidget *widget) {
            widget->setObjectName(name);
            widget->resize(row.rect.size().toSize());
            auto *proxy = new QGraphicsProxyWidget(parent);
            proxy->setObjectName(name);
            proxy->setWidget(widget);
            proxy->setPos(row.rect.topLeft());
            proxy->setTransform(QTransform::fromScale(row.scale.x(), row.scale.y()));
            proxy->setVisible(row.visible);
            // A button drawn through a style sheet, scaled unevenly, costs more to draw than
            // a picture: keep its look as pixels until it changes.
            if (qobject_cast<QAbstractButton *>(widget))
                proxy->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
            if (!parent) {
                scene()->addItem(proxy);
                m_topLevelItems << proxy;
            }
            m_items.insert(name, proxy);
            m_components.insert(name, widget);
        };

        switch (row.kind) {
        case Kind::Panel:
            addItem(new PanelItem(row, parent));
            break;
        case Kind::Image:
            addItem(new PictureItem(row, parent));
            break;
        case Kind::ImageControl:
            addItem(new ImageControlItem(row, parent));
            break;
        case Kind::SpeedButton:
            addItem(new HitAreaItem(row, parent));
            break;
        case Kind::Button:
            if (row.style == Style::TransparentCircle) {
                addItem(new HitAreaItem(row, parent));
            } else if (row.style == Style::Default) {
                addWidget(new QPushButton(QString::fromUtf8(row.text)));
            } else {
                auto *button = new QToolButton;
                button->setArrowType(row.style == Style::ArrowUp ? Qt::UpArrow
                        : row.style == Style::ArrowRight         ? Qt::RightArrow
                        : row.style == Style::ArrowDown          ? Qt::DownArrow
                                                                 : Qt::LeftArrow);
                addWidget(button);
            }
            break;
        case Kind::CornerButton: {
            addWidget(new CornerButton(QString::fromUtf8(row.text)));
            break;
        }
        case Kind::CheckBox:
            addWidget(new TapCheckBox(QString::fromUtf8(row.text)));
            break;
        case Kind::Edit:
            addWidget(new QLineEdit(QString::fromUtf8(row.text)));
            break;
        case Kind::Memo:
            addWidget(new LogMemo);
            break;
        case Kind::Label:
            addWidget(new QLabel(QString::fromUtf8(row.text)));
            break;
        case Kind::BitmapListAnimation: {
            QPixmap frame(QStringLiteral(":/assets/%1.png").arg(name));
            auto *target = dynamic_cast<ImageControlItem *>(parent);
            auto *animation = new BitmapListAnimation(name, frame, target, this);
            m_components.insert(name, animation);
            break;
        }
        case Kind::Timer: {
            auto *timer = new QTimer(this);
            timer->setObjectName(name);
            timer->setInterval(DiscoveryIntervalMs);
            m_components.insert(name, timer);
            break;
        }
        case Kind::TcpClient: {
            auto *client = new TcpClient(this, m_options.connectTimeoutMs);
            client->setObjectName(name);
            m_components.insert(name, client);
            break;
        }
        case Kind::UdpServer: {
            auto *listener = new UdpListener(this, m_options.listenPort);
            listener->setObjectName(name);
            m_components.insert(name, listener);
            break;
        }
        }
    }

    Panel1 = qobject_cast<PanelItem *>(component(u"Panel1"));
    Panel2 = qobject_cast<PanelItem *>(component(u"Panel2"));
    Panel3 = qobject_cast<PanelItem *>(component(u"Panel3"));
    Panel4 = qobject_cast<PanelItem *>(component(u"Panel4"));
    Panel5 = qobject_cast<PanelItem *>(component(u"Panel5"));
    Memo1 = qobject_cast<LogMemo *>(component(u"Memo1"));
    Edit1 = qobject_cast<QLineEdit *>(component(u"Edit1"));
    Edit2 = qobject_cast<QLineEdit *>(component(u"Edit2"));
    Edit3 = qobject_cast<QLineEdit *>(component(u"Edit3"));
    Label1 = qobject_cast<QLabel *>(component(u"Label1"));
    Timer1 = qobject_cast<QTimer *>(component(u"Timer1"));
    IdTCPClient1 = qobject_cast<TcpClient *>(component(u"IdTCPClient1"));
    IdUDPServer1 = qobject_cast<UdpListener *>(component(u"IdUDPServer1"));
    BitmapListAnimation1 = qobject_cast<BitmapListAnimation *>(component(u"BitmapListAnimation1"));
    BitmapListAnimation2 = qobject_cast<BitmapListAnimation *>(component(u"BitmapListAnimation2"));
    if (!Panel1 || !Panel2 || !Panel3 || !Panel4 || !Panel5 || !Memo1 || !Edit2 || !Edit3 || !Label1
        || !Timer1 || !IdTCPClient1 || !IdUDPServer1 || !BitmapListAnimation1
        || !BitmapListAnimation2)
        throw AppError(QStringLiteral("LayoutError"),
            QStringLiteral("The layout lacks a screen or a link component"));

    // The tab order inside each container, for the controls that take the keyboard focus.
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
    connect(IdTCPClient1, &TcpClient::connected, this, &TMainClient::IdTCPClient1Connected);
    connect(IdTCPClient1, &TcpClient::disconnected, this, &TMainClient::IdTCPClient1Disconnected);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(Timer1); });
    connect(IdUDPServer1, &UdpListener::datagramReceived, this, &TMainClient::IdUDPServer1UDPRead);
}

void TMainClient::completeLoading()
{
    Timer1->start();
    try {
        IdUDPServer1->setActive(true);
    } catch (const LinkError &error) {
        // Usually a second copy of the keypad on this machine, which holds the port.
        throw AppError(QStringLiteral("BindError"), QString::fromStdString(error.what()));
    }
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
    m_errorBox(errorBoxText(message));
}

void TMainClient::showMessage(const QString &text)
{
    m_messageBox(text);
}

namespace {

// Discovery replies wait while a handler or its message box runs, so that each reply is
// handled on its own, after whatever the user started.
class ListenerHold
{
public:
    explicit ListenerHold(UdpListener *listener)
        : m_listener(listener)
    {
        m_listener->hold();
    }
    ~ListenerHold() { m_listener->release(); }
    ListenerHold(const ListenerHold &) = delete;
    ListenerHold &operator=(const ListenerHold &) = delete;

private:
    UdpListener *m_listener;
};

} // namespace

namespace {

using HandlerMethod = void (TMainClient::*)(QObject *);

// The layout binds controls to handlers by name; these are the methods behind the names.
const std::pair<Handler, HandlerMethod> handlerMethods[] = {
    {Handler::c3Click, &TMainClient::c3Click},
    {Handler::ft8Click, &TMainClient::ft8Click},
    {Handler::m1Click, &TMainClient::m1Click},
    {Handler::o1Click, &TMainClient::o1Click},
    {Handler::o5Click, &TMainClient::o5Click},
    {Handler::ark1Click, &TMainClient::ark1Click},
    {Handler::enallagixronikiagogiClick, &TMainClient::enallagixronikiagogiClick},
    {Handler::enallagiIsonClick, &TMainClient::enallagiIsonClick},
    {Handler::enallagiMartyriesClick, &TMainClient::enallagiMartyriesClick},
    {Handler::CornerButton1Click, &TMainClient::CornerButton1Click},
    {Handler::enallagifthoresClick, &TMainClient::enallagifthoresClick},
    {Handler::enallagikatavasiClick, &TMainClient::enallagikatavasiClick},
    {Handler::enallagianavasiClick, &TMainClient::enallagianavasiClick},
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
    const auto found = std::find_if(std::begin(handlerMethods), std::end(handlerMethods),
        [handler](const auto &entry) { return entry.first == handler; });
    if (found == std::end(handlerMethods))
        return;
    const ListenerHold hold(IdUDPServer1);
    try {
        (this->*found->second)(sender);
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
    const SettingsFile::Address address = SettingsFile::load(settingsPath());
    Edit3->setText(address.port);
    Edit2->setText(address.host);
}

void TMainClient::FormActivate(QObject *)
{
    const int w = MainClient->width();
    const int h = MainClient->height();
    const float sx = float(double(w) / DesignWidth);
    const float sy = float(double(h) / DesignHeight);
    scene()->setSceneRect(0, 0, w, h);
    for (int i = 1; i <= 5; ++i)
        screenPanel(i)->setScale(sx, sy);
    // The move pad and the settings screen stand in the middle of the window.
    for (PanelItem *centred : {Panel4, Panel5}) {
        const QSizeF size = centred->size();
        centred->setPos((w - size.width() * sx) / 2, (h - size.height() * sy) / 2);
    }
}

void TMainClient::drawBackground(QPainter *painter, const QRectF &rect)
{
    // The main screen covers the whole window; only the smaller screens show the background.
    if (!Panel1->isVisible())
        QGraphicsView::drawBackground(painter, rect);
}

void TMainClient::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    FormActivate(this);
}

namespace {

// The topmost of these siblings and their descendants whose rectangle meets rect, in the
// scene's stacking order: later siblings above earlier ones, children above their parent.
// Rectangles are compared in scene coordinates, as the scene does, so that an edge shared
// with the pixel counts the same. The keypad uses no z values, no items stacked behind their
// parent and no shapes other than rectangles.
QGraphicsItem *topmostIn(const QList<QGraphicsItem *> &siblings, const QRectF &rect)
{
    for (auto it = siblings.crbegin(); it != siblings.crend(); ++it) {
        QGraphicsItem *item = *it;
        if (!item->isVisible() || qFuzzyIsNull(item->opacity()))
            continue;
        const QRectF area = item->sceneTransform().mapRect(item->boundingRect());
        const bool hit = area.intersects(rect);
        const bool keepsChildrenInside = item->flags()
            & (QGraphicsItem::ItemClipsChildrenToShape
                | QGraphicsItem::ItemContainsChildrenInShape);
        if (hit || !keepsChildrenInside) {
            const QRectF childRect = keepsChildrenInside ? rect & area : rect;
            if (QGraphicsItem *child = topmostIn(item->childItems(), childRect))
                return child;
        }
        if (hit)
            return item;
    }
    return nullptr;
}

} // namespace

HitAreaItem *TMainClient::pressTarget(const QPointF &viewportPos) const
{
    // The pixel under the pointer, the area the scene tests a press against.
    const QRectF pixel
        = viewportTransform().inverted().mapRect(QRectF(viewportPos.toPoint(), QSizeF(1, 1)));
    QGraphicsItem *topmost = topmostIn(m_topLevelItems, pixel);
    return topmost ? qobject_cast<HitAreaItem *>(topmost->toGraphicsObject()) : nullptr;
}

// A tap on a sign goes straight to its hit area. The scene would find the same item, but its
// general search, done for the press and again for the hover after the release, took most of
// a tap's time; the window knows its few screens and panels and looks there.
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

void TMainClient::togglePair(Handler handler)
{
    const PressRules::TogglePair *pair = PressRules::togglePair(handler);
    for (const char *name : {pair->primary, pair->alternate}) {
        QGraphicsItem *panel = item(QString::fromLatin1(name));
        panel->setVisible(!panel->isVisible());
    }
}

void TMainClient::runPressRule(Handler rule, QObject *sender)
{
    using Op = PressRules::Step::Op;
    for (const PressRules::Step &step : PressRules::steps(rule)) {
        switch (step.op) {
        case Op::Send:
            kataxorisi(sender);
            break;
        case Op::SwapMartyria:
            enallagiMartyriesClick(sender);
            break;
        case Op::UncheckCheckBox:
            if (auto *box = qobject_cast<QAbstractButton *>(component(u"CheckBox1")))
                box->setChecked(false);
            break;
        case Op::Show:
            item(QString::fromLatin1(step.panel))->setVisible(true);
            break;
        case Op::Hide:
            item(QString::fromLatin1(step.panel))->setVisible(false);
            break;
        }
    }
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
    try {
        writeRawLine(QStringLiteral("move_client"));
    } catch (const LinkError &) {
        showMessage(Messages::refusal());
    }
}

void TMainClient::moveLClick(QObject *Sender)
{
    kataxorisi(component(u"SpeedButton25"));
    if (m_lastCommandConfirmed)
        flash(Sender);
}

void TMainClient::moveRClick(QObject *Sender)
{
    kataxorisi(component(u"SpeedButton31"));
    if (m_lastCommandConfirmed)
        flash(Sender);
}

void TMainClient::flash(QObject *control)
{
    if (auto *area = qobject_cast<HitAreaItem *>(control))
        area->flash();
}

// The command channel.

void TMainClient::switchTimer1(bool on)
{
    // Switching on a timer that runs must not push its next tick back.
    if (on && !Timer1->isActive())
        Timer1->start();
    else if (!on)
        Timer1->stop();
}

void TMainClient::showConnected()
{
    BitmapListAnimation1->setEnabled(false);
    BitmapListAnimation2->setEnabled(true);
}

void TMainClient::showNotConnected()
{
    BitmapListAnimation2->setEnabled(false);
    BitmapListAnimation1->setEnabled(true);
}

bool TMainClient::isLinkConnected()
{
    return IdTCPClient1->connectedTest();
}

void TMainClient::kataxorisi(QObject *control)
{
    m_lastCommandConfirmed = false;
    if (!isLinkConnected()) {
        showMessage(Messages::noConnection());
        switchTimer1(true);
        showNotConnected();
        return;
    }
    try {
        IdTCPClient1->writeLine(control->objectName());
        replyCheck();
        // A user who is not looking at the server's screen still sees that the sign arrived;
        // a reply wait that merely ran out confirms nothing.
        if (m_lastCommandConfirmed)
            flash(control);
    } catch (const LinkError &) {
        // The connection is left as it is: discovery or the button brings the link back.
        switchTimer1(true);
        showNotConnected();
        showMessage(Messages::noConnection());
    }
}

void TMainClient::replyCheck()
{
    // Label1 holds a refused reply while its message is up, and "x" between checks. It is
    // never shown, and setting a label's text is a good part of a press's cost, so an accepted
    // reply does not pass through it.
    const QString reply = IdTCPClient1->readLine(m_options.replyWaitMs);
    m_lastCommandConfirmed = reply == u"ok";
    if (!WireFormat::isAcceptedReply(reply)) {
        Label1->setText(reply);
        showMessage(Messages::refusal());
        disconnectLink();
        switchTimer1(true);
    }
    if (Label1->text() != u"x")
        Label1->setText(QStringLiteral("x"));
}

void TMainClient::writeRawLine(const QString &text)
{
    IdTCPClient1->writeLine(text);
}

void TMainClient::connectAttempt()
{
    try {
        IdTCPClient1->setHost(Edit2->text());
        const std::optional<qint32> port = strToInt(Edit3->text());
        if (!port)
            throw LinkError(invalidIntegerMessage(Edit3->text()));
        IdTCPClient1->setPort(quint16(quint32(*port) & 0xFFFF));
        IdTCPClient1->connectToServer();
    } catch (const LinkError &) {
        if (!isLinkConnected())
            showMessage(Messages::notFound());
    }
}

void TMainClient::disconnectLink()
{
    IdTCPClient1->disconnectFromServer();
}

void TMainClient::ConnectDisconnectClick(QObject *)
{
    if (isLinkConnected()) {
        disconnectLink();
    } else {
        switchTimer1(false);
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
    switchTimer1(true);
}

// Discovery.

void TMainClient::Timer1Timer(QObject *)
{
    // A tick that falls due while the network message of an earlier tick is open waits for
    // it, rather than stacking a second message.
    if (m_inTimerTick)
        return;
    const QScopedValueRollback inTick(m_inTimerTick, true);
    const ListenerHold hold(IdUDPServer1);
    try {
        IdUDPServer1->setActive(true);
        IdUDPServer1->send(
            QByteArrayLiteral("zp"), m_options.requestAddress, m_options.requestPort);
    } catch (const LinkError &) {
        showMessage(Messages::network());
        switchTimer1(false);
    }
}

void TMainClient::IdUDPServer1UDPRead(const QByteArray &data)
{
    const ListenerHold hold(IdUDPServer1);
    const std::optional<DiscoveryReply> reply = splitDiscoveryReply(decodeDiscoveryReply(data));
    if (!reply)
        return;
    Edit2->setText(reply->host);
    Edit3->setText(reply->port);
    switchTimer1(false);
    connectAttempt();
}

void TMainClient::con_SpeedButtonClick(QObject *)
{
    try {
        IdUDPServer1->setActive(false);
        switchTimer1(true);
    } catch (const std::exception &) {
        showMessage(Messages::noConnection());
    }
}
