// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "loopbackserver.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QStringList>

// A ZP server stand-in for tests. Each received line is recorded; the reply to line n is
// the one set for it, else "ok\r\n". A reply can also be Close (the server closes without
// answering) or Silent (no answer).
class ScriptedServer
{
public:
    static inline const QByteArray Close = QByteArrayLiteral("<close>");
    static inline const QByteArray Silent = QByteArrayLiteral("<silent>");

    explicit ScriptedServer(const QHostAddress &address = QHostAddress(QHostAddress::LocalHost))
        : m_server([this](QTcpSocket *socket) { serve(socket); }, address)
    { }

    quint16 port() const { return m_server.port(); }

    void setReply(int lineIndex, const QByteArray &bytes)
    {
        QMutexLocker lock(&m_mutex);
        m_replies.insert(lineIndex, bytes);
    }

    // Sends bytes on the open connection now, unasked.
    void push(const QByteArray &bytes)
    {
        m_server.run([this, bytes] {
            if (m_client) {
                m_client->write(bytes);
                m_client->flush();
            }
        });
    }

    // Closes the open connection; returns once it is closed.
    void closeClient()
    {
        m_server.run([this] {
            if (m_client)
                m_client->close();
        });
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
    void serve(QTcpSocket *socket)
    {
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

    QTcpSocket *m_client = nullptr; // used on the server's thread only
    mutable QMutex m_mutex;
    QHash<int, QByteArray> m_replies;
    QStringList m_lines;
    int m_connections = 0;
    int m_disconnections = 0;
    LoopbackServer m_server;
};
