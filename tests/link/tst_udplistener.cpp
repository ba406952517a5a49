// SPDX-License-Identifier: GPL-3.0-or-later

#include "udplistener.h"
#include "udpprobes.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <memory>

namespace {

const QString InUse = QStringLiteral("Could not bind socket. Address and port are already in use.");

enum class Binder { Listener, Ipv4, Ipv6, Ipv4Reusing, Ipv6Reusing };

bool hasIPv6()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHostIPv6, 0);
}

bool needsIPv6(Binder binder)
{
    return binder == Binder::Ipv6 || binder == Binder::Ipv6Reusing;
}

// Why switching on failed; empty when it succeeds.
QString activationError(UdpListener &listener)
{
    return listener.setActive(true) ? QString() : listener.errorString();
}

// Whatever binds the port: another listener, or a plain socket with or without address reuse.
// Null when the bind fails.
std::unique_ptr<QObject> occupy(Binder binder, quint16 port)
{
    if (binder == Binder::Listener) {
        auto listener = std::make_unique<UdpListener>(nullptr, port);
        return activationError(*listener).isEmpty() ? std::move(listener) : nullptr;
    }
    const bool reusing = binder == Binder::Ipv4Reusing || binder == Binder::Ipv6Reusing;
    const auto mode = reusing ? QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint
                              : QAbstractSocket::DontShareAddress;
    const QHostAddress any = needsIPv6(binder) ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4;
    auto socket = std::make_unique<QUdpSocket>();
    return socket->bind(any, port, mode) ? std::move(socket) : nullptr;
}

QList<QByteArray> payloads(const QSignalSpy &spy)
{
    QList<QByteArray> result;
    for (const QList<QVariant> &arguments : spy)
        result.append(arguments.at(0).toByteArray());
    return result;
}

} // namespace

Q_DECLARE_METATYPE(Binder)

class TestUdpListener : public QObject
{
    Q_OBJECT

private slots:
    void deliveries_data();
    void deliveries();
    void bothAddressFamilies_data();
    void bothAddressFamilies();
    void holdKeepsDatagramsWaiting();
    void releaseWithNothingWaitingPostsNothing();
    void noSecondDeliveryInsideAHandler();
    void latecomerCannotBind_data();
    void latecomerCannotBind();
    void occupiedPortLeavesNothingBound_data();
    void occupiedPortLeavesNothingBound();
    void switchingOffAndOn();
    void bindingAsksNoProxy();
    void send();
    void sendFailures_data();
    void sendFailures();
    void flood();
    void backlogLetsTheEventLoopRun();

private:
    bool sendTo(
        quint16 port, const QByteArray &bytes, const QHostAddress &to = QHostAddress::LocalHost);

    QUdpSocket m_sender;
    QUdpSocket m_sender6;
};

bool TestUdpListener::sendTo(quint16 port, const QByteArray &bytes, const QHostAddress &to)
{
    QUdpSocket &sender = to.protocol() == QAbstractSocket::IPv6Protocol ? m_sender6 : m_sender;
    return sender.writeDatagram(bytes, to, port) == bytes.size();
}

void TestUdpListener::deliveries_data()
{
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QList<QByteArray>>("delivered");

    const QByteArray twenty("192.168.100.200m6000");
    const QByteArray twentyOne("192.168.100.200m60000");
    const QByteArray binary("\x00\xff\x80m\r\n\x7f", 7);

    QTest::newRow("20 bytes") << QList<QByteArray> {twenty} << QList<QByteArray> {twenty};
    QTest::newRow("21 bytes dropped") << QList<QByteArray> {twentyOne} << QList<QByteArray> {};
    QTest::newRow("next one after a dropped one") << QList<QByteArray> {
        twentyOne, "192.168.1.20m6000"} << QList<QByteArray> {"192.168.1.20m6000"};
    QTest::newRow("far too long dropped whole")
        << QList<QByteArray> {QByteArray(60000, 'm'), "a"} << QList<QByteArray> {"a"};
    QTest::newRow("empty") << QList<QByteArray> {QByteArray()} << QList<QByteArray> {QByteArray()};
    QTest::newRow("binary") << QList<QByteArray> {binary} << QList<QByteArray> {binary};
    QTest::newRow("20 binary bytes")
        << QList<QByteArray> {QByteArray(20, '\xff')} << QList<QByteArray> {QByteArray(20, '\xff')};
    QTest::newRow("several in order") << QList<QByteArray> {"1", "22", twentyOne, "333", "", "4444"}
                                      << QList<QByteArray> {"1", "22", "333", "", "4444"};
}

