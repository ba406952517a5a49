// SPDX-License-Identifier: GPL-3.0-or-later

#include "tmainclient.h"

#include "accessibilitypublisher.h"
#include "apperror.h"
#include "bitmaplistanimation.h"
#include "commandchannel.h"
#include "hitareaitem.h"
#include "intconv.h"
#include "keyboardnavigator.h"
#include "keypadaccessibility.h"
#include "keypadscene.h"
#include "keypadsession.h"
#include "logmemo.h"
#include "messageboxes.h"
#include "panelitem.h"
#include "pointerrouter.h"
#include "udplistener.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QPixmapCache>
#include <QTimer>
#include <QtMath>

TMainClient *MainClient = nullptr;

namespace {

QWidget *registerMainClient(TMainClient *window)
{
    MainClient = window;
    return nullptr;
}

KeypadSession::Options sessionOptions(const TMainClient::Options &options)
{
    KeypadSession::Options session;
    session.replyWaitMs = options.replyWaitMs;
    session.connectTimeoutMs = options.connectTimeoutMs;
    session.discovery = options.discovery;
    return session;
}

} // namespace

TMainClient::TMainClient()
    : TMainClient(Options {})
{ }

TMainClient::TMainClient(const Options &options)
    : QGraphicsView(registerMainClient(this))
    , m_options(options)
    , m_pictureCache(options.pictureCacheFolder.isEmpty() ? PictureCache::defaultFolder()
                                                          : options.pictureCacheFolder)
    , m_session(new KeypadSession(sessionOptions(options), this))
    , m_boxes(std::make_unique<MessageBoxes>(this))
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
    // The screens and the background cover the viewport: the toolkit need not fill all of it
    // before every redraw (drawBackground).
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    resize(DesignWidth, DesignHeight);

    m_scene = new KeypadScene(scene(), &m_pictureCache, this);
    m_pointer = new PointerRouter(this, *m_scene, *m_boxes);
    m_keyboard = new KeyboardNavigator(this, *m_scene);
    m_accessibility = std::make_unique<AccessibilityPublisher>(
        this, *this, [this](QStringView name) { return component(name); });

    try {
        const QString layoutError = m_scene->build([this](Layout::Kind kind) -> QObject * {
            Discovery *discovery = m_session->discovery();
            switch (kind) {
            case Layout::Kind::Timer:
                return discovery->timer();
            case Layout::Kind::TcpClient:
                return m_session->channel();
            case Layout::Kind::UdpServer:
                return discovery->listener();
            default:
                return nullptr;
            }
        });
        if (!layoutError.isEmpty())
            throw AppError(QStringLiteral("LayoutError"), layoutError);
        findNamedComponents();
        bindControls();
        viewSession();
        completeLoading();
        FormCreate(this);
        FormActivate(this);
        describeConnection();
        claimAccessibleInterfaces();
        m_accessibility->takeStartingState();
    } catch (...) {
        // The program ends with a start-up error; nothing may reach the half-made window.
        MainClient = nullptr;
        m_scene->release(this);
        throw;
    }
}

TMainClient::~TMainClient()
{
    if (MainClient == this)
        MainClient = nullptr;
    // The scene goes with the base class, after this object has stopped being a window.
    m_scene->release(this);
}

// Start.

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

// Every control with a handler presses through the session.
void TMainClient::bindControls()
{
    for (const Layout::Row &row : Layout::rows()) {
        if (row.handler == Layout::Handler::None)
            continue;
        QObject *control = component(QString::fromLatin1(row.name));
        if (auto *area = qobject_cast<HitAreaItem *>(control)) {
            connect(area, &HitAreaItem::clicked, this, [this, area] { press(area); });
        } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            // clicked, not toggled: a check box set from code must not press.
            connect(button, &QAbstractButton::clicked, this, [this, button] { press(button); });
        }
    }
    // The fields are what the user typed; the session connects to them.
    const auto typed = [this] { m_session->setAddress(Edit2->text(), Edit3->text()); };
    connect(Edit2, &QLineEdit::textChanged, this, typed);
    connect(Edit3, &QLineEdit::textChanged, this, typed);
    connect(m_scene, &KeypadScene::controlsChanged, this, &TMainClient::controlsChanged);
    connect(m_keyboard, &KeyboardNavigator::focusMoved, this,
        [this](QObject *area) { m_accessibility->focusMoved(area); });
}

// What the session says changed, drawn.
void TMainClient::viewSession()
{
    connect(m_session, &KeypadSession::panelShownChanged, this,
        [this](const QString &panel, bool shown) {
            if (QGraphicsItem *panelItem = item(panel))
                panelItem->setVisible(shown);
        });
    connect(m_session, &KeypadSession::checkedChanged, this, [this](bool checked) {
        if (auto *box = qobject_cast<QAbstractButton *>(component(u"CheckBox1")))
            box->setChecked(checked);
    });
    connect(m_session, &KeypadSession::flashed, this, &TMainClient::flash);
    connect(m_session, &KeypadSession::message, this,
        [this](const QString &text) { m_boxes->showMessage(text); });
    connect(m_session, &KeypadSession::connectedChanged, this, &TMainClient::showConnection);
    connect(m_session, &KeypadSession::addressChanged, this,
        [this](const QString &host, const QString &port) {
            Edit2->setText(host);
            Edit3->setText(port);
        });
    connect(m_session, &KeypadSession::logLine, Memo1, &LogMemo::appendPlainText);
    connect(m_session, &KeypadSession::closeRequested, this, &QWidget::close);
}

