// SPDX-License-Identifier: GPL-3.0-or-later

#include "closedport.h"
#include "commandchannel.h"
#include "intconv.h"
#include "loopbackserver.h"
#include "scriptedserver.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using Outcome = CommandChannel::Outcome;
using ConnectResult = CommandChannel::ConnectResult;

namespace {

const QString LocalHost = QStringLiteral("127.0.0.1");

// A reply on loopback always comes well within this; a check that gets its line returns at once.
constexpr int AnswerWaitMs = 5000;
// For cases where the server leaves a command unanswered: the whole wait passes.
constexpr int SilenceWaitMs = 150;

// A channel and the scripted server it talks to.
struct Link
{
    explicit Link(int replyWaitMs = AnswerWaitMs)
        : channel(nullptr, replyWaitMs)
    { }

    ConnectResult connect() { return channel.connectTo(LocalHost, QString::number(server.port())); }

    // Connects and waits until the server has taken the connection, so that push() and
    // closeClient() reach it.
    [[nodiscard]] bool open()
    {
        const int before = server.connections();
        return connect() == ConnectResult::Connected
            && QTest::qWaitFor([&] { return server.connections() == before + 1; });
    }

    ScriptedServer server;
    CommandChannel channel;
    QSignalSpy connected {&channel, &CommandChannel::connected};
    QSignalSpy disconnected {&channel, &CommandChannel::disconnected};
};

// Records every byte it receives and never answers.
class ByteSink
{
public:
    ByteSink()
        : m_server([this](QTcpSocket *socket) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                QMutexLocker lock(&m_mutex);
                m_bytes += socket->readAll();
            });
        })
    { }

    quint16 port() const { return m_server.port(); }

    QByteArray bytes() const
    {
        QMutexLocker lock(&m_mutex);
        return m_bytes;
    }

private:
    mutable QMutex m_mutex;
    QByteArray m_bytes;
    LoopbackServer m_server;
};

enum class Start { Open, NeverConnected, ClosedByServer };

} // namespace

Q_DECLARE_METATYPE(Start)

class TestCommandChannel : public QObject
{
    Q_OBJECT

private slots:
    void sendOutcomes_data();
    void sendOutcomes();
    void replySequences_data();
    void replySequences();
    void linesOnTheWire();
    void serverStopsReading();
    void unreadBytesAfterServerClose();
    void portTexts_data();
    void portTexts();
    void connectWhileConnected_data();
    void connectWhileConnected();
    void connectWithoutListener();
    void reconnectAfterServerCloseWhileIdle();
    void disconnecting_data();
    void disconnecting();
};

// Each row answers the first command with the reply, then lets the next command be answered
// with "ok": whatever the first reply did, it must not spoil the check of the next one.
void TestCommandChannel::sendOutcomes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("lastReply");
    QTest::addColumn<bool>("stillConnected");
    QTest::addColumn<Outcome>("next");

    const auto ok = Outcome::Confirmed;
    QTest::newRow("ok") << QByteArray("ok\r\n") << Outcome::Confirmed << "ok" << true << ok;
    QTest::newRow("bare crlf") << QByteArray("\r\n") << Outcome::Accepted << "" << true << ok;
    QTest::newRow("bare lf") << QByteArray("\n") << Outcome::Accepted << "" << true << ok;
    // A server that never answers a6 owes that reply still: the "ok" sent for a7 is taken as
    // a6's, so a7 is only accepted when its own wait runs out.
    QTest::newRow("silence") << ScriptedServer::Silent << Outcome::Accepted << "" << true
                             << Outcome::Accepted;
    QTest::newRow("upper case") << QByteArray("OK\r\n") << Outcome::Refused << "OK" << true << ok;
    QTest::newRow("trailing blank")
        << QByteArray("ok \r\n") << Outcome::Refused << "ok " << true << ok;
    QTest::newRow("two crs") << QByteArray("ok\r\r\n") << Outcome::Refused << "ok\r" << true << ok;
    QTest::newRow("byte 0x80") << QByteArray("o\x80\r\n") << Outcome::Refused
                               << QStringView(u"o\uFFFD").toString() << true << ok;
    QTest::newRow("16385-byte line") << QByteArray(16385, 'k') + "\r\n"
                                     << Outcome::LinkLost << "" << true << ok;
    QTest::newRow("close while awaited")
        << ScriptedServer::Close << Outcome::LinkLost << "" << false << Outcome::NotConnected;
}

