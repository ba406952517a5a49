// SPDX-License-Identifier: GPL-3.0-or-later

#include "apperror.h"
#include "commandchannel.h"
#include "messages.h"
#include "scriptedserver.h"
#include "udplistener.h"
#include "udpprobes.h"
#include "windowfixture.h"

#include <QFile>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

// Loopback addresses other than 127.0.0.1 reach this machine too, which gives discovery
// replies of every length without leaving it.
const QHostAddress longLoopback(QStringLiteral("127.10.100.200"));

void sendTo(const WindowFixture &w, const QByteArray &payload)
{
    QUdpSocket sender;
    sender.writeDatagram(payload, QHostAddress::LocalHost, w->IdUDPServer1->localPort());
}

QStringList logLines(const WindowFixture &w)
{
    const QString text = w->Memo1->toPlainText();
    return text.isEmpty() ? QStringList {} : text.split(u'\n');
}

} // namespace

class TestDiscoveryWiring : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void twoRepliesInQuickSuccession();
    void reconnectAfterServerClosed();
    void replyWhileConnectedKeepsTheServer();
    void tickSendsRequest();
    void tapWhileConnected();
    void networkMessageWhenPortTaken();
    void bindFailureAtStart();
    void flood();
};

// "%1" stands for the port of a server listening on 127.10.100.200.
void TestDiscoveryWiring::replies_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("handled"); // fields set and Timer1 off
    QTest::addColumn<bool>("connects");
    QTest::addColumn<QString>("host");

    QTest::newRow("host and port") << "127.0.0.1m%1" << true << false << "127.0.0.1";
    QTest::newRow("20 bytes") << "127.10.100.200m%1" << true << true << "127.10.100.200";
    QTest::newRow("21 bytes dropped") << "127.10.100.200m0%1" << false << false << "";
    QTest::newRow("no m") << "127.10.100.200:%1" << false << false << "";
    QTest::newRow("capital M only") << "127.10.100.200M%1" << false << false << "";
    QTest::newRow("empty datagram") << "" << false << false << "";
    QTest::newRow("empty host") << "m%1" << true << false << "";
    QTest::newRow("port ends in CR LF") << "127.0.0.1m%1\r\n" << true << false << "127.0.0.1";
    QTest::newRow("m inside a host name") << "mylaptopm%1" << true << false << "";
}

void TestDiscoveryWiring::replies()
{
    QFETCH(QString, reply);
    QFETCH(bool, handled);
    QFETCH(bool, connects);

    ScriptedServer server(longLoopback);
    WindowFixture w;
    reply.replace(QStringLiteral("%1"), QString::number(server.port()));
    QVERIFY(reply.size() <= 20 || !handled);

    sendTo(w, reply.toLatin1());
    if (handled) {
        QTRY_VERIFY(!w->Timer1->isActive());
        QTEST(w->Edit2->text(), "host");
        QCOMPARE(w->Edit3->text(), reply.mid(reply.indexOf(u'm') + 1));
    } else {
        // Nothing to wait for: a later datagram that is handled shows that this one was not.
        sendTo(w, "m");
        QTRY_VERIFY(!w->Timer1->isActive());
        QCOMPARE(w->Edit2->text(), QString());
        QVERIFY(w->Edit3->text().isEmpty());
    }

    if (connects) {
        QVERIFY(w.messages.isEmpty());
        QCOMPARE(logLines(w), QStringList {Messages::clientConnected()});
        QTRY_COMPARE(server.connections(), 1);
    } else {
        // The only message is the not-found one of the failed attempt.
        QCOMPARE(w.messages, QStringList {Messages::notFound()});
        QVERIFY(logLines(w).isEmpty());
        QCOMPARE(server.connections(), 0);
    }
}

void TestDiscoveryWiring::twoRepliesInQuickSuccession()
{
    ScriptedServer server;
    WindowFixture w;
    const QByteArray reply = "127.0.0.1m" + QByteArray::number(server.port());
    QUdpSocket sender;
    sender.writeDatagram(reply, QHostAddress::LocalHost, w->IdUDPServer1->localPort());
    sender.writeDatagram(reply, QHostAddress::LocalHost, w->IdUDPServer1->localPort());

    QTRY_COMPARE(logLines(w), QStringList {Messages::clientConnected()});
    QTRY_COMPARE(server.connections(), 1);
    // The second reply's attempt finds the connection open and fails silently; a third,
    // sent afterwards, shows when the second has certainly been handled.
    w->Timer1->start();
    sender.writeDatagram(reply, QHostAddress::LocalHost, w->IdUDPServer1->localPort());
    QTRY_VERIFY(!w->Timer1->isActive());
    QVERIFY(w.messages.isEmpty());
    QCOMPARE(server.connections(), 1);
    QVERIFY(w.showsConnectedPicture());
}

// The server closed the connection while the keypad was idle. The next tap finds no
// connection and searches again; the server's next reply must lead to a new connection, not
// to a silent "already connected".
void TestDiscoveryWiring::reconnectAfterServerClosed()
{
    ScriptedServer server;
    WindowFixture w;
    const QByteArray reply = "127.0.0.1m" + QByteArray::number(server.port());
    sendTo(w, reply);
    QTRY_COMPARE(server.connections(), 1);

    server.closeClient();
    QTRY_COMPARE(server.disconnections(), 1);
    w->session()->kataxorisi(QStringLiteral("a6"));
    QCOMPARE(w.messages, QStringList {Messages::noConnection()});
    QVERIFY(w->Timer1->isActive());
    sendTo(w, reply);
    QTRY_COMPARE(server.connections(), 2);
    w->session()->kataxorisi(QStringLiteral("a7"));
    QTRY_COMPARE(server.lines(), QStringList {"a7"});
    QCOMPARE(w.messages, QStringList {Messages::noConnection()});
}

