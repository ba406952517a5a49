// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "loopbackserver.h"

#include <QAtomicInt>
#include <QByteArray>
#include <QTimer>
#include <memory>
#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

// A loopback server on a thread of its own that misbehaves once: its answer to the first
// command line is the fault; every later line, on any connection, is answered "ok". A
// streaming server misbehaves on every connection.
class FaultServer
{
public:
    enum class Fault {
        Reset, // the connection is reset instead of an answer
        DripSlow, // "ok" CR LF, one byte every 500 ms
        DripFast, // "ok" CR LF, one byte every 20 ms
        CloseMidLine, // "o", then an orderly close
        Megabyte, // a line of 1 MB, then CR LF
        Silent, // the connection stays open and nothing is ever answered
        Stream, // on every connection, after its first line: "ok" CR LF lines, 64 KB a send,
                // for as long as the connection lasts
    };

    explicit FaultServer(Fault fault)
        : m_fault(fault)
        , m_server([this](QTcpSocket *socket) { serve(socket); })
    { }

    quint16 port() const { return m_server.port(); }
    int lines() const { return m_lines.loadAcquire(); }
    // True once every byte of the fault has been handed to the system.
    bool faultDone() const { return m_faultDone.loadAcquire() != 0; }

private:
    void serve(QTcpSocket *socket)
    {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            while (socket->canReadLine()) {
                socket->readLine();
                const bool firstOnConnection = !socket->property("served").toBool();
                socket->setProperty("served", true);
                if (m_lines.fetchAndAddAcquire(1) == 0
                    || (m_fault == Fault::Stream && firstOnConnection))
                    misbehave(socket);
                else if (socket->state() == QAbstractSocket::ConnectedState)
                    socket->write("ok\r\n");
            }
        });
    }

    void misbehave(QTcpSocket *socket)
    {
        switch (m_fault) {
        case Fault::Reset: {
#ifdef Q_OS_UNIX
            // Without lingering, close() sends RST rather than FIN.
            const linger noLinger {1, 0};
            ::setsockopt(
                int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
#endif
            socket->abort();
            m_faultDone.storeRelease(1);
            break;
        }
        case Fault::DripSlow:
            drip(socket, 500);
            break;
        case Fault::DripFast:
            drip(socket, 20);
            break;
        case Fault::CloseMidLine:
            socket->write("o");
            socket->disconnectFromHost();
            m_faultDone.storeRelease(1);
            break;
        case Fault::Megabyte:
            socket->write(QByteArray(1 << 20, 'k') + "\r\n");
            m_faultDone.storeRelease(1);
            break;
        case Fault::Silent:
            m_faultDone.storeRelease(1);
            break;
        case Fault::Stream:
            stream(socket);
            m_faultDone.storeRelease(1);
            break;
        }
    }

    // Keeps a few sends queued at all times, so that the server's own memory stays small.
    static void stream(QTcpSocket *socket)
    {
        auto *timer = new QTimer(socket);
        timer->setInterval(1);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] {
            static const QByteArray chunk = QByteArray("ok\r\n").repeated(16384);
            if (socket->state() == QAbstractSocket::ConnectedState
                && socket->bytesToWrite() < 4 * chunk.size())
                socket->write(chunk);
        });
        timer->start();
    }

    void drip(QTcpSocket *socket, int intervalMs)
    {
        auto *timer = new QTimer(socket);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(intervalMs);
        const auto sendNext = [this, socket, timer, sent = std::make_shared<int>(0)] {
            static constexpr char reply[] = "ok\r\n";
            socket->write(reply + *sent, 1);
            socket->flush();
            if (++*sent == 4) {
                timer->stop();
                m_faultDone.storeRelease(1);
            }
        };
        QObject::connect(timer, &QTimer::timeout, socket, sendNext);
        sendNext();
        timer->start();
    }

    Fault m_fault;
    QAtomicInt m_lines;
    QAtomicInt m_faultDone;
    LoopbackServer m_server;
};
