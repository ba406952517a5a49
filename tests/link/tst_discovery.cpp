// SPDX-License-Identifier: GPL-3.0-or-later

#include "closedport.h"
#include "commandchannel.h"
#include "discovery.h"
#include "scriptedserver.h"
#include "udplistener.h"
#include "udpprobes.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

namespace {

const QString InUse = QStringLiteral("Could not bind socket. Address and port are already in use.");

// Loopback addresses other than 127.0.0.1 reach this machine too: a server there gives a
// reply of the full 20 bytes without leaving it.
const QHostAddress LongLoopback(QStringLiteral("127.10.100.200"));

QString withPort(QString text, const QString &port)
{
    return text.replace(QStringLiteral("%1"), port);
}

// Loopback addresses stand in for the broadcast addresses of the machine's networks. The
// fixture's socket takes the port that requests go to on every address, and each request's
// destination tells the networks apart: sockets of their own on each address would not, since
// Wine binds a datagram socket on one address of an interface to every address of it.
const QStringList StandInNetworks {"127.0.0.1", "127.0.0.2", "127.0.0.3"};

// The stand-in networks that a request from the listener went to, each request taken.
// Loopback queues a datagram at its receiver before the send returns, so there is nothing to
// wait for.
QStringList networksReached(QUdpSocket &requests, quint16 listenerPort)
{
    QStringList reached;
    while (requests.hasPendingDatagrams()) {
        const QNetworkDatagram request = requests.receiveDatagram();
        if (request.data() == "zp" && request.senderPort() == listenerPort)
            reached << request.destinationAddress().toString();
    }
    return reached;
}

QStringList announcedPorts(const QSignalSpy &announced)
{
    QStringList result;
    for (const QList<QVariant> &arguments : announced)
        result.append(arguments.at(1).toString());
    return result;
}

// A Discovery wired as its owner wires it, asking a socket of the test instead of the
// network. The long default interval keeps the timer from ticking unless a test wants it to.
struct Fixture
{
    explicit Fixture(quint16 listenPort = 0, int intervalMs = 60000,
        const QList<QHostAddress> &requestDestinations = {QHostAddress(QHostAddress::LocalHost)})
        : destinations(requestDestinations)
        , discovery(&channel, options(listenPort, intervalMs))
    {
        QObject::connect(discovery.timer(), &QTimer::timeout, &discovery, &Discovery::tick);
        QObject::connect(
            &discovery, &Discovery::datagramReceived, &discovery, &Discovery::handleReply);
        QObject::connect(&discovery, &Discovery::serverAnnounced, &discovery,
            [this] { timerOnWhenAnnounced.append(discovery.timer()->isActive()); });
    }

    // Each tick asks for the destinations as they are then.
    Discovery::Options options(quint16 listenPort, int intervalMs)
    {
        requests.bind(QHostAddress::AnyIPv4, 0);
        return {.listenPort = listenPort,
            .requestDestinations = [this] { return destinations; },
            .requestPort = requests.localPort(),
            .intervalMs = intervalMs};
    }

    // A datagram to the listener, as a server's reply would come.
    bool reply(const QByteArray &bytes)
    {
        return sender.writeDatagram(
                   bytes, QHostAddress::LocalHost, discovery.listener()->localPort())
            == bytes.size();
    }

    QList<QHostAddress> destinations;
    QUdpSocket requests;
    QUdpSocket sender;
    CommandChannel channel {nullptr, 200};
    Discovery discovery;
    QSignalSpy announced {&discovery, &Discovery::serverAnnounced};
    QSignalSpy notFound {&discovery, &Discovery::serverNotFound};
    QSignalSpy failed {&discovery, &Discovery::networkFailed};
    QList<bool> timerOnWhenAnnounced;
};

enum class Outcome { Ignored, Connects, NotFound };
enum class Holder { TestScope, ServerNotFoundHandler, NetworkFailedHandler };

} // namespace

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Holder)

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void request_data();
    void request();
    void requestToEveryDestination_data();
    void requestToEveryDestination();
    void destinationsAskedAtEveryTick();
    void replies_data();
    void replies();
    void repliesWhileConnected_data();
    void repliesWhileConnected();
    void stormAfterAFailedAttempt();
    void holdKeepsRepliesWaiting_data();
    void holdKeepsRepliesWaiting();
    void stopAndResume();
    void restartKeepsTheConnection();
    void portTakenAtTick();
    void tickInsideNetworkFailedHandler();
    void startOnTakenPort();
};

