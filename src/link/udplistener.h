// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "linkdefaults.h"

#include <QByteArray>
#include <QList>
#include <QObject>

class QHostAddress;
class QUdpSocket;

// The discovery listener: a UDP socket on the IPv4 any-address and, where the platform has
// IPv6, one on the IPv6 any-address, both on the same port and neither shared with another
// program. Datagrams are delivered one per datagramReceived() on this object's thread, in
// arrival order per socket, and only while nobody holds the listener; meanwhile they wait
// in the sockets' buffers. A datagram longer than BufferSize is dropped.
class UdpListener : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype BufferSize = 20;

    // With port 0 the IPv4 socket gets a free port and the IPv6 socket the same number.
    explicit UdpListener(
        QObject *parent = nullptr, quint16 port = LinkDefaults::DiscoveryListenPort);

    // Switching on binds fresh sockets; false, with the reason in errorString(), when any of
    // them cannot be bound, and nothing stays bound then. Switching off closes them.
    bool setActive(bool active);
    bool isActive() const { return m_active; }

    quint16 port() const { return m_port; }
    // The port the sockets are bound to; 0 while switched off.
    quint16 localPort() const;

    // Sends from the IPv4 socket, so that the datagram leaves from the listener's port.
    // False when switched off, or when the datagram is refused or cut short.
    bool send(const QByteArray &payload, const QHostAddress &to, quint16 port);

    QString errorString() const { return m_error; }

    // Nestable. Nothing is read or delivered until the last release(), after which delivery
    // resumes from the event loop. The listener holds itself while datagramReceived() runs.
    void hold();
    void release();
    bool isHeld() const { return m_holds > 0; }

signals:
    void datagramReceived(const QByteArray &bytes);

private:
    bool fail(const QString &reason);
    bool open();
    void close();
    void deliverPending();
    void scheduleDelivery();

    QList<QUdpSocket *> m_sockets;
    quint16 m_port;
    QString m_error;
    int m_holds = 0;
    quint64 m_generation = 0;
    bool m_active = false;
    bool m_deliveryScheduled = false;
    bool m_waitingWhileHeld = false; // a pass met the hold: datagrams may be waiting
};