void TestUdpListener::deliveries()
{
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QList<QByteArray>, delivered);

    UdpListener listener(nullptr, 0);
    listener.setActive(true);
    QSignalSpy spy(&listener, &UdpListener::datagramReceived);

    for (const QByteArray &bytes : std::as_const(sent))
        QVERIFY(sendTo(listener.localPort(), bytes));
    QVERIFY(sendTo(listener.localPort(), "end"));

    QTRY_VERIFY(!spy.isEmpty() && spy.last().at(0).toByteArray() == "end");
    delivered.append("end");
    QCOMPARE(payloads(spy), delivered);
}

void TestUdpListener::bothAddressFamilies_data()
{
    QTest::addColumn<bool>("fixedPort");

    QTest::newRow("fixed port") << true;
    QTest::newRow("port 0") << false;
}

void TestUdpListener::bothAddressFamilies()
{
    QFETCH(bool, fixedPort);
    if (!hasIPv6())
        QSKIP("No IPv6 on this machine");

    const quint16 port = fixedPort ? freeUdpPort() : 0;
    UdpListener listener(nullptr, port);
    listener.setActive(true);
    if (fixedPort)
        QCOMPARE(listener.localPort(), port);
    QSignalSpy spy(&listener, &UdpListener::datagramReceived);

    QVERIFY(sendTo(listener.localPort(), "v4", QHostAddress::LocalHost));
    QVERIFY(sendTo(listener.localPort(), "v6", QHostAddress::LocalHostIPv6));

    QTRY_COMPARE(spy.size(), 2);
    QList<QByteArray> got = payloads(spy);
    std::sort(got.begin(), got.end());
    QCOMPARE(got, (QList<QByteArray> {"v4", "v6"}));
}

void TestUdpListener::holdKeepsDatagramsWaiting()
{
    UdpListener listener(nullptr, 0);
    listener.setActive(true);
    QSignalSpy spy(&listener, &UdpListener::datagramReceived);

    listener.hold();
    listener.hold();
    for (const char *bytes : {"a", "b", "c"})
        QVERIFY(sendTo(listener.localPort(), bytes));
    QVERIFY(letSocketsAnnounce());
    QCOMPARE(spy.size(), 0);

    listener.release();
    QVERIFY(letSocketsAnnounce());
    QCOMPARE(spy.size(), 0);

    listener.release();
    QCOMPARE(spy.size(), 0); // delivery resumes from the event loop, not inside release()
    QTRY_COMPARE(payloads(spy), (QList<QByteArray> {"a", "b", "c"}));
    QVERIFY(!listener.isHeld());
}

namespace {

// Counts the queued calls an object receives: each delivery pass is one.
class QueuedCallCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MetaCall)
            ++calls;
        return false;
    }
    int calls = 0;
};

} // namespace

// Discovery holds the listener around every tick and every tap; releasing it when nothing
// came meanwhile must cost nothing, not a wakeup and an empty read per socket.
void TestUdpListener::releaseWithNothingWaitingPostsNothing()
{
    UdpListener listener(nullptr, 0);
    listener.setActive(true);
    QVERIFY(letSocketsAnnounce());
    QueuedCallCounter counter;
    listener.installEventFilter(&counter);
    QSignalSpy spy(&listener, &UdpListener::datagramReceived);

    for (int i = 0; i < 3; ++i) {
        listener.hold();
        listener.release();
    }
    QVERIFY(letSocketsAnnounce());
    QCOMPARE(counter.calls, 0);

    // Something that came while held is still delivered after the release.
    listener.hold();
    QVERIFY(sendTo(listener.localPort(), "while held"));
    QVERIFY(letSocketsAnnounce());
    listener.release();
    QTRY_COMPARE(payloads(spy), QList<QByteArray> {"while held"});
}

// A handler that opens a modal box runs a nested event loop; the next datagram must wait.
void TestUdpListener::noSecondDeliveryInsideAHandler()
{
    UdpListener listener(nullptr, 0);
    listener.setActive(true);

    QList<QByteArray> received;
    qsizetype deliveredInsideHandler = -1;
    bool heldInsideHandler = false;
    connect(&listener, &UdpListener::datagramReceived, this, [&](const QByteArray &bytes) {
        received.append(bytes);
        if (bytes != "first")
            return;
        heldInsideHandler = listener.isHeld();
        QVERIFY(sendTo(listener.localPort(), "second"));
        QVERIFY(letSocketsAnnounce());
        deliveredInsideHandler = received.size();
    });

    QVERIFY(sendTo(listener.localPort(), "first"));
    QTRY_COMPARE(received, (QList<QByteArray> {"first", "second"}));
    QCOMPARE(deliveredInsideHandler, 1);
    QVERIFY(heldInsideHandler);
    QVERIFY(!listener.isHeld());
}