// The keypad builds its Discovery without options; constructing it binds nothing.
void TestDiscovery::defaults()
{
    CommandChannel channel;
    const Discovery discovery(&channel);
    QCOMPARE(discovery.timer()->interval(), 2000);
    QCOMPARE(discovery.listener()->port(), quint16(8091));
    QVERIFY(!discovery.isSearching());
    QVERIFY(!discovery.listener()->isActive());
}

void TestDiscovery::request_data()
{
    QTest::addColumn<bool>("byTimer");

    QTest::newRow("tick() with everything off") << false;
    QTest::newRow("timer after start()") << true;
}

void TestDiscovery::request()
{
    QFETCH(bool, byTimer);

    Fixture f(0, 40);
    if (byTimer) {
        QVERIFY(f.discovery.start());
        QVERIFY(f.discovery.isSearching());
        QCOMPARE(f.discovery.timer()->interval(), 40);
        QVERIFY(f.discovery.listener()->isActive());
    } else {
        f.discovery.tick();
        QVERIFY(f.discovery.listener()->isActive());
    }

    QTRY_VERIFY(f.requests.hasPendingDatagrams());
    const QNetworkDatagram request = f.requests.receiveDatagram();
    QCOMPARE(request.data(), QByteArray("zp"));
    QCOMPARE(request.senderPort(), int(f.discovery.listener()->localPort()));
    if (!byTimer)
        QVERIFY(!f.requests.hasPendingDatagrams());
    QVERIFY(f.failed.isEmpty());
}

// An IPv6 address, which the listener's IPv4 socket cannot send to, stands for an interface
// that refuses the request.
void TestDiscovery::requestToEveryDestination_data()
{
    QTest::addColumn<QStringList>("destinations");
    QTest::addColumn<QStringList>("reached");
    QTest::addColumn<bool>("networkFailed");

    QTest::newRow("every destination") << StandInNetworks << StandInNetworks << false;
    QTest::newRow("the first refuses")
        << QStringList {"::1", "127.0.0.2"} << QStringList {"127.0.0.2"} << false;
    QTest::newRow("the last refuses") << QStringList {"127.0.0.1", "127.0.0.3", "::1"}
                                      << QStringList {"127.0.0.1", "127.0.0.3"} << false;
    QTest::newRow("every one refuses") << QStringList {"::1", "::2"} << QStringList {} << true;
}

void TestDiscovery::requestToEveryDestination()
{
    QFETCH(QStringList, destinations);
    QFETCH(QStringList, reached);
    QFETCH(bool, networkFailed);

    Fixture f;
    f.destinations.clear();
    for (const QString &address : destinations)
        f.destinations.append(QHostAddress(address));
    QVERIFY(f.discovery.start());

    f.discovery.tick();
    QCOMPARE(networksReached(f.requests, f.discovery.listener()->localPort()), reached);
    QCOMPARE(f.failed.size(), networkFailed ? 1 : 0);
    QCOMPARE(f.discovery.isSearching(), !networkFailed);
}

// A network that comes up while the keypad searches is searched from the next tick on.
void TestDiscovery::destinationsAskedAtEveryTick()
{
    Fixture f;
    QVERIFY(f.discovery.start());
    const quint16 listenerPort = f.discovery.listener()->localPort();

    f.discovery.tick();
    QCOMPARE(networksReached(f.requests, listenerPort), StandInNetworks.first(1));
    f.destinations.append(QHostAddress(StandInNetworks.at(1)));
    f.discovery.tick();
    QCOMPARE(networksReached(f.requests, listenerPort), StandInNetworks.first(2));
    QVERIFY(f.failed.isEmpty());
}

// "%1" stands for the server's port as five digits: every port fits, so the length of each
// datagram is fixed.
void TestDiscovery::replies_data()
{
    QTest::addColumn<QHostAddress>("serverAddress");
    QTest::addColumn<QString>("datagram");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");

    const QHostAddress local(QHostAddress::LocalHost);

    QTest::newRow("host and port") << local << "127.0.0.1m%1" << Outcome::Connects << "127.0.0.1"
                                   << "%1";
    QTest::newRow("20 bytes") << LongLoopback << "127.10.100.200m%1" << Outcome::Connects
                              << "127.10.100.200"
                              << "%1";
    QTest::newRow("21 bytes") << LongLoopback << "127.10.100.200m0%1" << Outcome::Ignored << ""
                              << "";
    QTest::newRow("no m") << local << "127.0.0.1:%1" << Outcome::Ignored << ""
                          << "";
    QTest::newRow("capital M only") << local << "127.0.0.1M%1" << Outcome::Ignored << ""
                                    << "";
    QTest::newRow("empty datagram") << local << "" << Outcome::Ignored << ""
                                    << "";
    QTest::newRow("empty host") << local << "m%1" << Outcome::NotFound << ""
                                << "%1";
    QTest::newRow("port ends in CR LF") << local << "127.0.0.1m%1\r\n"
                                        << Outcome::NotFound << "127.0.0.1"
                                        << "%1\r\n";
    QTest::newRow("m inside the host") << local << "hmm.localm%1" << Outcome::NotFound << "h"
                                       << "m.localm%1";
}