// Anyone on the network can send a reply. While connected it must not replace the server in
// the fields, which the close saves for the next start.
void TestDiscoveryWiring::replyWhileConnectedKeepsTheServer()
{
    ScriptedServer server;
    WindowFixture w;
    const QString port = QString::number(server.port());
    w->Edit2->setText(QStringLiteral("127.0.0.1"));
    w->Edit3->setText(port);
    w->session()->ConnectDisconnectClick({});
    QVERIFY(w->session()->channel()->isConnected());
    w->session()->con_SpeedButtonClick({});
    w->session()->Timer1Timer();

    sendTo(w, "127.10.66.9m7777");
    QTRY_VERIFY(!w->Timer1->isActive());
    QCOMPARE(w->Edit2->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(w->Edit3->text(), port);
    QVERIFY(w.messages.isEmpty());
    QVERIFY(w.showsConnectedPicture());

    QVERIFY(w->close());
    QFile file(w.env.settingsPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY2(saved.contains("ipserver=127.0.0.1") && saved.contains("port=" + port.toLatin1()),
        saved.constData());
}

void TestDiscoveryWiring::tickSendsRequest()
{
    WindowFixture w;
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(w.env.requests.hasPendingDatagrams(), 4000);
    const QNetworkDatagram request = w.env.requests.receiveDatagram();
    QCOMPARE(request.data(), QByteArray("zp"));
    QCOMPARE(request.senderPort(), int(w->IdUDPServer1->localPort()));
    QVERIFY(w.messages.isEmpty());
}

void TestDiscoveryWiring::tapWhileConnected()
{
    ScriptedServer server;
    WindowFixture w;
    w->Edit2->setText(QStringLiteral("127.0.0.1"));
    w->Edit3->setText(QString::number(server.port()));
    w->session()->ConnectDisconnectClick({});
    QVERIFY(!w->Timer1->isActive());

    // A real tap on the status tile, through the picture that lies over it.
    w->show();
    w.press(u"con_SpeedButton");
    QVERIFY(w->Timer1->isActive());
    QVERIFY(!w->IdUDPServer1->isActive());
    QVERIFY(w->session()->channel()->isConnected());
    QVERIFY(w.showsConnectedPicture());

    // The next tick switches the listener on with fresh sockets and asks again.
    w->session()->Timer1Timer();
    QVERIFY(w->IdUDPServer1->isActive());
    QTRY_VERIFY(w.env.requests.hasPendingDatagrams());
    QCOMPARE(w.env.requests.receiveDatagram().data(), QByteArray("zp"));
    w->session()->kataxorisi(QStringLiteral("a6"));
    QTRY_COMPARE(server.lines(), QStringList {"a6"});
    QVERIFY(w.messages.isEmpty());
}

void TestDiscoveryWiring::networkMessageWhenPortTaken()
{
    // A fixed port, so that the tick after the tap binds the same one again.
    const quint16 port = freeUdpPort();
    WindowFixture w(150, port);
    w->session()->con_SpeedButtonClick({});

    UdpListener squatter(nullptr, port);
    squatter.setActive(true);
    w->session()->Timer1Timer();
    QCOMPARE(w.messages, QStringList {Messages::network()});
    QVERIFY(!w->Timer1->isActive());
}

void TestDiscoveryWiring::bindFailureAtStart()
{
    WindowFixture first;
    TMainClient::Options options = first.env.options();
    options.discovery.listenPort = first->IdUDPServer1->localPort();
    try {
        TMainClient second(options);
        QFAIL("the second window bound a port that is taken");
    } catch (const AppError &error) {
        QCOMPARE(error.message(),
            QStringLiteral("Could not bind socket. Address and port are already in use."));
    }
    QCOMPARE(MainClient, nullptr);

    // The first goes on undisturbed.
    ScriptedServer server;
    sendTo(first, "127.0.0.1m" + QByteArray::number(server.port()));
    QTRY_COMPARE(server.connections(), 1);
}

void TestDiscoveryWiring::flood()
{
    WindowFixture w;
    QUdpSocket sender;
    const quint16 port = w->IdUDPServer1->localPort();
    const QList<QByteArray> shapes = {"", "x", QByteArray(21, 'm'), QByteArray(500, '\xff'), "zp",
        "M6000", QByteArray("\0\0\0", 3), "no separator here"};
    for (int burst = 0; burst < 100; ++burst) {
        for (int i = 0; i < 100; ++i)
            sender.writeDatagram(
                shapes.at((burst + i) % shapes.size()), QHostAddress::LocalHost, port);
        QTest::qWait(0);
    }
    // The flood may overrun the socket's buffer, so the closing reply is repeated until the
    // window has taken one: it must still be listening and responsive.
    QTRY_VERIFY_WITH_TIMEOUT(
        (sender.writeDatagram("m", QHostAddress::LocalHost, port), !w->Timer1->isActive()), 10000);
    QCOMPARE(w->Edit3->text(), QString());
    QVERIFY(!w.messages.isEmpty());
    QCOMPARE(w.messages.count(Messages::notFound()), w.messages.size());
}

QTEST_MAIN(TestDiscoveryWiring)
#include "tst_discoverywiring.moc"
