// SPDX-License-Identifier: GPL-3.0-or-later

#include "standinoptions.h"
#include "standinserver.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>
#include <algorithm>
#include <functional>

Q_DECLARE_METATYPE(StandInOptions)
Q_DECLARE_METATYPE(StandInArguments::Outcome)

char *toString(const StandInOptions &o)
{
    QStringList refused;
    for (const QByteArray &name : o.refused)
        refused += QString::fromUtf8(name);
    const QString text
        = QString("port %1, discovery %2 on %3, announce %4, refused [%5], reply \"%6\", "
                  "silent %7, delay %8, close after %9, oversized after %10")
              .arg(o.port)
              .arg(o.discovery)
              .arg(o.discoveryPort)
              .arg(o.announce ? "\"" + *o.announce + "\"" : QString("none"))
              .arg(refused.join(", "), QString::fromUtf8(o.reply))
              .arg(o.silent)
              .arg(o.delayMs)
              .arg(o.closeAfter)
              .arg(o.oversizedAfter);
    return qstrdup(text.toUtf8().constData());
}

namespace {

// Only for waits in which nothing may arrive; any arrival ends them at once.
constexpr int quietMs = 200;

const QStringList freePorts {"zp-standin", "--port", "0", "--discovery-port", "0"};

StandInOptions optionsWith(const std::function<void(StandInOptions &)> &change)
{
    StandInOptions options;
    change(options);
    return options;
}

struct Client
{
    QTcpSocket socket;
    QByteArray received;

    Client()
    {
        QObject::connect(
            &socket, &QTcpSocket::readyRead, &socket, [this] { received += socket.readAll(); });
    }
};

} // namespace

class TestStandInServer : public QObject
{
    Q_OBJECT

private slots:
    void answersLines_data();
    void answersLines();
    void servesClientsApart();
    void answersDiscovery_data();
    void answersDiscovery();
    void hostFacesRequester_data();
    void hostFacesRequester();
    void parsesArguments_data();
    void parsesArguments();
};

void TestStandInServer::answersLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("closed");

    const QByteArray oversized = QByteArray(16385, 'x') + "\r\n";

    QTest::newRow("ok to a command")
        << QStringList() << QByteArray("g14\r\n") << QByteArray("ok\r\n") << false;
    QTest::newRow("LF alone ends a line")
        << QStringList() << QByteArray("g14\n") << QByteArray("ok\r\n") << false;
    QTest::newRow("lines in one write") << QStringList() << QByteArray("a6\r\nb2\nxr24\r\n")
                                        << QByteArray("ok\r\nok\r\nok\r\n") << false;
    QTest::newRow("no answer before LF")
        << QStringList() << QByteArray("g14\r") << QByteArray() << false;
    QTest::newRow("refused command")
        << QStringList {"--refuse", "g14"} << QByteArray("a6\r\ng14\r\nm1\n")
        << QByteArray("ok\r\nno\r\nok\r\n") << false;
    QTest::newRow("refuse is exact and case-sensitive")
        << QStringList {"--refuse", "g14"} << QByteArray("G14\r\ng14 \r\ng1\r\n")
        << QByteArray("ok\r\nok\r\nok\r\n") << false;
    QTest::newRow("only one CR is dropped")
        << QStringList {"--refuse", "g14"} << QByteArray("g14\r\r\n") << QByteArray("ok\r\n")
        << false;
    QTest::newRow("several refused")
        << QStringList {"--refuse", "g14", "--refuse", "a6"} << QByteArray("a6\r\nb2\r\ng14\r\n")
        << QByteArray("no\r\nok\r\nno\r\n") << false;
    QTest::newRow("reply text") << QStringList {"--reply", "OK"} << QByteArray("g14\r\n")
                                << QByteArray("OK\r\n") << false;
    QTest::newRow("empty reply") << QStringList {"--reply", ""} << QByteArray("g14\r\na6\r\n")
                                 << QByteArray("\r\n\r\n") << false;
    QTest::newRow("refuse wins over reply text")
        << QStringList {"--reply", "yes", "--refuse", "g14"} << QByteArray("g14\r\na6\r\n")
        << QByteArray("no\r\nyes\r\n") << false;
    QTest::newRow("silent") << QStringList {"--silent"} << QByteArray("g14\r\na6\r\n")
                            << QByteArray() << false;
    QTest::newRow("delayed answers keep their order")
        << QStringList {"--delay", "60", "--refuse", "a6"} << QByteArray("g14\r\na6\r\nb2\r\n")
        << QByteArray("ok\r\nno\r\nok\r\n") << false;
    QTest::newRow("close after the second line")
        << QStringList {"--close-after", "2"} << QByteArray("a6\r\nb2\r\ng14\r\n")
        << QByteArray("ok\r\nok\r\n") << true;
    QTest::newRow("close after a delayed answer")
        << QStringList {"--close-after", "1", "--delay", "40"} << QByteArray("a6\r\nb2\r\n")
        << QByteArray("ok\r\n") << true;
    QTest::newRow("silent close") << QStringList {"--close-after", "1", "--silent"}
                                  << QByteArray("a6\r\n") << QByteArray() << true;
    QTest::newRow("oversized second answer")
        << QStringList {"--oversized-after", "2"} << QByteArray("a6\r\nb2\r\ng14\r\n")
        << "ok\r\n" + oversized + "ok\r\n"
        << false;
    QTest::newRow("oversized wins over refuse")
        << QStringList {"--oversized-after", "1", "--refuse", "a6"} << QByteArray("a6\r\n")
        << oversized << false;
}

