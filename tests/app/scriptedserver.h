#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

// A ZP server stand-in on loopback, on a thread of its own: the keypad blocks its thread
// while it waits for a reply, so the server must answer from elsewhere. Each received
// line is recorded; the reply to line n is replies[n] if set, else "ok\r\n". A reply can
// also be "close" (the server closes without answering) or "silent" (no answer).
class ScriptedServer
{
public:
    static inline const QByteArray Close = QByteArrayLiteral("<close>");
    static inline const QByteArray Silent = QByteArrayLiteral("<silent>");

    explicit ScriptedServer(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost))
        : m_address(address)
    {
        m_server = new QTcpServer;
        m_server->moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            m_server, [this] { listen(); }, Qt::QueuedConnection);
        m_ready.acquire();
    }

    ~ScriptedServer()
    {
        QMetaObject::invokeMethod(
            m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_port; }

    void setReply(int lineIndex, const QByteArray &bytes)
    {
        QMutexLocker lock(&m_mutex);
        m_replies.insert(lineIndex, bytes);
    }

    // Sends bytes on the open connection now, unasked.
    void push(const QByteArray &bytes)
    {
        QMetaObject::invokeMethod(
            m_server,
            [this, bytes] {
                if (m_client)
                    m_client->write(bytes), m_client->flush();
            },
            Qt::BlockingQueuedConnection);
    }

    // Closes the open connection; returns once it is closed.
    void closeClient()
    {
        QMetaObject::invokeMethod(
            m_server,
            [this] {
                if (m_client)
                    m_client->close();
            },
            Qt::BlockingQueuedConnection);
    }

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }

    int connections() const
    {
        QMutexLocker lock(&m_mutex);
        return m_connections;
    }

    int disconnections() const
    {
        QMutexLocker lock(&m_mutex);
        return m_disconnections;
    }

private:
    void listen()
    {
        m_server->listen(m_address, 0);
        m_port = m_server->serverPort();
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
            while (QTcpSocket *socket = m_server->nextPendingConnection()) {
                m_client = socket;
                {
                    QMutexLocker lock(&m_mutex);
                    ++m_connections;
                }
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] {
                    QMutexLocker lock(&m_mutex);
                    ++m_disconnections;
                });
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    while (socket->canReadLine()) {
                        QByteArray line = socket->readLine();
                        line.chop(line.endsWith("\r\n") ? 2 : 1);
                        QByteArray reply = "ok\r\n";
                        {
                            QMutexLocker lock(&m_mutex);
                            reply = m_replies.value(int(m_lines.size()), reply);
                            m_lines << QString::fromLatin1(line);
                        }
                        if (reply == Close) {
                            socket->close();
                            return;
                        }
                        if (reply != Silent) {
                            socket->write(reply);
                            socket->flush();
                        }
                    }
                });
            }
        });
        m_ready.release();
    }

    QHostAddress m_address;
    QThread m_thread;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_client = nullptr;
    quint16 m_port = 0;
    QSemaphore m_ready;
    mutable QMutex m_mutex;
    QHash<int, QByteArray> m_replies;
    QStringList m_lines;
    int m_connections = 0;
    int m_disconnections = 0;
};
