#pragma once

#include "layout.h"
#include "logmemo.h"

#include <QElapsedTimer>
#include <QGraphicsView>
#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <functional>

class BitmapListAnimation;
class HitAreaItem;
class PanelItem;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;
class TcpClient;
class UdpListener;

// The keypad's one window. Its components are built from the layout tables; the handlers
// below work from the name of the control that sent them.
class TMainClient : public QGraphicsView
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 1024;
    static constexpr int DesignHeight = 720;
    static constexpr int DiscoveryIntervalMs = 2000;
    static constexpr int ReplyWaitMs = 1000;
    static constexpr int ConnectTimeoutMs = 3000;
    static constexpr int SecondCloseWindowMs = 5000;

    static constexpr quint16 DiscoveryListenPort = 8091;
    static constexpr quint16 DiscoveryRequestPort = 8090;

    struct Options
    {
        int replyWaitMs = ReplyWaitMs;
        int connectTimeoutMs = ConnectTimeoutMs;
        quint16 listenPort = DiscoveryListenPort;
        QHostAddress requestAddress = QHostAddress(QHostAddress::Broadcast);
        quint16 requestPort = DiscoveryRequestPort;
        QString settingsPath; // empty: ZP.INI in the documents folder
    };

    using MessageBoxFunction = std::function<void(const QString &text)>;

    TMainClient();
    explicit TMainClient(const Options &options);
    ~TMainClient() override;

    // Modal boxes go through these, so that tests can answer them.
    void setMessageBoxFunction(MessageBoxFunction show) { m_messageBox = std::move(show); }
    void setErrorBoxFunction(MessageBoxFunction show) { m_errorBox = std::move(show); }

    QObject *component(QStringView name) const;
    QGraphicsItem *item(QStringView name) const;
    // The hit area a press at this viewport point goes to; null when the topmost item there
    // is anything else (a screen, a picture, a widget).
    HitAreaItem *pressTarget(const QPointF &viewportPos) const;
    PanelItem *screenPanel(int index) const; // 1 to 5

    // Reports an error that escaped a handler.
    void reportError(const QString &message);
    static QString errorBoxText(const QString &message);

    // Runs the press handler a control is bound to, reporting what escapes it.
    void invoke(Layout::Handler handler, QObject *sender);

    // The command channel.
    void kataxorisi(QObject *control);
    // Whether the last command that kataxorisi sent was answered "ok".
    bool lastCommandConfirmed() const { return m_lastCommandConfirmed; }
    void writeRawLine(const QString &text);
    bool isLinkConnected();
    void connectAttempt();
    void disconnectLink();
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

private:
    bool beginPress(QMouseEvent *event);
    // Where a mouse event falls on an item, in the item's own units.
    QPointF positionOn(const QGraphicsItem *item, const QMouseEvent *event) const;
    void buildFromLayout();
    void bindHandlers();
    void completeLoading();
    void replyCheck();
    void showMessage(const QString &text);
    void switchTimer1(bool on);
    void flash(QObject *control);
    void togglePair(Layout::Handler toggle);
    void runPressRule(Layout::Handler rule, QObject *sender);
    QString settingsPath() const;

    Options m_options;
    MessageBoxFunction m_messageBox;
    MessageBoxFunction m_errorBox;
    QHash<QString, QObject *> m_components;
    QHash<QString, QGraphicsItem *> m_items;
    QList<QGraphicsItem *> m_topLevelItems;
    QPointer<HitAreaItem> m_pressedArea;
    bool m_closing = false;
    bool m_inTimerTick = false;
    bool m_lastCommandConfirmed = false;
    QElapsedTimer m_lastRefusedSave;

public:
    // Components the handlers use by name.
    PanelItem *Panel1 = nullptr;
    PanelItem *Panel2 = nullptr;
    PanelItem *Panel3 = nullptr;
    PanelItem *Panel4 = nullptr;
    PanelItem *Panel5 = nullptr;
    LogMemo *Memo1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QLabel *Label1 = nullptr;
    QTimer *Timer1 = nullptr;
    TcpClient *IdTCPClient1 = nullptr;
    UdpListener *IdUDPServer1 = nullptr;
    BitmapListAnimation *BitmapListAnimation1 = nullptr;
    BitmapListAnimation *BitmapListAnimation2 = nullptr;
};

// The one window, set before its construction begins.
extern TMainClient *MainClient;
