// SPDX-License-Identifier: GPL-3.0-or-later
#include "discoverydestinations.h"

#include <QTest>

namespace {

enum Flag { Up = 1, Loopback = 2, Broadcast = 4 };

InterfaceDescription interface(int flags, const QList<InterfaceDescription::Address> &addresses)
{
    return {.up = (flags & Up) != 0,
        .loopback = (flags & Loopback) != 0,
        .canBroadcast = (flags & Broadcast) != 0,
        .addresses = addresses};
}

// "192.168.1.20/24" and the broadcast address the platform reports with it ("" for none).
InterfaceDescription::Address address(const QString &ipAndPrefix, const QString &broadcast)
{
    const QStringList parts = ipAndPrefix.split(u'/');
    return {QHostAddress(parts.at(0)), parts.at(1).toInt(),
        broadcast.isEmpty() ? QHostAddress() : QHostAddress(broadcast)};
}

QStringList texts(const QList<QHostAddress> &addresses)
{
    QStringList result;
    for (const QHostAddress &address : addresses)
        result << address.toString();
    return result;
}

const QString Limited = QStringLiteral("255.255.255.255");

} // namespace

Q_DECLARE_METATYPE(InterfaceDescription)

class TestDiscoveryDestinations : public QObject
{
    Q_OBJECT

private slots:
    void destinations_data();
    void destinations();
};

void TestDiscoveryDestinations::destinations_data()
{
    QTest::addColumn<QList<InterfaceDescription>>("interfaces");
    QTest::addColumn<QStringList>("expected");

    const auto lo = interface(Up | Loopback, {address("127.0.0.1/8", "")});
    const auto eth0 = interface(Up | Broadcast, {address("192.168.1.20/24", "192.168.1.255")});

    QTest::newRow("no interface") << QList<InterfaceDescription> {} << QStringList {Limited};
    QTest::newRow("one network") << QList {lo, eth0} << QStringList {Limited, "192.168.1.255"};
    QTest::newRow("two networks, in the order of their interfaces")
        << QList {eth0, lo,
               interface(Up | Broadcast,
                   {address("10.1.0.5/16", "10.1.255.255"), address("fe80::1/64", "")})}
        << QStringList {Limited, "192.168.1.255", "10.1.255.255"};
    QTest::newRow("interface down")
        << QList {interface(Broadcast, {address("10.1.0.5/16", "10.1.255.255")})}
        << QStringList {Limited};
    QTest::newRow("loopback, even one that says it can broadcast")
        << QList {interface(Up | Loopback | Broadcast, {address("127.0.0.1/8", "127.255.255.255")})}
        << QStringList {Limited};
    QTest::newRow("cannot broadcast (a point-to-point VPN)")
        << QList {interface(Up, {address("10.8.0.2/24", "10.8.0.255")})} << QStringList {Limited};
    QTest::newRow("several addresses on one interface")
        << QList {interface(Up | Broadcast,
               {address("fe80::1/64", ""), address("192.168.1.20/24", "192.168.1.255"),
                   address("10.0.0.5/16", "10.0.255.255")})}
        << QStringList {Limited, "192.168.1.255", "10.0.255.255"};
    QTest::newRow("two interfaces on one network")
        << QList {eth0, interface(Up | Broadcast, {address("192.168.1.21/24", "192.168.1.255")})}
        << QStringList {Limited, "192.168.1.255"};
    QTest::newRow("two addresses of one network on one interface")
        << QList {interface(Up | Broadcast,
               {address("192.168.1.20/24", "192.168.1.255"),
                   address("192.168.1.30/24", "192.168.1.255")})}
        << QStringList {Limited, "192.168.1.255"};
    QTest::newRow("broadcast reported as the limited one")
        << QList {interface(Up | Broadcast, {address("10.0.0.5/8", Limited)})}
        << QStringList {Limited};
    QTest::newRow("no broadcast reported")
        << QList {interface(Up | Broadcast, {address("10.0.0.5/8", "")})} << QStringList {Limited};
    QTest::newRow("/30 has a broadcast")
        << QList {interface(Up | Broadcast, {address("10.0.0.5/30", "10.0.0.7")})}
        << QStringList {Limited, "10.0.0.7"};
    QTest::newRow("/31 has none") << QList {interface(
        Up | Broadcast, {address("10.0.0.6/31", "10.0.0.7")})}
                                  << QStringList {Limited};
    QTest::newRow("/32 has none, though its own address is reported")
        << QList {interface(Up | Broadcast, {address("10.0.0.7/32", "10.0.0.7")})}
        << QStringList {Limited};
}

void TestDiscoveryDestinations::destinations()
{
    QFETCH(QList<InterfaceDescription>, interfaces);
    QFETCH(QStringList, expected);

    QCOMPARE(texts(discoveryDestinations(interfaces)), expected);
}

QTEST_GUILESS_MAIN(TestDiscoveryDestinations)
#include "tst_discoverydestinations.moc"