void TMainClient::completeLoading()
{
    // Usually a second copy of the keypad on this machine, which holds the port.
    if (!m_session->start())
        throw AppError(QStringLiteral("BindError"), m_session->errorString());
    // An animation switched on in the layout runs once when the window is loaded.
    for (const Layout::Row &row : Layout::rows()) {
        if (row.kind == Layout::Kind::BitmapListAnimation)
            qobject_cast<BitmapListAnimation *>(component(QString::fromLatin1(row.name)))
                ->setEnabled(row.visible);
    }
}

// Made while the window was still a plain view, or before the buttons were in the scene,
// the toolkit's interfaces would stand for these for good.
void TMainClient::claimAccessibleInterfaces()
{
    KeypadAccessibility::claim(qApp);
    KeypadAccessibility::claim(this);
    for (QGraphicsItem *control : m_scene->controls()) {
        if (auto *proxy = dynamic_cast<QGraphicsProxyWidget *>(control))
            KeypadAccessibility::claim(proxy->widget());
    }
}

QObject *TMainClient::component(QStringView name) const
{
    return m_scene->component(name);
}

QGraphicsItem *TMainClient::item(QStringView name) const
{
    return m_scene->item(name);
}

PanelItem *TMainClient::screenPanel(int index) const
{
    PanelItem *const screens[] = {Panel1, Panel2, Panel3, Panel4, Panel5};
    return index >= 1 && index <= 5 ? screens[index - 1] : nullptr;
}

void TMainClient::reportError(const QString &message)
{
    m_boxes->showError(message);
}

// The press path: the control's name to the session, which runs the handler the layout
// binds it to.
void TMainClient::press(QObject *control)
{
    m_session->press(control->objectName());
}

void TMainClient::flash(const QString &control)
{
    if (auto *area = qobject_cast<HitAreaItem *>(component(control)))
        area->flash();
}

// Scaling.

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
    for (PanelItem *centred : m_scene->centredPanels()) {
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

// Closing.

SettingsFile::SaveResult TMainClient::FormClose(QObject *)
{
    return SettingsFile::save(settingsPath(), Edit3->text(), Edit2->text());
}

QString TMainClient::saveErrorText(SettingsFile::SaveResult result) const
{
    if (result == SettingsFile::SaveResult::PortNotANumber)
        return invalidIntegerMessage(Edit3->text());
    return QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(settingsPath()));
}

void TMainClient::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    try {
        const SettingsFile::SaveResult saved = FormClose(this);
        // A settings file that can never be written must not lock the user in: a second
        // close soon after a refused write ends the program without saving.
        const bool refusedWrite = saved == SettingsFile::SaveResult::WriteRefused;
        const bool secondClose = refusedWrite && m_lastRefusedSave.isValid()
            && !m_lastRefusedSave.hasExpired(SecondCloseWindowMs);
        if (saved == SettingsFile::SaveResult::Saved || secondClose) {
            event->accept();
            return;
        }
        event->ignore();
        reportError(saveErrorText(saved));
        if (refusedWrite)
            m_lastRefusedSave.start();
    } catch (const std::exception &error) {
        event->ignore();
        reportError(QString::fromStdString(error.what()));
    }
    m_closing = false;
}

// The connection picture.

void TMainClient::showConnection(bool connected)
{
    // The picture that goes first: switching one on paints its frame over the other's.
    (connected ? BitmapListAnimation1 : BitmapListAnimation2)->setEnabled(false);
    (connected ? BitmapListAnimation2 : BitmapListAnimation1)->setEnabled(true);
    describeConnection();
}

// The status tile says in words what its picture shows.
void TMainClient::describeConnection()
{
    m_accessibility->describeConnection(qobject_cast<HitAreaItem *>(component(u"con_SpeedButton")),
        BitmapListAnimation2->isEnabled());
}

// Assistive technology and the keyboard.

QList<QObject *> TMainClient::accessibleChildren() const
{
    QList<QObject *> children;
    for (QGraphicsItem *control : m_scene->shownControls())
        children << KeypadScene::controlObject(control);
    return children;
}

HitAreaItem *TMainClient::keyboardArea() const
{
    return m_keyboard->keyboardArea();
}

QRect TMainClient::globalRect(const QGraphicsItem *item) const
{
    const QRect inViewport = mapFromScene(item->sceneBoundingRect()).boundingRect();
    return {viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size()};
}

std::optional<bool> TMainClient::alternateShown(QStringView toggle) const
{
    return m_session->alternateShown(toggle);
}

void TMainClient::controlsChanged()
{
    if (m_publishPending)
        return;
    m_publishPending = true;
    QMetaObject::invokeMethod(this, &TMainClient::publishControls, Qt::QueuedConnection);
}

void TMainClient::publishControls()
{
    m_publishPending = false;
    m_keyboard->handOn();
    m_accessibility->publish();
}
