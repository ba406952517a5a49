// SPDX-License-Identifier: GPL-3.0-or-later

#include "closedport.h"
#include "commandchannel.h"
#include "messages.h"
#include "scriptedserver.h"
#include "windowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

QStringList logLines(const WindowFixture &w)
{
    const QString text = w->Memo1->toPlainText();
    return text.isEmpty() ? QStringList {} : text.split(u'\n');
}

} // namespace

class TestChannelWiring : public QObject
{
    Q_OBJECT

private slots:
    void connectAndDisconnect();
    void replies_data();
    void replies();
    void sendsTheNameAsOneLine();
    void lateRefusalShownAtTheNextTap();
    void incompleteLineStaysBuffered();
    void serverClosesBetweenPresses();
    void noConnection();
    void portTexts_data();
    void portTexts();
    void connectFailsWithoutServer();
};

void TestChannelWiring::connectAndDisconnect()
{
    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showsNotConnectedPicture());

    w.connectTo(server.port());
    QCOMPARE(logLines(w), QStringList {Messages::clientConnected()});
    QVERIFY(w.showsConnectedPicture());
    QVERIFY(!w->Timer1->isActive());
    QTRY_COMPARE(server.connections(), 1);

    w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));
    QCOMPARE(
        logLines(w), (QStringList {Messages::clientConnected(), Messages::clientDisconnected()}));
    QVERIFY(w.showsNotConnectedPicture());
    QVERIFY(w->Timer1->isActive());
    QVERIFY(w.messages.isEmpty());
    QVERIFY(!w->session()->channel()->isConnected());

    // The settings screen shows the lines that came while it was hidden.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    w.press(u"rythmiseisshow");
    QCOMPARE(static_cast<QPlainTextEdit *>(w->Memo1)->toPlainText().split(u'\n'),
        (QStringList {Messages::clientConnected(), Messages::clientDisconnected()}));
}

void TestChannelWiring::replies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("disconnectLogged");
    QTest::addColumn<bool>("connectedPicture");

    const QString refused = Messages::refusal();
    const QString failed = Messages::noConnection();

    QTest::newRow("ok crlf") << QByteArray("ok\r\n") << "" << false << true;
    QTest::newRow("bare crlf") << QByteArray("\r\n") << "" << false << true;
    QTest::newRow("bare lf") << QByteArray("\n") << "" << false << true;
    QTest::newRow("silence") << ScriptedServer::Silent << "" << false << true;
    QTest::newRow("upper case") << QByteArray("OK\r\n") << refused << true << false;
    QTest::newRow("trailing blank") << QByteArray("ok \r\n") << refused << true << false;
    QTest::newRow("two crs") << QByteArray("ok\r\r\n") << refused << true << false;
    QTest::newRow("byte 0x80") << QByteArray("o\x80\r\n") << refused << true << false;
    QTest::newRow("16385-byte line") << QByteArray(16385, 'k') + "\r\n" << failed << false << false;
    QTest::newRow("close while awaited") << ScriptedServer::Close << failed << false << false;
}

void TestChannelWiring::replies()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, message);
    QFETCH(bool, disconnectLogged);
    QFETCH(bool, connectedPicture);

    ScriptedServer server;
    server.setReply(0, reply);
    WindowFixture w;
    w.connectTo(server.port());
    QVERIFY(w.showsConnectedPicture());

    w->session()->kataxorisi(QStringLiteral("a6"));

    QTRY_COMPARE(server.lines(), QStringList {"a6"});
    QCOMPARE(w.messages, message.isEmpty() ? QStringList {} : QStringList {message});
    QStringList log {Messages::clientConnected()};
    if (disconnectLogged)
        log << Messages::clientDisconnected();
    QCOMPARE(logLines(w), log);
    QCOMPARE(w.showsConnectedPicture(), connectedPicture);
    QCOMPARE(w.showsNotConnectedPicture(), !connectedPicture);
    // Discovery runs again whenever the link is given up.
    QCOMPARE(w->Timer1->isActive(), !connectedPicture);
}

void TestChannelWiring::sendsTheNameAsOneLine()
{
    ScriptedServer server;
    WindowFixture w;
    w.connectTo(server.port());
    for (const char *name : {"g14", "SpeedButton25", "ark3", "CheckBox1"})
        w->session()->kataxorisi(QString::fromLatin1(name));
    QTRY_COMPARE(server.lines(), (QStringList {"g14", "SpeedButton25", "ark3", "CheckBox1"}));
    QVERIFY(w.messages.isEmpty());

    w->session()->kataxorisi(QString::fromUtf8("xλ"));
    QTRY_COMPARE(server.lines().last(), QStringLiteral("x?"));
}

// The server refuses the first command after its reply wait has run out. The refusal is shown
// at the next tap, as a refusal, before that tap's command would go out; the command is not
// sent on a connection about to be closed.
void TestChannelWiring::lateRefusalShownAtTheNextTap()
{
    ScriptedServer server;
    server.setReply(0, ScriptedServer::Silent);
    WindowFixture w;
    w.connectTo(server.port());

    w->session()->kataxorisi(QStringLiteral("a6"));
    QVERIFY(w.messages.isEmpty());

    server.push("no\r\n");
    w->session()->kataxorisi(QStringLiteral("a7"));
    QCOMPARE(w.messages, QStringList {Messages::refusal()});
    QCOMPARE(
        logLines(w), (QStringList {Messages::clientConnected(), Messages::clientDisconnected()}));
    QVERIFY(w.showsNotConnectedPicture());
    QVERIFY(w->Timer1->isActive());
    QTRY_COMPARE(server.disconnections(), 1);
    QCOMPARE(server.lines(), QStringList {"a6"});
}