void TestUdpListener::latecomerCannotBind_data()
{
    QTest::addColumn<Binder>("latecomer");

    QTest::newRow("second listener") << Binder::Listener;
    QTest::newRow("IPv4 socket asking for reuse") << Binder::Ipv4Reusing;
    QTest::newRow("IPv6 socket") << Binder::Ipv6;
    QTest::newRow("IPv6 socket asking for reuse") << Binder::Ipv6Reusing;
}

void TestUdpListener::latecomerCannotBind()
{
    QFETCH(Binder, latecomer);
    if (needsIPv6(latecomer) && !hasIPv6())
        QSKIP("No IPv6 on this machine");

    UdpListener first(nullptr, 0);
    first.setActive(true);
    const quint16 port = first.localPort();

    if (latecomer == Binder::Listener) {
        UdpListener second(nullptr, port);
        QCOMPARE(activationError(second), InUse);
        QVERIFY(!second.isActive());
    } else {
        QVERIFY(!occupy(latecomer, port));
    }

    QSignalSpy spy(&first, &UdpListener::datagramReceived);
    QVERIFY(sendTo(port, "still here"));
    QTRY_COMPARE(payloads(spy), QList<QByteArray> {"still here"});
    QVERIFY(first.isActive());
}

void TestUdpListener::occupiedPortLeavesNothingBound_data()
{
    QTest::addColumn<Binder>("occupant");

    QTest::newRow("listener") << Binder::Listener;
    QTest::newRow("IPv4 socket") << Binder::Ipv4;
    QTest::newRow("IPv4 socket allowing reuse") << Binder::Ipv4Reusing;
    QTest::newRow("IPv6 socket, after the IPv4 one was bound") << Binder::Ipv6;
}

void TestUdpListener::occupiedPortLeavesNothingBound()
{
    QFETCH(Binder, occupant);
    if (needsIPv6(occupant) && !hasIPv6())
        QSKIP("No IPv6 on this machine");

    const quint16 port = freeUdpPort();
    std::unique_ptr<QObject> holder = occupy(occupant, port);
    QVERIFY(holder);

    UdpListener listener(nullptr, port);
    QCOMPARE(activationError(listener), InUse);
    QVERIFY(!listener.isActive());
    QCOMPARE(listener.localPort(), quint16(0));

    holder.reset();
    QVERIFY(occupy(Binder::Ipv4, port));
    if (hasIPv6())
        QVERIFY(occupy(Binder::Ipv6, port));

    QCOMPARE(activationError(listener), QString());
    QVERIFY(listener.isActive());
}

void TestUdpListener::switchingOffAndOn()
{
    // A fixed port, so that switching on again binds the same one; taken meanwhile is retried.
    std::unique_ptr<UdpListener> listener;
    for (int attempt = 0; attempt < 2 && !listener; ++attempt) {
        auto candidate = std::make_unique<UdpListener>(nullptr, freeUdpPort());
        if (activationError(*candidate).isEmpty())
            listener = std::move(candidate);
    }
    QVERIFY(listener);
    const quint16 port = listener->port();
    QSignalSpy spy(listener.get(), &UdpListener::datagramReceived);

    listener->setActive(true);
    QVERIFY(listener->isActive());

    // Waiting in the buffer of a socket that is then closed: gone with it.
    listener->hold();
    QVERIFY(sendTo(port, "buffered"));
    listener->setActive(false);
    listener->setActive(false);
    QVERIFY(!listener->isActive());
    QCOMPARE(listener->localPort(), quint16(0));
    QVERIFY(occupy(Binder::Ipv4, port));

    QVERIFY(sendTo(port, "while off"));
    listener->setActive(true);
    QCOMPARE(listener->localPort(), port);
    listener->release();
    QVERIFY(sendTo(port, "after"));

    QTRY_VERIFY(!spy.isEmpty());
    QVERIFY(letSocketsAnnounce());
    QCOMPARE(payloads(spy), QList<QByteArray> {"after"});
}

namespace {

// Counts the proxy look-ups made while it is the application's proxy factory.
class CountingProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery &) override
    {
        ++queries;
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    }
    int queries = 0;
};

} // namespace

// A look-up of the proxy settings starts a thread of the toolkit's that then runs for the
// program's life; discovery never goes through a proxy, so it never asks.
void TestUdpListener::bindingAsksNoProxy()
{
    auto *factory = new CountingProxyFactory;
    QNetworkProxyFactory::setApplicationProxyFactory(factory); // the toolkit owns it
    UdpListener listener(nullptr, 0);
    listener.setActive(true);
    QVERIFY(listener.isActive());
    const int queries = factory->queries;
    QNetworkProxyFactory::setApplicationProxyFactory(nullptr);
    QCOMPARE(queries, 0);
}

