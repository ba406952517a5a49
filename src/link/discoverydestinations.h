// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QList>

class QNetworkInterface;

// What discovery needs to know of one network interface. The platform fills it in on the
// keypad; tests write it down.
struct InterfaceDescription
{
    struct Address
    {
        QHostAddress ip;
        int prefixLength = -1;
        QHostAddress broadcast; // as the platform reports it, null when it reports none
    };

    bool up = false;
    bool loopback = false;
    bool canBroadcast = false;
    QList<Address> addresses;
};

// Where a discovery request goes: first the limited broadcast 255.255.255.255, then the
// directed broadcast of every network of an interface that is up, can broadcast and is not
// loopback, each address once. The limited broadcast leaves only by the interface of the
// default route; the directed ones reach the machine's other networks (a second adapter, a
// VPN that passes broadcasts, a virtual adapter).
QList<QHostAddress> discoveryDestinations(const QList<InterfaceDescription> &interfaces);

// Not named "interface": Windows' headers define that word as a macro.
InterfaceDescription describeInterface(const QNetworkInterface &adapter);

// The destinations for this machine's interfaces as they are now.
QList<QHostAddress> thisMachinesDiscoveryDestinations();