void TestDiscovery::replies()
{
    QFETCH(QHostAddress, serverAddress);
    QFETCH(QString, datagram);
    QFETCH(Outcome, outcome);
    QFETCH(QString, host);
    QFETCH(QString, port);

    ScriptedServer server(serverAddress);
    QVERIFY(server.port() != 0);
    const QString serverPort = QString::number(server.port()).rightJustified(5, u'0');
    Fixture f;
    QVERIFY(f.discovery.start());

    QVERIFY(f.reply(withPort(datagram, serverPort).toLatin1()));
    if (outcome == Outcome::Ignored) {
        // Nothing to wait for: a later datagram that is handled shows that this one was not.
        QVERIFY(f.reply("m"));
        QTRY_COMPARE(f.announced.size(), 1);
        QCOMPARE(f.announced.at(0), (QVariantList {QString(), QString()}));
        QCOMPARE(f.timerOnWhenAnnounced, QList<bool> {true});
        QCOMPARE(f.notFound.size(), 1);
        QCOMPARE(server.connections(), 0);
        return;
    }

    QTRY_COMPARE(f.announced.size(), 1);
    QCOMPARE(f.announced.at(0), (QVariantList {host, withPort(port, serverPort)}));
    QVERIFY(!f.discovery.isSearching());
    if (outcome == Outcome::Connects) {
        QVERIFY(f.channel.isConnected());
        QCOMPARE(f.notFound.size(), 0);
        QTRY_COMPARE(server.connections(), 1);
    } else {
        QVERIFY(!f.channel.isConnected());
        QCOMPARE(f.notFound.size(), 1);
        QCOMPARE(server.connections(), 0);
    }
    QVERIFY(f.failed.isEmpty());
}

// Anyone on the network can send a reply. Once connected, the search is over: a second reply
// is dropped, and one that comes after the search was resumed only ends the search again.
// Neither is announced (the window would fill its fields with it, and the settings file would
// keep them) nor leads to a second connection.
void TestDiscovery::repliesWhileConnected_data()
{
    QTest::addColumn<bool>("searchingAgain");

    QTest::newRow("two in quick succession") << false;
    QTest::newRow("one after the search was resumed") << true;
}

void TestDiscovery::repliesWhileConnected()
{
    QFETCH(bool, searchingAgain);

    ScriptedServer server;
    Fixture f;
    QVERIFY(f.discovery.start());
    const QString port = QString::number(server.port());

    QVERIFY(f.reply("127.0.0.1m" + port.toLatin1()));
    if (searchingAgain) {
        QTRY_COMPARE(f.announced.size(), 1);
        QVERIFY(f.channel.isConnected());
        f.discovery.resume();
    }
    QVERIFY(f.reply("127.10.66.9m7777"));
    if (searchingAgain)
        QTRY_VERIFY(!f.discovery.isSearching());
    QVERIFY(letSocketsAnnounce());
    // Where the probe can overtake the replies (Wine), the first reply is waited for, and then
    // the second gets its chance again.
    QTRY_COMPARE(announcedPorts(f.announced), QStringList {port});
    QVERIFY(letSocketsAnnounce());
    QCOMPARE(announcedPorts(f.announced), QStringList {port});
    QVERIFY(!f.discovery.isSearching());
    QCOMPARE(f.notFound.size(), 0);
    // A line over the connection: the server has seen every connection made before it.
    QCOMPARE(f.channel.send(u"a1"), CommandChannel::Outcome::Confirmed);
    QCOMPARE(server.lines(), QStringList {"a1"});
    QCOMPARE(server.connections(), 1);
}