void TestChannelWiring::incompleteLineStaysBuffered()
{
    ScriptedServer server;
    server.setReply(0, "o");
    server.setReply(1, "k\r\nok\r\n");
    WindowFixture w;
    w.connectTo(server.port());

    w->session()->kataxorisi(QStringLiteral("a6")); // only "o" arrives: no complete line, accepted
    w->session()->kataxorisi(QStringLiteral("a7")); // "ok" completes, then the answer to a7
    w->session()->kataxorisi(QStringLiteral("a8"));
    QTRY_COMPARE(server.lines(), (QStringList {"a6", "a7", "a8"}));
    QVERIFY(w.messages.isEmpty());
    QVERIFY(w.showsConnectedPicture());
}

void TestChannelWiring::serverClosesBetweenPresses()
{
    ScriptedServer server;
    WindowFixture w;
    w.connectTo(server.port());
    w->session()->kataxorisi(QStringLiteral("a6"));
    QVERIFY(w.messages.isEmpty());

    server.closeClient();
    w->session()->kataxorisi(QStringLiteral("a7"));
    QCOMPARE(w.messages, QStringList {Messages::noConnection()});
    QCOMPARE(logLines(w), QStringList {Messages::clientConnected()});
    QVERIFY(w->Timer1->isActive());
    QVERIFY(w.showsNotConnectedPicture());
    QTRY_COMPARE(server.lines(), QStringList {"a6"});

    // The button connects again.
    w.messages.clear();
    w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));
    QVERIFY(w.messages.isEmpty());
    QVERIFY(w.showsConnectedPicture());
    w->session()->kataxorisi(QStringLiteral("a8"));
    QTRY_COMPARE(server.lines(), (QStringList {"a6", "a8"}));
}

void TestChannelWiring::noConnection()
{
    WindowFixture w;
    w->Timer1->stop();
    w->session()->kataxorisi(QStringLiteral("a6"));
    QCOMPARE(w.messages, QStringList {Messages::noConnection()});
    QVERIFY(w->Timer1->isActive());
    QVERIFY(w.showsNotConnectedPicture());
    QVERIFY(logLines(w).isEmpty());
}

// %1 is the server's port in decimal, %2 in hexadecimal, %3 the port plus 65536.
void TestChannelWiring::portTexts_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("portText");
    QTest::addColumn<bool>("connects");

    QTest::newRow("decimal") << "127.0.0.1"
                             << "%1" << true;
    QTest::newRow("leading blanks") << "127.0.0.1"
                                    << "  %1" << true;
    QTest::newRow("plus sign") << "127.0.0.1"
                               << "+%1" << true;
    QTest::newRow("dollar hex") << "127.0.0.1"
                                << "$%2" << true;
    QTest::newRow("0x hex") << "127.0.0.1"
                            << "0x%2" << true;
    QTest::newRow("beyond 16 bits") << "127.0.0.1"
                                    << "%3" << false;
    QTest::newRow("host name") << "localhost"
                               << "%1" << true;
    QTest::newRow("trailing blank") << "127.0.0.1"
                                    << "%1 " << false;
    QTest::newRow("letters") << "127.0.0.1"
                             << "abc" << false;
    QTest::newRow("empty port") << "127.0.0.1"
                                << "" << false;
    QTest::newRow("65536") << "127.0.0.1"
                           << "65536" << false;
    QTest::newRow("empty host") << ""
                                << "%1" << false;
}

void TestChannelWiring::portTexts()
{
    QFETCH(QString, host);
    QFETCH(QString, portText);
    QFETCH(bool, connects);

    ScriptedServer server;
    WindowFixture w;
    w->Edit2->setText(host);
    portText.replace(QStringLiteral("%1"), QString::number(server.port()))
        .replace(QStringLiteral("%2"), QString::number(server.port(), 16))
        .replace(QStringLiteral("%3"), QString::number(int(server.port()) + 65536));
    w->Edit3->setText(portText);
    w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));

    QVERIFY(!w->Timer1->isActive());
    if (connects) {
        QVERIFY(w.messages.isEmpty());
        QCOMPARE(logLines(w), QStringList {Messages::clientConnected()});
        QVERIFY(w.showsConnectedPicture());
        QTRY_COMPARE(server.connections(), 1);
    } else {
        QCOMPARE(w.messages, QStringList {Messages::notFound()});
        QVERIFY(logLines(w).isEmpty());
        QVERIFY(w.showsNotConnectedPicture());
        QCOMPARE(server.connections(), 0);
    }
}

void TestChannelWiring::connectFailsWithoutServer()
{
    const quint16 freePort = closedTcpPort();
    WindowFixture w;
    w->Edit2->setText(QStringLiteral("127.0.0.1"));
    w->Edit3->setText(QString::number(freePort));
    w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));
    QCOMPARE(w.messages, QStringList {Messages::notFound()});
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(logLines(w).isEmpty());
}

QTEST_MAIN(TestChannelWiring)
#include "tst_channelwiring.moc"