// A real broadcast only ever leaves inside the network namespaces of the end-to-end test:
// the machine's own network is not ours to flood.
void TestUdpListener::send()
{
    const QHostAddress to(QHostAddress::LocalHost);

    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::AnyIPv4, 0));
    UdpListener listener(nullptr, 0);
    listener.setActive(true);

    QVERIFY(listener.send("zp", to, receiver.localPort()));

    QTRY_VERIFY(receiver.hasPendingDatagrams());
    const QNetworkDatagram datagram = receiver.receiveDatagram();
    QCOMPARE(datagram.data(), QByteArray("zp"));
    QCOMPARE(datagram.senderPort(), int(listener.localPort()));
}

void TestUdpListener::sendFailures_data()
{
    QTest::addColumn<bool>("switchOn");
    QTest::addColumn<bool>("switchOff");
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("never switched on") << false << false << QByteArray("zp");
    QTest::newRow("switched off") << true << true << QByteArray("zp");
    QTest::newRow("too large for a datagram") << true << false << QByteArray(70000, 'z');
}

void TestUdpListener::sendFailures()
{
    QFETCH(bool, switchOn);
    QFETCH(bool, switchOff);
    QFETCH(QByteArray, payload);

    QUdpSocket receiver;
    QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
    UdpListener listener(nullptr, 0);
    if (switchOn)
        listener.setActive(true);
    if (switchOff)
        listener.setActive(false);

    QVERIFY(!listener.send(payload, QHostAddress::LocalHost, receiver.localPort()));
    QVERIFY(!listener.errorString().isEmpty());
    QVERIFY(letSocketsAnnounce());
    QVERIFY(!receiver.hasPendingDatagrams());
}

// Every shape, in bursts small enough for the loopback buffer, so that nothing may be lost.
void TestUdpListener::flood()
{
    UdpListener listener(nullptr, 0);
    listener.setActive(true);
    QList<QByteArray> received;
    connect(&listener, &UdpListener::datagramReceived, this,
        [&](const QByteArray &bytes) { received.append(bytes); });

    QRandomGenerator random(6);
    QList<QByteArray> expected;
    constexpr int Total = 10000;
    constexpr int Burst = 100;
    for (int i = 0; i < Total; ++i) {
        QByteArray bytes;
        switch (i % 6) {
        case 0:
            break;
        case 1:
            bytes = QByteArray::number(i).rightJustified(5, '0') + "m6000";
            break;
        case 2:
            bytes = QByteArray::number(i).rightJustified(UdpListener::BufferSize + 1, 'x');
            break;
        case 3:
            bytes = QByteArray(1000, 'm');
            break;
        default:
            bytes.resize(random.bounded(2 * UdpListener::BufferSize + 1));
            for (char &c : bytes)
                c = char(random.bounded(256));
        }
        QVERIFY(sendTo(listener.localPort(), bytes));
        if (bytes.size() <= UdpListener::BufferSize)
            expected.append(bytes);
        if ((i + 1) % Burst == 0)
            QTRY_COMPARE(received.size(), expected.size());
    }
    QCOMPARE(received, expected);
}

// Delivering a backlog must leave the event loop turns in between, or the window would freeze.
void TestUdpListener::backlogLetsTheEventLoopRun()
{
    UdpListener listener(nullptr, 0);
    listener.setActive(true);
    QList<QByteArray> received;
    connect(&listener, &UdpListener::datagramReceived, this,
        [&](const QByteArray &bytes) { received.append(bytes); });

    constexpr int Backlog = 150;
    QList<QByteArray> sent;
    listener.hold();
    for (int i = 0; i < Backlog; ++i) {
        sent.append(QByteArray::number(i));
        QVERIFY(sendTo(listener.localPort(), sent.last()));
    }
    QVERIFY(letSocketsAnnounce());
    listener.release();

    qsizetype deliveredWhenTimerRan = -1;
    QTimer::singleShot(0, this, [&] { deliveredWhenTimerRan = received.size(); });
    QTRY_COMPARE(received, sent);
    QVERIFY(deliveredWhenTimerRan >= 0);
    QVERIFY2(deliveredWhenTimerRan < Backlog,
        qPrintable(QStringLiteral("timer ran after %1 deliveries").arg(deliveredWhenTimerRan)));
}

QTEST_GUILESS_MAIN(TestUdpListener)
#include "tst_udplistener.moc"
