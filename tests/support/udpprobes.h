// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "udplistener.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSignalSpy>
#include <QUdpSocket>

// A UDP port that both address families had free a moment ago.
inline quint16 freeUdpPort()
{
    UdpListener probe(nullptr, 0);
    probe.setActive(true);
    return probe.localPort();
}

// Loopback queues a datagram at the receiver before the send returns, so once a datagram sent
// afterwards to a socket of our own has been announced, every listener has had its chance too.
// Under Wine, whose server hands out socket events, a listener's may still come later: what
// must arrive is waited for with QTRY_*, this only gives what must not arrive its chance.
inline bool letSocketsAnnounce()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::LocalHost, 0))
        return false;
    QSignalSpy announced(&probe, &QUdpSocket::readyRead);
    if (probe.writeDatagram("probe", QHostAddress::LocalHost, probe.localPort()) != 5)
        return false;
    if (!announced.wait(5000))
        return false;
    QCoreApplication::processEvents();
    return true;
}