void TestCommandChannel::sendOutcomes()
{
    QFETCH(QByteArray, reply);
    QFETCH(Outcome, outcome);
    QFETCH(bool, stillConnected);
    QFETCH(Outcome, next);

    Link link(reply == ScriptedServer::Silent ? SilenceWaitMs : AnswerWaitMs);
    link.server.setReply(0, reply);
    QCOMPARE(link.connect(), ConnectResult::Connected);

    QCOMPARE(link.channel.send(u"a6"), outcome);
    QCOMPARE(link.channel.lastOutcome(), outcome);
    QTEST(link.channel.lastReply(), "lastReply");
    if (outcome == Outcome::LinkLost)
        QVERIFY(!link.channel.errorString().isEmpty());
    QCOMPARE(link.channel.isConnected(), stillConnected);
    QCOMPARE(link.disconnected.count(), 0);

    QCOMPARE(link.channel.send(u"a7"), next);
    if (next == Outcome::Confirmed)
        QCOMPARE(link.channel.lastReply(), QStringLiteral("ok"));
    const QStringList sent
        = next == Outcome::NotConnected ? QStringList {"a6"} : QStringList {"a6", "a7"};
    QTRY_COMPARE(link.server.lines(), sent);
    QCOMPARE(link.disconnected.count(), 0);
}

// Three commands in a row. "replies" are the server's answers to the lines it receives, in
// turn (ok when missing); "pushes" are bytes the server sends unasked just before the command
// of that place.
void TestCommandChannel::replySequences_data()
{
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<QList<QByteArray>>("pushes");
    QTest::addColumn<QList<Outcome>>("outcomes");
    QTest::addColumn<QStringList>("lastReplies");
    QTest::addColumn<QStringList>("received"); // by the server, in order

    // The late answer to a6 is there before a7 is sent: it is a6's refusal, reported in a7's
    // place, and a7 is not sent. a8 goes out and is answered in time.
    QTest::newRow("late refusal") << QList<QByteArray> {ScriptedServer::Silent}
                                  << QList<QByteArray> {"", "no\r\n"}
                                  << QList<Outcome> {Outcome::Accepted, Outcome::Refused,
                                         Outcome::Confirmed}
                                  << QStringList {"", "no", "ok"} << QStringList {"a6", "a8"};
    // A late "ok", or one the server sends unasked, is dropped: a7 reads its own answer.
    QTest::newRow("late ok") << QList<QByteArray> {ScriptedServer::Silent, "no\r\n"}
                             << QList<QByteArray> {"", "ok\r\n", "ok\r\nok\r\n"}
                             << QList<Outcome> {Outcome::Accepted, Outcome::Refused,
                                    Outcome::Confirmed}
                             << QStringList {"", "no", "ok"} << QStringList {"a6", "a7", "a8"};
    // The replies below come after the next command went out: the server sends them only when
    // it receives that command. a6's late "ok" is no answer to a7, which the server refused.
    QTest::newRow("late ok after the next command went out")
        << QList<QByteArray> {ScriptedServer::Silent, "ok\r\nno\r\n"} << QList<QByteArray> {}
        << QList<Outcome> {Outcome::Accepted, Outcome::Refused, Outcome::Confirmed}
        << QStringList {"", "no", "ok"} << QStringList {"a6", "a7", "a8"};
    // a6's late refusal does not refuse a7, which goes unanswered within its wait; it is
    // reported at a8, which is not sent.
    QTest::newRow("late refusal after the next command went out")
        << QList<QByteArray> {ScriptedServer::Silent, "no\r\n"} << QList<QByteArray> {}
        << QList<Outcome> {Outcome::Accepted, Outcome::Accepted, Outcome::Refused}
        << QStringList {"", "", "no"} << QStringList {"a6", "a7"};
    // a7's own "ok" confirms it; a6's refusal, which came first, is reported at a8.
    QTest::newRow("late refusal and the next command's ok together")
        << QList<QByteArray> {ScriptedServer::Silent, "no\r\nok\r\n"} << QList<QByteArray> {}
        << QList<Outcome> {Outcome::Accepted, Outcome::Confirmed, Outcome::Refused}
        << QStringList {"", "ok", "no"} << QStringList {"a6", "a7"};
    // Two replies owed: a8 reads the third line.
    QTest::newRow("two replies owed")
        << QList<QByteArray> {ScriptedServer::Silent, ScriptedServer::Silent, "ok\r\nok\r\nno\r\n"}
        << QList<QByteArray> {}
        << QList<Outcome> {Outcome::Accepted, Outcome::Accepted, Outcome::Refused}
        << QStringList {"", "", "no"} << QStringList {"a6", "a7", "a8"};
    // a6's "o" is completed only after a7 was sent: that line is still a6's, and a7 reads the
    // line after it.
    QTest::newRow("line begun before the command")
        << QList<QByteArray> {"o", "k\r\nno\r\n"} << QList<QByteArray> {}
        << QList<Outcome> {Outcome::Accepted, Outcome::Refused, Outcome::Confirmed}
        << QStringList {"", "no", "ok"} << QStringList {"a6", "a7", "a8"};
    // Too long before its end has even come; the end, when it comes, is no reply to a7.
    QTest::newRow("oversized line in pieces")
        << QList<QByteArray> {QByteArray(16385, 'k'), "kk\r\nok\r\n"} << QList<QByteArray> {}
        << QList<Outcome> {Outcome::LinkLost, Outcome::Confirmed, Outcome::Confirmed}
        << QStringList {"", "ok", "ok"} << QStringList {"a6", "a7", "a8"};
}

