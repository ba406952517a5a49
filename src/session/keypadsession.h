// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "discovery.h"
#include "layout.h"
#include "linkdefaults.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <optional>

class CommandChannel;

// One keypad's state and behaviour, without a window: the screen shown, each panel's flag,
// the check box, the server's address and the link. A press by control name runs the
// handler the layout binds it to; what changed comes out as signals for the views to draw.
// The window is one view of it; a browser keypad is another.
class KeypadSession : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        int replyWaitMs = LinkDefaults::ReplyWaitMs;
        int connectTimeoutMs = LinkDefaults::ConnectTimeoutMs;
        // Without it the session does not search by itself: where it would search, it emits
        // searchWanted() and leaves finding the server to its owner.
        std::optional<Discovery::Options> discovery = Discovery::Options {};
    };

    explicit KeypadSession(QObject *parent = nullptr);
    explicit KeypadSession(const Options &options, QObject *parent = nullptr);
    ~KeypadSession() override;

    // Switches discovery on, as the keypad does at start. False, with the reason in
    // errorString(), when discovery's port cannot be bound; true without discovery.
    bool start();
    QString errorString() const { return m_error; }

    // A press of the control of this name: its handler runs, the send and its reply
    // included, before this returns. False, and nothing done, for a name that is not a
    // pressable control, one whose panels are not all shown, or a press that arrives while
    // a press is still running or a message box is open.
    bool press(QStringView control);
    // Whether a press of this control would be taken now.
    bool canPress(QStringView control) const;
    bool isBusy() const { return m_busy > 0; }

    // The screen shown: 1 main, 2 martyria chart, 3 various signs, 4 move pad, 5 settings.
    int screen() const;
    // A panel's own flag, screens and sign panels alike; false for another name.
    bool isShown(QStringView panel) const;
    // Whether the pair a toggle swaps shows its alternate panel; nothing for another control.
    std::optional<bool> alternateShown(QStringView toggle) const;
    bool isChecked() const { return m_checked; } // CheckBox1, "Κάτω"
    // The check box set from code: no press, only checkedChanged().
    void setChecked(bool checked);

    QString host() const { return m_host; }
    QString portText() const { return m_port; }
    // The address typed by the user; emits nothing.
    void setAddress(const QString &host, const QString &portText);
    bool isConnected() const;
    // Connects to the address as it stands, without a message: false when no connection is
    // open afterwards. Discovery, or the owner after searchWanted(), calls this.
    bool connectToServer();

    CommandChannel *channel() const { return m_channel; }
    // Null without discovery.
    Discovery *discovery() const { return m_discovery; }

    // The send routine: the control's name to the server, and the user told of a failure.
    void kataxorisi(const QString &control);

    // The design's handlers, each reached from press() through the layout's binding.
    void c3Click(const QString &Sender);
    void ft8Click(const QString &Sender);
    void m1Click(const QString &Sender);
    void o1Click(const QString &Sender);
    void o5Click(const QString &Sender);
    void ark1Click(const QString &Sender);

    void enallagixronikiagogiClick(const QString &Sender);
    void enallagiIsonClick(const QString &Sender);
    void enallagiMartyriesClick(const QString &Sender);
    void CornerButton1Click(const QString &Sender);
    void enallagifthoresClick(const QString &Sender);
    void enallagikatavasiClick(const QString &Sender);
    void enallagianavasiClick(const QString &Sender);

    void rythmiseisshowClick(const QString &Sender);
    void martyriesshowClick(const QString &Sender);
    void diaforashowClick(const QString &Sender);
    void Button1Click(const QString &Sender);
    void offClick(const QString &Sender);

    void move_clientClick(const QString &Sender);
    void Button3Click(const QString &Sender);
    void moveLClick(const QString &Sender);
    void moveRClick(const QString &Sender);

    void ConnectDisconnectClick(const QString &Sender);
    void con_SpeedButtonClick(const QString &Sender);

    void IdTCPClient1Connected();
    void IdTCPClient1Disconnected();
    void Timer1Timer();
    void IdUDPServer1UDPRead(const QByteArray &data);

signals:
    void panelShownChanged(const QString &panel, bool shown);
    void screenChanged(int screen);
    void checkedChanged(bool checked);
    // The server confirmed the command this control sent.
    void flashed(const QString &control);
    // A message box: a view that shows it modally holds the handler until it is dismissed.
    void message(const QString &text);
    void connectedChanged(bool connected);
    // Found by discovery; the views show it in the address fields.
    void addressChanged(const QString &host, const QString &portText);
    // A line for the connection log.
    void logLine(const QString &line);
    // The power tile: the keypad should close.
    void closeRequested();
    // Without discovery: where the keypad would search for the server.
    void searchWanted();

private:
    class Surface;
    using Handler = Layout::Handler;
    struct ControlPlace
    {
        const Layout::Row *row;
        QList<QString> panels; // the panels above it, itself included when it is one
        bool laidOutHidden;
    };
    static const QHash<QString, ControlPlace> &controlPlaces();
    bool isOnShownPanels(const ControlPlace &place) const;
    // The row of a control that a press may run now, or null.
    const Layout::Row *pressable(const QString &control) const;

    void dispatch(Handler handler, const QString &sender);
    bool runPressRule(Handler rule, const QString &sender);
    void togglePair(Handler toggle);
    void setShown(const QString &panel, bool shown);
    void showMessage(const QString &text);
    void resumeSearch();
    void connectAttempt();

    CommandChannel *m_channel;
    Discovery *m_discovery = nullptr;
    QHash<QString, bool> m_shown; // every panel of the layout
    bool m_checked = false;
    QString m_host;
    QString m_port;
    QString m_error;
    int m_busy = 0; // presses running and message boxes open
};
