// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHostAddress>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <functional>

// A TCP server on loopback, on a thread of its own: the keypad blocks its thread while it
// waits for a reply, so a test's server must answer from elsewhere. The handler runs on the
// server's thread for each new connection. Keep this the last member of its owner, so that
// the thread stops before anything the handler uses goes away.
class LoopbackServer
{
public:
    using ConnectionHandler = std::function<void(QTcpSocket *)>;

    explicit LoopbackServer(ConnectionHandler onConnection,
        const QHostAddress &address = QHostAddress(QHostAddress::LocalHost))
        : m_onConnection(std::move(onConnection))
    {
        m_server = new QTcpServer;
        m_server->moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            m_server, [this, address] { listen(address); }, Qt::QueuedConnection);
        m_ready.acquire();
    }

    ~LoopbackServer()
    {
        QMetaObject::invokeMethod(
            m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    quint16 port() const { return m_port; }

    // Runs work on the server's thread and returns when it is done.
    void run(const std::function<void()> &work)
    {
        QMetaObject::invokeMethod(m_server, work, Qt::BlockingQueuedConnection);
    }

private:
    void listen(const QHostAddress &address)
    {
        m_server->listen(address, 0);
        m_port = m_server->serverPort();
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection())
                m_onConnection(socket);
        });
        m_ready.release();
    }

    ConnectionHandler m_onConnection;
    QThread m_thread;
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    QSemaphore m_ready;
};