void TestCommandChannel::replySequences()
{
    QFETCH(QList<QByteArray>, replies);
    QFETCH(QList<QByteArray>, pushes);
    QFETCH(QList<Outcome>, outcomes);
    QFETCH(QStringList, lastReplies);
    QFETCH(QStringList, received);

    Link link(SilenceWaitMs);
    for (int i = 0; i < replies.size(); ++i)
        link.server.setReply(i, replies.at(i));
    QVERIFY(link.open());

    const QStringList commands {"a6", "a7", "a8"};
    for (int i = 0; i < commands.size(); ++i) {
        if (!pushes.value(i).isEmpty())
            link.server.push(pushes.at(i));
        QCOMPARE(link.channel.send(commands.at(i)), outcomes.at(i));
        QCOMPARE(link.channel.lastReply(), lastReplies.at(i));
    }
    QTRY_COMPARE(link.server.lines(), received);
    QVERIFY(link.channel.isConnected());
}

// A server that takes no more data: the line cannot be handed over whole within the reply
// wait. The connection is closed, so that no later line is appended to the fragment.
void TestCommandChannel::serverStopsReading()
{
    LoopbackServer deaf([](QTcpSocket *socket) {
        socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        // Qt stops reading from the system once its own buffer is full.
        socket->setReadBufferSize(1);
    });
    CommandChannel channel(nullptr, SilenceWaitMs);
    QCOMPARE(channel.connectTo(LocalHost, QString::number(deaf.port())), ConnectResult::Connected);

    // Far more than the system buffers of both ends take in. It is made before the clock
    // starts: what is timed is the wait for a server that does not read, not the making of
    // a line that size on a loaded machine.
    const QString line(16 << 20, u'x');
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(channel.send(line), Outcome::LinkLost);
    QVERIFY2(clock.elapsed() < SilenceWaitMs + 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(channel.errorString(), QStringLiteral("The server takes no more data."));
    QVERIFY(!channel.isConnected());
    QCOMPARE(channel.send(u"a7"), Outcome::NotConnected);
}

void TestCommandChannel::linesOnTheWire()
{
    ByteSink sink;
    CommandChannel channel(nullptr, SilenceWaitMs);
    QCOMPARE(channel.connectTo(LocalHost, QString::number(sink.port())), ConnectResult::Connected);

    QCOMPARE(channel.send(u"x\u03BB"), Outcome::Accepted);
    QVERIFY(channel.writeRawLine(u"raw"));
    QTRY_COMPARE(sink.bytes(), QByteArray("x?\r\nraw\r\n"));
}

void TestCommandChannel::unreadBytesAfterServerClose()
{
    Link link;
    // The first reply carries the start of a line that never ends; the server then closes
    // while the second command waits for its reply.
    link.server.setReply(0, "ok\r\nleft");
    link.server.setReply(1, ScriptedServer::Close);
    QVERIFY(link.open());
    QCOMPARE(link.channel.send(u"a6"), Outcome::Confirmed);
    QCOMPARE(link.channel.send(u"a7"), Outcome::LinkLost);

    // "left" is still unread, so the link counts as connected, however often it is asked.
    QVERIFY(link.channel.isConnected());
    QVERIFY(link.channel.isConnected());

    link.channel.disconnectFromServer();
    QCOMPARE(link.disconnected.count(), 0);
    QVERIFY(!link.channel.isConnected());

    QCOMPARE(link.connect(), ConnectResult::Connected);
    QCOMPARE(link.channel.send(u"a8"), Outcome::Confirmed);
    QCOMPARE(link.channel.lastReply(), QStringLiteral("ok"));
    QCOMPARE(link.server.lines(), (QStringList {"a6", "a7", "a8"}));
    QCOMPARE(link.connected.count(), 2);
}

// In "portText", {port} is the server's port; {hex}, {plus} and {minus} are the same port in
// hexadecimal, plus 65536 and minus 65536; {wrap} is 2^32 minus the port, in hexadecimal.
void TestCommandChannel::portTexts_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("portText");
    QTest::addColumn<ConnectResult>("result");
    QTest::addColumn<QString>("error");

    const auto connected = ConnectResult::Connected;
    const auto failed = ConnectResult::Failed;
    QTest::newRow("decimal") << LocalHost << "{port}" << connected << "";
    QTest::newRow("leading blanks") << LocalHost << "   {port}" << connected << "";
    QTest::newRow("plus sign") << LocalHost << "+{port}" << connected << "";
    QTest::newRow("dollar hex") << LocalHost << "${hex}" << connected << "";
    QTest::newRow("0x hex") << LocalHost << "0x{hex}" << connected << "";
    // A port outside 1 to 65535 is refused, not cut to 16 bits: it would lead elsewhere.
    QTest::newRow("port plus 65536")
        << LocalHost << "{plus}" << failed << "Port {plus} is out of range (1 to 65535).";
    QTest::newRow("port minus 65536")
        << LocalHost << "{minus}" << failed << "Port {minus} is out of range (1 to 65535).";
    QTest::newRow("-1") << LocalHost << "-1" << failed << "Port -1 is out of range (1 to 65535).";
    // The pattern whose negation wraps round, in 32 bits, to the server's port.
    QTest::newRow("negated hex wrapping to the port")
        << LocalHost << "-${wrap}" << failed << invalidIntegerMessage(u"-${wrap}");
    QTest::newRow("hex beyond 16 bits")
        << LocalHost << "$10000" << failed << "Port 65536 is out of range (1 to 65535).";
    QTest::newRow("localhost") << "localhost"
                               << "{port}" << connected << "";
    QTest::newRow("trailing blank")
        << LocalHost << "{port} " << failed << invalidIntegerMessage(u"{port} ");
    QTest::newRow("letters") << LocalHost << "abc" << failed << invalidIntegerMessage(u"abc");
    QTest::newRow("empty") << LocalHost << "" << failed << invalidIntegerMessage(u"");
    QTest::newRow("0") << LocalHost << "0" << failed << "Port 0 is out of range (1 to 65535).";
    QTest::newRow("empty host") << ""
                                << "{port}" << failed << "Host is empty.";
}

