// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "discovery.h"
#include "layout.h"
#include "linkdefaults.h"
#include "logmemo.h"
#include "picturecache.h"

#include <QElapsedTimer>
#include <QGraphicsView>
#include <QHash>
#include <QPointer>
#include <functional>
#include <optional>

class BitmapListAnimation;
class CommandChannel;
class HitAreaItem;
class PanelItem;
class QGraphicsObject;
class QAccessibleEvent;
class QKeyEvent;
class QLineEdit;
class QTimer;
class QTouchEvent;
class QWindow;
class UdpListener;

// The keypad's one window: the scene built from the layout tables, the press dispatch, the
// message boxes, the pictures and the close policy. The command channel and discovery do
// the talking; the handlers below wire them to the screen and work from the name of the
// control that sent them.
class TMainClient : public QGraphicsView
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 1024;
    static constexpr int DesignHeight = 720;
    static constexpr int SecondCloseWindowMs = 5000;

    struct Options
    {
        int replyWaitMs = LinkDefaults::ReplyWaitMs;
        int connectTimeoutMs = LinkDefaults::ConnectTimeoutMs;
        Discovery::Options discovery;
        QString settingsPath; // empty: ZP.INI in the documents folder
        QString pictureCacheFolder; // empty: the user's cache folder
    };

    using MessageBoxFunction = std::function<void(const QString &text)>;
    using AccessibilityEventFunction = std::function<void(QAccessibleEvent *event)>;

    TMainClient();
    explicit TMainClient(const Options &options);
    ~TMainClient() override;

    // Modal boxes go through these, so that tests can answer them.
    void setMessageBoxFunction(MessageBoxFunction show) { m_messageBox = std::move(show); }
    void setErrorBoxFunction(MessageBoxFunction show) { m_errorBox = std::move(show); }
    // The window's accessibility events go through this, so that tests can see them where no
    // assistive technology listens.
    void setAccessibilityEventFunction(AccessibilityEventFunction notify)
    {
        m_accessibilityEvent = std::move(notify);
    }

    QObject *component(QStringView name) const;
    QGraphicsItem *item(QStringView name) const;
    // The hit area a press at this viewport point goes to; null when the topmost item there
    // is anything else (a screen, a picture, a widget).
    HitAreaItem *pressTarget(const QPointF &viewportPos) const;
    PanelItem *screenPanel(int index) const; // 1 to 5

    // The controls of the screen that is shown, hit areas and buttons, in reading order: what
    // assistive technology finds in the window, and what the keyboard goes over.
    QList<QObject *> accessibleChildren() const;
    // The hit area the keyboard is on, or null.
    HitAreaItem *keyboardArea() const;
    // Where the window draws an item, in screen pixels.
    QRect globalRect(const QGraphicsItem *item) const;
    // Whether the pair a toggle swaps shows its alternate panel; nothing for another control.
    std::optional<bool> alternateShown(QStringView toggle) const;

    CommandChannel *channel() const { return m_channel; }
    Discovery *discovery() const { return m_discovery; }

    // Reports an error that escaped a handler.
    void reportError(const QString &message);
    static QString errorBoxText(const QString &message);

    // Runs the press handler a control is bound to, reporting what escapes it.
    void invoke(Layout::Handler handler, QObject *sender);

    // The send routine: the control's name to the server, and the user told of a failure.
    void kataxorisi(QObject *control);
    void showConnected();
    void showNotConnected();

public slots:
    void FormCreate(QObject *Sender);
    void FormActivate(QObject *Sender);
    void rythmiseisshowClick(QObject *Sender);
    void martyriesshowClick(QObject *Sender);
    void diaforashowClick(QObject *Sender);
    void Button1Click(QObject *Sender);
    void offClick(QObject *Sender);

    void c3Click(QObject *Sender);
    void ft8Click(QObject *Sender);
    void m1Click(QObject *Sender);
    void o1Click(QObject *Sender);
    void o5Click(QObject *Sender);
    void ark1Click(QObject *Sender);

    void enallagixronikiagogiClick(QObject *Sender);
    void enallagiIsonClick(QObject *Sender);
    void enallagiMartyriesClick(QObject *Sender);
    void CornerButton1Click(QObject *Sender);
    void enallagifthoresClick(QObject *Sender);
    void enallagikatavasiClick(QObject *Sender);
    void enallagianavasiClick(QObject *Sender);

    void move_clientClick(QObject *Sender);
    void Button3Click(QObject *Sender);
    void moveLClick(QObject *Sender);
    void moveRClick(QObject *Sender);

    void ConnectDisconnectClick(QObject *Sender);
    void IdTCPClient1Connected();
    void IdTCPClient1Disconnected();

    void Timer1Timer(QObject *Sender);
    void IdUDPServer1UDPRead(const QByteArray &data);
    void con_SpeedButtonClick(QObject *Sender);

