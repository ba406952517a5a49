// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "accessiblekeypad.h"
#include "discovery.h"
#include "linkdefaults.h"
#include "picturecache.h"
#include "settingsfile.h"

#include <QElapsedTimer>
#include <QGraphicsView>
#include <optional>

class AccessibilityPublisher;
class BitmapListAnimation;
class CommandChannel;
class HitAreaItem;
class KeyboardNavigator;
class KeypadScene;
class KeypadSession;
class LogMemo;
class MessageBoxes;
class PanelItem;
class PointerRouter;
class QLineEdit;
class QTimer;
class UdpListener;

// The keypad's one window, a view of its session: it builds the scene from the layout,
// draws what the session says changed, hands every press to the session, scales the
// screens to its size and saves the address when it closes. Pointer and touch, the
// keyboard and assistive technology each have a class of their own beside it.
class TMainClient : public QGraphicsView, public AccessibleKeypad
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

    TMainClient();
    explicit TMainClient(const Options &options);
    ~TMainClient() override;

    KeypadSession *session() const { return m_session; }
    MessageBoxes *messageBoxes() const { return m_boxes.get(); }
    AccessibilityPublisher *accessibility() const { return m_accessibility.get(); }
    PointerRouter *pointer() const { return m_pointer; }

    QObject *component(QStringView name) const;
    QGraphicsItem *item(QStringView name) const;
    PanelItem *screenPanel(int index) const; // 1 to 5

    // AccessibleKeypad: the controls of the screen that is shown, hit areas and buttons, in
    // reading order: what assistive technology finds in the window, and what the keyboard
    // goes over.
    QList<QObject *> accessibleChildren() const override;
    HitAreaItem *keyboardArea() const override;
    QRect globalRect(const QGraphicsItem *item) const override;
    std::optional<bool> alternateShown(QStringView toggle) const override;

    // Reports an error that escaped a handler.
    void reportError(const QString &message);

    // A control was tapped, clicked or pressed by the keyboard or assistive technology.
    void press(QObject *control);

    // The status tile's picture and words.
    void showConnection(bool connected);

public slots:
    void FormCreate(QObject *Sender);
    void FormActivate(QObject *Sender);

protected:
    // Saves the server's address; the result says whether it could.
    virtual SettingsFile::SaveResult FormClose(QObject *Sender);

    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void findNamedComponents();
    void bindControls();
    void viewSession();
    void completeLoading();
    void claimAccessibleInterfaces();
    // A screen or a panel was shown or hidden: the controls on offer change, once the
    // handler that changed them is done.
    void controlsChanged();
    void publishControls();
    void flash(const QString &control);
    void describeConnection();
    QString settingsPath() const;
    QString saveErrorText(SettingsFile::SaveResult result) const;

    Options m_options;
    PictureCache m_pictureCache;
    KeypadSession *m_session;
    std::unique_ptr<MessageBoxes> m_boxes;
    KeypadScene *m_scene;
    PointerRouter *m_pointer;
    KeyboardNavigator *m_keyboard;
    std::unique_ptr<AccessibilityPublisher> m_accessibility;
    bool m_publishPending = false;
    bool m_closing = false;
    QElapsedTimer m_lastRefusedSave;

public:
    // Components the window uses by name.
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
