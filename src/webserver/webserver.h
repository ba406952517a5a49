// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <memory>

// The tablets' door: serves a fixed set of files over HTTP (compressed and tagged once, at
// construction) and carries each tablet's WebSocket messages, on a thread of its own. Anyone
// on the network can reach the port, so every request must name the pairing key as the first
// segment of its path; without it the answer is 403 and nothing else. Messages cross into the
// owner's thread as queued signals; what they mean is the owner's business.
class WebServer : public QObject
{
    Q_OBJECT

public:
    struct File
    {
        QByteArray body;
        QByteArray contentType;
    };
    // By path after the key: "index.html", "pictures/Image1.svg"; the page itself is "".
    using Files = QHash<QByteArray, File>;

    // Bounds on what a stranger can make the server hold or do.
    struct Limits
    {
        int tablets = 8; // WebSocket connections at once
        int connections = 64; // every open TCP connection, tablets included
        int messageBytes = 1024; // a larger message closes its connection
        // A tablet's messages beyond this rate are dropped: a token bucket of this many
        // messages, refilled at pressesPerSecond.
        int pressesPerSecond = 12;
        int pressBurst = 24;
        int queuedMessages = 256; // unsent messages to one tablet; more closes it
        int requestSeconds = 15; // to send a whole request
        int idleSeconds = 30; // a tablet that answers no ping for this long is closed
    };

    explicit WebServer(const Files &files, QObject *parent = nullptr);
    WebServer(const Files &files, const Limits &limits, QObject *parent = nullptr);
    ~WebServer() override;

    // Binds and starts the server's thread. False, with the reason in errorString(), when
    // the address cannot be bound. Port 0 takes any free port.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return m_error; }
    quint16 port() const { return m_port; }

    // Replaces the key; tablets that came in with the old one are closed.
    void setKey(const QByteArray &key);
    QByteArray key() const { return m_key; }

    // From any thread. Text for a tablet that is gone is dropped.
    void send(quint64 tablet, const QByteArray &text);
    void close(quint64 tablet);

    // Tablets whose WebSocket is open now.
    int openTablets() const;

    // The server thread's side, defined where Beast is included.
    class Impl;

signals:
    void tabletOpened(quint64 tablet, const QString &peer);
    void tabletMessage(quint64 tablet, const QByteArray &text);
    void tabletClosed(quint64 tablet);

private:
    std::unique_ptr<Impl> d;
    QByteArray m_key;
    QString m_error;
    quint16 m_port = 0;
};