void TestCommandChannel::portTexts()
{
    QFETCH(QString, host);
    QFETCH(QString, portText);
    QFETCH(ConnectResult, result);
    QFETCH(QString, error);

    Link link;
    const auto fill = [&link](QString text) {
        const int port = link.server.port();
        return text.replace(QStringLiteral("{port}"), QString::number(port))
            .replace(QStringLiteral("{hex}"), QString::number(port, 16))
            .replace(QStringLiteral("{plus}"), QString::number(port + 65536))
            .replace(QStringLiteral("{minus}"), QString::number(port - 65536))
            .replace(QStringLiteral("{wrap}"), QString::number(0x100000000 - port, 16));
    };

    QCOMPARE(link.channel.connectTo(host, fill(portText)), result);
    // connected() comes before connectTo() returns, and only once.
    QCOMPARE(link.connected.count(), result == ConnectResult::Connected ? 1 : 0);
    QCOMPARE(link.channel.isConnected(), result == ConnectResult::Connected);
    if (result == ConnectResult::Connected)
        QTRY_COMPARE(link.server.connections(), 1);
    else
        QCOMPARE(link.channel.errorString(), fill(error));
}

// A second attempt while connected fails without touching the open connection.
void TestCommandChannel::connectWhileConnected_data()
{
    QTest::addColumn<QString>("portText");

    QTest::newRow("same address") << "{port}";
    QTest::newRow("invalid port text") << "abc";
}