void TestStandInServer::answersLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, expected);
    QFETCH(bool, closed);

    const StandInArguments parsed = parseStandInArguments(freePorts + arguments);
    QCOMPARE(parsed.outcome, StandInArguments::Outcome::Run);
    StandInServer server(parsed.options);
    QVERIFY2(server.start(), qPrintable(server.errorString()));

    Client client;
    client.socket.connectToHost(QHostAddress::LocalHost, server.tcpPort());
    QTRY_COMPARE(client.socket.state(), QAbstractSocket::ConnectedState);
    QSignalSpy arrivals(&client.socket, &QTcpSocket::readyRead);
    QElapsedTimer clock;
    clock.start();
    client.socket.write(sent);

    if (expected.isEmpty())
        QVERIFY(!arrivals.wait(quietMs));
    else
        QTRY_COMPARE(client.received.size(), expected.size());
    if (closed)
        QTRY_COMPARE(client.socket.state(), QAbstractSocket::UnconnectedState);
    else
        QCOMPARE(client.socket.state(), QAbstractSocket::ConnectedState);
    QCOMPARE(client.received, expected);
    if (parsed.options.delayMs > 0)
        QVERIFY(clock.elapsed() >= parsed.options.delayMs);
}

// Line counts, and so --close-after, belong to each connection; clients may overlap and
// follow one another.
void TestStandInServer::servesClientsApart()
{
    StandInOptions options;
    options.port = 0;
    options.discovery = false;
    options.closeAfter = 2;
    StandInServer server(options);
    QSignalSpy logged(&server, &StandInServer::logged);
    QVERIFY2(server.start(), qPrintable(server.errorString()));

    Client first;
    Client second;
    for (Client *client : {&first, &second}) {
        client->socket.connectToHost(QHostAddress::LocalHost, server.tcpPort());
        QTRY_COMPARE(client->socket.state(), QAbstractSocket::ConnectedState);
    }
    // Read while connected: a closed socket forgets its port.
    const QString peer = QString("127.0.0.1:%1").arg(first.socket.localPort());
    first.socket.write("a6\r\n");
    QTRY_COMPARE(first.received, QByteArray("ok\r\n"));
    second.socket.write("b2\r\n");
    QTRY_COMPARE(second.received, QByteArray("ok\r\n"));
    QCOMPARE(second.socket.state(), QAbstractSocket::ConnectedState);

    second.socket.write("g14\r\n");
    QTRY_COMPARE(second.socket.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(second.received, QByteArray("ok\r\nok\r\n"));
    QCOMPARE(first.socket.state(), QAbstractSocket::ConnectedState);
    first.socket.write("m1\r\n");
    QTRY_COMPARE(first.socket.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(first.received, QByteArray("ok\r\nok\r\n"));

    Client third;
    third.socket.connectToHost(QHostAddress::LocalHost, server.tcpPort());
    third.socket.write("xr24\r\n");
    QTRY_COMPARE(third.received, QByteArray("ok\r\n"));

    QCOMPARE(server.linesReceived(), 5);
    QCOMPARE(server.clientsServed(), 3);

    QStringList lines;
    for (const QList<QVariant> &arguments : logged)
        lines += arguments.at(0).toString();
    const QRegularExpression stamp(R"(^\d\d:\d\d:\d\d\.\d\d\d )");
    for (const QString &line : lines)
        QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
    const auto logs = [&lines](const QString &text) {
        return std::any_of(lines.cbegin(), lines.cend(),
            [&text](const QString &line) { return line.mid(13) == text; });
    };
    QVERIFY(logs(peer + " connected"));
    QVERIFY(logs(peer + " a6"));
    QVERIFY(logs(peer + " m1"));
    QVERIFY(logs(peer + " disconnected"));
}

void TestStandInServer::answersDiscovery_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("payload");
    // %1 stands for the TCP port; empty when no reply may come.
    QTest::addColumn<QString>("reply");

    QTest::newRow("request") << QStringList() << QByteArray("zp") << "127.0.0.1m%1";
    QTest::newRow("announced host")
        << QStringList {"--announce", "10.0.0.5"} << QByteArray("zp") << "10.0.0.5m%1";
    QTest::newRow("announced empty host")
        << QStringList {"--announce", ""} << QByteArray("zp") << "m%1";
    QTest::newRow("request with a line end") << QStringList() << QByteArray("zp\r\n") << QString();
    QTest::newRow("capital letters") << QStringList() << QByteArray("ZP") << QString();
    QTest::newRow("request twice in one datagram")
        << QStringList() << QByteArray("zpzp") << QString();
    QTest::newRow("one letter") << QStringList() << QByteArray("z") << QString();
    QTest::newRow("empty datagram") << QStringList() << QByteArray() << QString();
}

void TestStandInServer::answersDiscovery()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, payload);
    QFETCH(QString, reply);

    const StandInArguments parsed = parseStandInArguments(freePorts + arguments);
    QCOMPARE(parsed.outcome, StandInArguments::Outcome::Run);
    StandInServer server(parsed.options);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    QVERIFY(server.discoveryPort() != 0);

    QUdpSocket requester;
    QUdpSocket marker;
    QVERIFY(requester.bind(QHostAddress::LocalHost, 0));
    QVERIFY(marker.bind(QHostAddress::LocalHost, 0));
    QCOMPARE(requester.writeDatagram(payload, QHostAddress::LocalHost, server.discoveryPort()),
        payload.size());
    // The stand-in handles datagrams in order, so once the marker's own request is answered
    // any reply to the first datagram has been sent too.
    marker.writeDatagram("zp", QHostAddress::LocalHost, server.discoveryPort());
    QTRY_VERIFY(marker.hasPendingDatagrams());

    if (reply.isEmpty()) {
        QVERIFY(!requester.hasPendingDatagrams());
        return;
    }
    QTRY_VERIFY(requester.hasPendingDatagrams());
    const QNetworkDatagram datagram = requester.receiveDatagram();
    QCOMPARE(QString::fromLatin1(datagram.data()), reply.arg(server.tcpPort()));
    QVERIFY(!requester.hasPendingDatagrams());
}

