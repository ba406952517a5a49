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
// command line is the fault; every later line, on any connection, is answered "ok".
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
                if (m_lines.fetchAndAddAcquire(1) == 0)
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
        }
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