void TestCommandChannel::connectWhileConnected()
{
    QFETCH(QString, portText);

    Link link;
    QVERIFY(link.open());
    portText.replace(QStringLiteral("{port}"), QString::number(link.server.port()));

    QCOMPARE(link.channel.connectTo(LocalHost, portText), ConnectResult::AlreadyConnected);
    QCOMPARE(link.connected.count(), 1);
    QVERIFY(link.channel.isConnected());
    QCOMPARE(link.channel.send(u"a6"), Outcome::Confirmed);
    // The server saw a6 on the first connection; a second one would have been taken before.
    QCOMPARE(link.server.connections(), 1);
    QCOMPARE(link.disconnected.count(), 0);
}

void TestCommandChannel::connectWithoutListener()
{
    CommandChannel channel;
    QSignalSpy connected(&channel, &CommandChannel::connected);

    QCOMPARE(channel.connectTo(LocalHost, QString::number(closedTcpPort())), ConnectResult::Failed);
    QVERIFY(!channel.errorString().isEmpty());
    QVERIFY(!channel.isConnected());
    QCOMPARE(connected.count(), 0);
}

void TestCommandChannel::reconnectAfterServerCloseWhileIdle()
{
    Link link;
    QVERIFY(link.open());
    QCOMPARE(link.channel.send(u"a6"), Outcome::Confirmed);

    link.server.closeClient();
    // connectTo() itself must find the close, and connect at the first attempt that knows of
    // it; "already connected" is only allowed while the close is still on its way.
    ConnectResult result = ConnectResult::Failed;
    QVERIFY(QTest::qWaitFor([&] {
        result = link.connect();
        return result != ConnectResult::AlreadyConnected;
    }));
    QCOMPARE(result, ConnectResult::Connected);
    QCOMPARE(link.connected.count(), 2);
    QCOMPARE(link.disconnected.count(), 0);
    QCOMPARE(link.channel.send(u"a7"), Outcome::Confirmed);
    QCOMPARE(link.server.lines(), (QStringList {"a6", "a7"}));
    QCOMPARE(link.server.connections(), 2);
}

// disconnectFromServer(), called twice, from each state; afterwards nothing goes out until
// the next connect.
void TestCommandChannel::disconnecting_data()
{
    QTest::addColumn<Start>("start");
    QTest::addColumn<int>("emitted");

    QTest::newRow("open") << Start::Open << 1;
    QTest::newRow("never connected") << Start::NeverConnected << 0;
    QTest::newRow("closed by the server") << Start::ClosedByServer << 0;
}

void TestCommandChannel::disconnecting()
{
    QFETCH(Start, start);
    QFETCH(int, emitted);

    Link link;
    if (start != Start::NeverConnected)
        QVERIFY(link.open());
    if (start == Start::ClosedByServer) {
        link.server.closeClient();
        // The channel learns of the close when it looks at the connection, and says nothing.
        QTRY_VERIFY(!link.channel.isConnected());
    }
    QCOMPARE(link.disconnected.count(), 0);

    link.channel.disconnectFromServer();
    link.channel.disconnectFromServer();
    QCOMPARE(link.disconnected.count(), emitted);
    QVERIFY(!link.channel.isConnected());
    QTRY_COMPARE(link.server.disconnections(), link.server.connections());

    QCOMPARE(link.channel.send(u"lost"), Outcome::NotConnected);
    QVERIFY(!link.channel.writeRawLine(u"raw"));

    // Had "lost" or "raw" gone out, the server would have had them before "after".
    QCOMPARE(link.connect(), ConnectResult::Connected);
    QCOMPARE(link.channel.send(u"after"), Outcome::Confirmed);
    QCOMPARE(link.server.lines(), QStringList {"after"});
}

QTEST_GUILESS_MAIN(TestCommandChannel)
#include "tst_commandchannel.moc"