void TestStandInServer::hostFacesRequester_data()
{
    QTest::addColumn<QString>("requester");
    // Each entry as address/prefix length.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("expected");

    const QStringList twoNetworks {"127.0.0.1/8", "192.168.1.20/24", "10.0.0.2/8"};
    QTest::newRow("loopback requester") << "127.0.0.1" << twoNetworks << "127.0.0.1";
    QTest::newRow("other loopback address") << "127.0.1.1" << twoNetworks << "127.0.0.1";
    QTest::newRow("first network") << "192.168.1.7" << twoNetworks << "192.168.1.20";
    QTest::newRow("second network") << "10.200.3.4" << twoNetworks << "10.0.0.2";
    QTest::newRow("IPv4-mapped requester") << "::ffff:10.200.3.4" << twoNetworks << "10.0.0.2";
    QTest::newRow("prefix length decides")
        << "192.168.1.7" << QStringList {"192.168.0.5/24", "192.168.1.20/24"} << "192.168.1.20";
    QTest::newRow("no subnet holds it: first other IPv4 address")
        << "172.16.0.9" << QStringList {"127.0.0.1/8", "fe80::1/64", "192.168.1.20/24"}
        << "192.168.1.20";
    QTest::newRow("only loopback")
        << "172.16.0.9" << QStringList {"127.0.0.1/8", "::1/128"} << "127.0.0.1";
}

void TestStandInServer::hostFacesRequester()
{
    QFETCH(QString, requester);
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);

    QList<QNetworkAddressEntry> list;
    for (const QString &text : entries) {
        QNetworkAddressEntry entry;
        entry.setIp(QHostAddress(text.section('/', 0, 0)));
        entry.setPrefixLength(text.section('/', 1).toInt());
        list += entry;
    }
    QCOMPARE(StandInServer::hostFor(QHostAddress(requester), list), expected);
}

