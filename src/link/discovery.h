// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "discoverydestinations.h"
#include "linkdefaults.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>

class CommandChannel;
class QTimer;
class UdpListener;

// Finds the ZP server: while its timer runs, each tick asks the network with "zp", and the
// first reply that names a host and a port ("<host>m<port>") makes the channel connect
// there. The owner connects timer()'s ticks to tick() and datagramReceived() to
// handleReply(); what the user should see comes out as signals.
class Discovery : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        quint16 listenPort = LinkDefaults::DiscoveryListenPort;
        // Asked at every tick, so that a network that comes up later is searched from the
        // next tick on.
        std::function<QList<QHostAddress>()> requestDestinations
            = thisMachinesDiscoveryDestinations;
        quint16 requestPort = LinkDefaults::DiscoveryRequestPort;
        int intervalMs = LinkDefaults::DiscoveryIntervalMs;
    };

    explicit Discovery(CommandChannel *channel, QObject *parent = nullptr);
    Discovery(CommandChannel *channel, const Options &options, QObject *parent = nullptr);

    QTimer *timer() const { return m_timer; }
    UdpListener *listener() const { return m_listener; }

    // Switches the listener and the timer on, as the keypad does at start. False, with the
    // reason in errorString(), when the listener's port cannot be bound.
    bool start();
    QString errorString() const { return m_error; }

    bool isSearching() const;
    // Switching on a timer that runs does not push its next tick back.
    void resume();
    void stop();

    // A tick: the listener on, then the request to every destination. A destination that
    // refuses it is skipped; when the listener cannot be switched on, or no destination
    // takes the request, networkFailed() is emitted and then the timer is switched off. A
    // tick that falls due while an earlier one is still inside networkFailed() does nothing.
    void tick();

    // While searching, a datagram that names a host and a port: serverAnnounced(), the timer
    // off, then the channel's connect attempt, and serverNotFound() when it leaves no
    // connection; while connected, only the timer off. Anything else, and every datagram
    // while not searching, is ignored.
    void handleReply(const QByteArray &datagram);

    // Starts over: the listener off, the timer on. The next tick binds fresh sockets.
    void restart();

    // Replies wait while a handler or its message box runs, so that each is handled on its
    // own, after whatever the user started.
    class Hold
    {
    public:
        explicit Hold(const Discovery &discovery);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        UdpListener *m_listener;
    };

signals:
    // A datagram from the listener, one at a time and never while held.
    void datagramReceived(const QByteArray &datagram);
    void serverAnnounced(const QString &host, const QString &portText);
    void serverNotFound();
    void networkFailed();

private:
    bool sendRequests();

    CommandChannel *m_channel;
    Options m_options;
    QTimer *m_timer;
    UdpListener *m_listener;
    QString m_error;
    bool m_inTick = false;
};
