// SPDX-License-Identifier: GPL-3.0-or-later
#include "discoverydestinations.h"

#include <QNetworkInterface>
#include <optional>

namespace {

// A /31 is a link between two hosts and a /32 a host alone: neither has a broadcast address,
// though the platform may report one (Qt gives a /32 address as its own broadcast, which
// would send the request back to this machine).
std::optional<QHostAddress> directedBroadcast(const InterfaceDescription::Address &address)
{
    constexpr int LongestPrefixWithBroadcast = 30;
    if (address.ip.protocol() != QAbstractSocket::IPv4Protocol
        || address.broadcast.protocol() != QAbstractSocket::IPv4Protocol || address.prefixLength < 0
        || address.prefixLength > LongestPrefixWithBroadcast)
        return std::nullopt;
    return address.broadcast;
}

} // namespace

QList<QHostAddress> discoveryDestinations(const QList<InterfaceDescription> &interfaces)
{
    QList<QHostAddress> destinations {QHostAddress(QHostAddress::Broadcast)};
    for (const InterfaceDescription &interface : interfaces) {
        if (!interface.up || interface.loopback || !interface.canBroadcast)
            continue;
        // Two interfaces on one network, or two addresses of one, share a broadcast address:
        // one request reaches that network.
        for (const InterfaceDescription::Address &address : interface.addresses) {
            const std::optional<QHostAddress> broadcast = directedBroadcast(address);
            if (broadcast && !destinations.contains(*broadcast))
                destinations.append(*broadcast);
        }
    }
    return destinations;
}

InterfaceDescription describeInterface(const QNetworkInterface &adapter)
{
    const QNetworkInterface::InterfaceFlags flags = adapter.flags();
    InterfaceDescription description;
    description.up = flags.testFlag(QNetworkInterface::IsUp);
    description.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
    description.canBroadcast = flags.testFlag(QNetworkInterface::CanBroadcast);
    for (const QNetworkAddressEntry &entry : adapter.addressEntries())
        description.addresses.append({entry.ip(), entry.prefixLength(), entry.broadcast()});
    return description;
}

QList<QHostAddress> thisMachinesDiscoveryDestinations()
{
    QList<InterfaceDescription> interfaces;
    for (const QNetworkInterface &adapter : QNetworkInterface::allInterfaces())
        interfaces.append(describeInterface(adapter));
    return discoveryDestinations(interfaces);
}