// A storm of replies that name a server which cannot be reached: the first one's attempt
// fails and ends the search, and the rest, queued up behind it, are dropped without an
// attempt or a message of their own. The search takes replies again once it is resumed.
void TestDiscovery::stormAfterAFailedAttempt()
{
    const quint16 closedPort = closedTcpPort();
    Fixture f;
    QVERIFY(f.discovery.start());
    const QByteArray unreachable = "127.0.0.1m" + QByteArray::number(closedPort);
    {
        const Discovery::Hold hold(f.discovery);
        for (int i = 0; i < 200; ++i)
            QVERIFY(f.reply(unreachable));
        QVERIFY(letSocketsAnnounce());
    }
    QTRY_COMPARE(f.notFound.size(), 1);
    // Once a datagram sent after the storm has come through, the whole storm has been handled.
    QVERIFY(f.reply(unreachable));
    QSignalSpy delivered(&f.discovery, &Discovery::datagramReceived);
    QVERIFY(f.reply("end of the storm"));
    QTRY_VERIFY(!delivered.isEmpty() && delivered.last().at(0).toByteArray() == "end of the storm");
    QCOMPARE(f.announced.size(), 1);
    QCOMPARE(f.notFound.size(), 1);
    QVERIFY(!f.discovery.isSearching());

    ScriptedServer server;
    f.discovery.resume();
    QVERIFY(f.reply("127.0.0.1m" + QByteArray::number(server.port())));
    QTRY_VERIFY(f.channel.isConnected());
    QCOMPARE(f.notFound.size(), 1);
}

void TestDiscovery::holdKeepsRepliesWaiting_data()
{
    QTest::addColumn<Holder>("holder");
    QTest::addColumn<int>("announcedWhileHeld");
    QTest::addColumn<QStringList>("ports"); // of all replies announced, in order

    QTest::newRow("hold in the test's scope") << Holder::TestScope << 0 << QStringList {"1", "2"};
    QTest::newRow("serverNotFound handler")
        << Holder::ServerNotFoundHandler << 1 << QStringList {"0", "1", "2"};
    // The failure ends the search: what queued up behind its message is dropped.
    QTest::newRow("networkFailed handler") << Holder::NetworkFailedHandler << 0 << QStringList {};
}

void TestDiscovery::holdKeepsRepliesWaiting()
{
    QFETCH(Holder, holder);
    QFETCH(int, announcedWhileHeld);
    QFETCH(QStringList, ports);

    // An IPv6 request address cannot be reached from the IPv4 socket: the tick fails with
    // the listener on.
    const QHostAddress requestAddress(holder == Holder::NetworkFailedHandler
            ? QHostAddress::LocalHostIPv6
            : QHostAddress::LocalHost);
    Fixture f(0, 60000, {requestAddress});
    QVERIFY(f.discovery.start());

    qsizetype seenWhileHeld = -1;
    const auto sendWhileHeld = [&] {
        QVERIFY(f.reply("m1"));
        QVERIFY(f.reply("m2"));
        QVERIFY(letSocketsAnnounce());
        seenWhileHeld = f.announced.size();
    };
    // Each not-found handler runs an event loop, as a message box would; what it has seen
    // when it returns shows whether the next reply waited for it. It then searches on, so
    // that the next reply is taken rather than dropped.
    QList<qsizetype> seenByHandlers;
    connect(&f.discovery, &Discovery::serverNotFound, this, [&] {
        if (holder == Holder::ServerNotFoundHandler && seenWhileHeld < 0)
            sendWhileHeld();
        else
            QVERIFY(letSocketsAnnounce());
        seenByHandlers.append(f.announced.size());
        f.discovery.resume();
    });

    switch (holder) {
    case Holder::TestScope: {
        const Discovery::Hold hold(f.discovery);
        sendWhileHeld();
        break;
    }
    case Holder::ServerNotFoundHandler:
        QVERIFY(f.reply("m0"));
        break;
    case Holder::NetworkFailedHandler:
        connect(&f.discovery, &Discovery::networkFailed, this, sendWhileHeld);
        f.discovery.tick();
        QCOMPARE(f.failed.size(), 1);
        break;
    }

    QVERIFY(letSocketsAnnounce());
    QTRY_COMPARE(announcedPorts(f.announced), ports);
    QCOMPARE(seenWhileHeld, qsizetype(announcedWhileHeld));
    QList<qsizetype> oneAtATime;
    for (qsizetype i = 1; i <= ports.size(); ++i)
        oneAtATime.append(i);
    QCOMPARE(seenByHandlers, oneAtATime);
}