protected:
    virtual void FormClose(QObject *Sender);

    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void prepareSceneForDestruction();
    class Surface;

    // A finger on the screen: on a hit area, or standing in for the mouse on anything else.
    struct Touch
    {
        QPointer<HitAreaItem> area;
        bool asMouse = false;
    };

    // True when the event was a touch event, now handled; toViewport maps its points.
    bool handleTouchEvent(QEvent *event, const QPointF &toViewport);
    void handleTouch(QTouchEvent *event, const QPointF &toViewport);
    void beginTouch(int id, const QPointF &pos);
    // False when the handler its tap ran showed a box: the other fingers' taps are dropped.
    bool endTouch(const Touch &touch, const QPointF &pos);
    void cancelTouches();
    void sendMouseForTouch(QEvent::Type type, const QPointF &pos);

    bool beginPress(QMouseEvent *event);
    // Where a mouse event falls on an item, in the item's own units.
    QPointF positionOn(const QGraphicsItem *item, const QMouseEvent *event) const;

    void buildFromLayout();
    void addItem(const Layout::Row &row, QGraphicsItem *parent, QGraphicsObject *item);
    void addPanel(const Layout::Row &row, QGraphicsItem *parent);
    void addWidget(const Layout::Row &row, QGraphicsItem *parent, QWidget *widget);
    void addAnimation(const Layout::Row &row, QGraphicsItem *parent);
    void addComponent(const Layout::Row &row, QObject *component);
    void findNamedComponents();
    void chainTabOrder();
    void bindHandlers();
    void completeLoading();

    // The keyboard, on a screen with hit areas: Tab and the arrows go over its controls in
    // reading order, Space and Enter press the one it is on. True when the key was taken.
    bool handleKey(QKeyEvent *event);
    QList<QGraphicsItem *> keyboardChain() const;
    void moveKeyboardFocus(QGraphicsItem *control);
    void setKeyboardArea(HitAreaItem *area);
    // A screen or a panel was shown or hidden: the controls on offer change, once the handler
    // that changed them is done.
    void controlsChanged();
    void publishControls();
    void describeConnection();

    void showMessage(const QString &text);
    void connectAttempt();
    void flash(QObject *control);
    // False when the handler has no press rule.
    bool runPressRule(Layout::Handler rule, QObject *sender);
    void togglePair(Layout::Handler toggle);
    QString settingsPath() const;

    Options m_options;
    PictureCache m_pictureCache;
    CommandChannel *m_channel;
    Discovery *m_discovery;
    MessageBoxFunction m_messageBox;
    MessageBoxFunction m_errorBox;
    AccessibilityEventFunction m_accessibilityEvent;
    QHash<QString, QObject *> m_components;
    QHash<QString, QGraphicsItem *> m_items;
    QList<QGraphicsItem *> m_topLevelItems;
    QList<PanelItem *> m_centredPanels;
    QList<QGraphicsItem *> m_controls; // hit areas and buttons, in layout order
    mutable QList<QGraphicsItem *> m_shownControls; // in reading order
    mutable bool m_shownControlsStale = true;
    bool m_publishPending = false;
    QList<QPointer<QObject>> m_publishedChildren;
    QHash<QString, bool> m_publishedAlternates;
    QPointer<HitAreaItem> m_keyboardArea;
    qsizetype m_keyboardIndex = 0;
    QPointer<HitAreaItem> m_pressedArea;
    QHash<int, Touch> m_touches;
    QPointer<QWindow> m_touchWindow;
    int m_boxesShown = 0;
    bool m_closing = false;
    QElapsedTimer m_lastRefusedSave;

public:
    // Components the handlers use by name.
    PanelItem *Panel1 = nullptr;
    PanelItem *Panel2 = nullptr;
    PanelItem *Panel3 = nullptr;
    PanelItem *Panel4 = nullptr;
    PanelItem *Panel5 = nullptr;
    LogMemo *Memo1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QTimer *Timer1 = nullptr;
    UdpListener *IdUDPServer1 = nullptr;
    BitmapListAnimation *BitmapListAnimation1 = nullptr;
    BitmapListAnimation *BitmapListAnimation2 = nullptr;
};

// The one window, set before its construction begins.
extern TMainClient *MainClient;