void TestStandInServer::parsesArguments_data()
{
    using Outcome = StandInArguments::Outcome;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<StandInOptions>("expected");

    QTest::newRow("defaults") << QStringList() << Outcome::Run << StandInOptions();
    QTest::newRow("ports") << QStringList {"--port", "0", "--discovery-port", "65535"}
                           << Outcome::Run << optionsWith([](StandInOptions &o) {
                                  o.port = 0;
                                  o.discoveryPort = 65535;
                              });
    QTest::newRow("value after equals sign") << QStringList {
        "--port=7000"} << Outcome::Run << optionsWith([](StandInOptions &o) { o.port = 7000; });
    QTest::newRow("no discovery") << QStringList {"--no-discovery"} << Outcome::Run
                                  << optionsWith([](StandInOptions &o) { o.discovery = false; });
    QTest::newRow("announce") << QStringList {"--announce", "keypad-server.lan"} << Outcome::Run
                              << optionsWith(
                                     [](StandInOptions &o) { o.announce = "keypad-server.lan"; });
    QTest::newRow("empty announce") << QStringList {"--announce", ""} << Outcome::Run
                                    << optionsWith([](StandInOptions &o) { o.announce = ""; });
    QTest::newRow("refuse repeated") << QStringList {"--refuse", "g14", "--refuse", "a6"}
                                     << Outcome::Run << optionsWith([](StandInOptions &o) {
                                            o.refused = {"g14", "a6"};
                                        });
    QTest::newRow("reply text") << QStringList {"--reply", "OK"} << Outcome::Run
                                << optionsWith([](StandInOptions &o) { o.reply = "OK"; });
    QTest::newRow("empty reply") << QStringList {"--reply", ""} << Outcome::Run
                                 << optionsWith([](StandInOptions &o) { o.reply = ""; });
    QTest::newRow("reply ending in CR") << QStringList {"--reply", "ok\r"} << Outcome::Run
                                        << optionsWith([](StandInOptions &o) { o.reply = "ok\r"; });
    QTest::newRow("fault options") << QStringList {"--silent", "--delay", "250", "--close-after",
        "3", "--oversized-after", "2"}
                                   << Outcome::Run << optionsWith([](StandInOptions &o) {
                                          o.silent = true;
                                          o.delayMs = 250;
                                          o.closeAfter = 3;
                                          o.oversizedAfter = 2;
                                      });
    QTest::newRow("help") << QStringList {"--help"} << Outcome::Help << StandInOptions();

    const QList<std::pair<const char *, QStringList>> errors {
        {"port above 65535", {"--port", "65536"}},
        {"port not a number", {"--port", "60x0"}},
        {"port with a blank", {"--port", " 6000"}},
        {"discovery port negative", {"--discovery-port", "-1"}},
        {"delay negative", {"--delay", "-5"}},
        {"count with a sign", {"--close-after", "+3"}},
        {"count beyond int", {"--oversized-after", "99999999999"}},
        {"empty count", {"--delay", ""}},
        {"missing value", {"--port"}},
        {"unknown option", {"--verbose"}},
        {"stray argument", {"6000"}},
        {"reply with a line feed", {"--reply", "ok\nok"}},
    };
    for (const auto &[name, arguments] : errors)
        QTest::newRow(name) << arguments << Outcome::Error << StandInOptions();
}

void TestStandInServer::parsesArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(StandInArguments::Outcome, outcome);
    QFETCH(StandInOptions, expected);

    const StandInArguments parsed = parseStandInArguments(QStringList("zp-standin") + arguments);
    QCOMPARE(parsed.outcome, outcome);
    switch (outcome) {
    case StandInArguments::Outcome::Run:
        QCOMPARE(parsed.options, expected);
        break;
    case StandInArguments::Outcome::Help:
        for (const char *option :
            {"--port", "--discovery-port", "--no-discovery", "--announce", "--refuse", "--reply",
                "--silent", "--delay", "--close-after", "--oversized-after"})
            QVERIFY2(parsed.message.contains(option), option);
        break;
    case StandInArguments::Outcome::Error:
        QVERIFY(!parsed.message.isEmpty());
        QVERIFY2(!parsed.message.contains('\n'), qPrintable(parsed.message));
        break;
    }
}

QTEST_GUILESS_MAIN(TestStandInServer)
#include "tst_standinserver.moc"