void TestDiscovery::stopAndResume()
{
    constexpr int interval = 2000;
    Fixture f(0, interval);
    QVERIFY(f.discovery.start());

    // A timer started afresh would be due no earlier than the coarse timer's 5 % before its
    // interval; wait until this one is well below that.
    QTRY_VERIFY(f.discovery.timer()->remainingTime() < interval * 9 / 10);
    const int remaining = f.discovery.timer()->remainingTime();
    f.discovery.resume();
    QVERIFY(f.discovery.isSearching());
    QVERIFY2(f.discovery.timer()->remainingTime() <= remaining,
        qPrintable(QStringLiteral("next tick pushed back from %1 ms to %2 ms")
                       .arg(remaining)
                       .arg(f.discovery.timer()->remainingTime())));

    f.discovery.stop();
    QVERIFY(!f.discovery.isSearching());
    f.discovery.resume();
    QVERIFY(f.discovery.isSearching());
}

void TestDiscovery::restartKeepsTheConnection()
{
    ScriptedServer server;
    Fixture f(0, 40);
    QVERIFY(f.discovery.start());
    QVERIFY(f.reply("127.0.0.1m" + QByteArray::number(server.port())));
    QTRY_VERIFY(f.channel.isConnected());
    QVERIFY(!f.discovery.isSearching());
    while (f.requests.hasPendingDatagrams())
        f.requests.receiveDatagram();

    f.discovery.restart();
    QVERIFY(!f.discovery.listener()->isActive());
    QVERIFY(f.discovery.isSearching());

    QTRY_VERIFY(f.requests.hasPendingDatagrams());
    QVERIFY(f.discovery.listener()->isActive());
    const QNetworkDatagram request = f.requests.receiveDatagram();
    QCOMPARE(request.data(), QByteArray("zp"));
    QCOMPARE(request.senderPort(), int(f.discovery.listener()->localPort()));

    QCOMPARE(f.channel.send(u"a1"), CommandChannel::Outcome::Confirmed);
    QCOMPARE(server.lines(), QStringList {"a1"});
    QCOMPARE(server.connections(), 1);
    QVERIFY(f.failed.isEmpty());
}

// A fixed port, so that the tick after restart() binds the same one again.
void TestDiscovery::portTakenAtTick()
{
    const quint16 port = freeUdpPort();
    Fixture f(port);
    QVERIFY(f.discovery.start());
    f.discovery.restart();
    auto squatter = std::make_unique<UdpListener>(nullptr, port);
    QVERIFY(squatter->setActive(true));

    f.discovery.tick();
    QCOMPARE(f.failed.size(), 1);
    QVERIFY(!f.discovery.isSearching());
    QCOMPARE(f.discovery.errorString(), InUse);
    QVERIFY(!f.discovery.listener()->isActive());

    // Once the port is free again, a tick asks from it.
    squatter.reset();
    f.discovery.tick();
    QTRY_VERIFY(f.requests.hasPendingDatagrams());
    QCOMPARE(f.requests.receiveDatagram().senderPort(), int(port));
    QCOMPARE(f.failed.size(), 1);
}

// The handler runs an event loop, as a message box would, long enough for the timer to fall
// due under it.
void TestDiscovery::tickInsideNetworkFailedHandler()
{
    const quint16 port = freeUdpPort();
    Fixture f(port, 20);
    QVERIFY(f.discovery.start());
    f.discovery.restart();
    UdpListener squatter(nullptr, port);
    QVERIFY(squatter.setActive(true));

    bool timerOnInHandler = false;
    bool dueInHandler = false;
    connect(&f.discovery, &Discovery::networkFailed, this, [&] {
        // Waiting again in a handler that should never have run would recurse without end.
        if (f.failed.size() > 1)
            return;
        timerOnInHandler = f.discovery.isSearching();
        QSignalSpy due(f.discovery.timer(), &QTimer::timeout);
        dueInHandler = due.wait();
    });

    f.discovery.tick();
    QVERIFY(timerOnInHandler);
    QVERIFY(dueInHandler);
    QCOMPARE(f.failed.size(), 1);
    QVERIFY(!f.discovery.isSearching());

    // Once the first tick is over, the next one reports again.
    f.discovery.tick();
    QCOMPARE(f.failed.size(), 2);
}

void TestDiscovery::startOnTakenPort()
{
    UdpListener squatter(nullptr, 0);
    QVERIFY(squatter.setActive(true));
    Fixture f(squatter.localPort());

    QVERIFY(!f.discovery.start());
    QCOMPARE(f.discovery.errorString(), InUse);
    QVERIFY(!f.discovery.isSearching());
    QVERIFY(!f.discovery.listener()->isActive());
    QVERIFY(f.failed.isEmpty());
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
