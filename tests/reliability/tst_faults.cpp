// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandchannel.h"
#include "faultserver.h"
#include "messages.h"
#include "residentmemory.h"
#include "standinprocess.h"
#include "windowfixture.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(FaultServer::Fault)

namespace {

constexpr int replyWaitMs = 400;
// A press blocks the window for at most the reply wait; the margin covers the work around
// it on a loaded machine, and stays below the time a dripped line takes to complete.
constexpr int pressMarginMs = 500;

QStringList logLines(const WindowFixture &w)
{
    const QString text = w->Memo1->toPlainText();
    return text.isEmpty() ? QStringList {} : text.split(u'\n');
}

// Presses the control; returns how long the press kept the window's thread.
qint64 timedPress(WindowFixture &w, QStringView name)
{
    QElapsedTimer clock;
    clock.start();
    w->session()->kataxorisi(name.toString());
    return clock.elapsed();
}

// With the server answering again, the button brings the link back: a first tap ends what
// the connected test still counts as a connection, the next one connects.
void reconnect(WindowFixture &w)
{
    if (w->session()->channel()->isConnected())
        w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));
    w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void serverFaults_data();
    void serverFaults();
    void serverKilledMidSession();
    void streamingServer();
};

void TestFaults::serverFaults_data()
{
    QTest::addColumn<FaultServer::Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("confirmed"); // the reply was "ok" within the wait
    QTest::addColumn<bool>("stillLinked"); // the connected test is still true afterwards

    using Fault = FaultServer::Fault;
    const QString failed = Messages::noConnection();
    // A failed read leaves the link given up: discovery on, the not-connected picture.
    QTest::newRow("connection reset while awaited") << Fault::Reset << failed << false << false;
    QTest::newRow("dripped slower than the wait") << Fault::DripSlow << "" << false << true;
    QTest::newRow("dripped within the wait") << Fault::DripFast << "" << true << true;
    // The "o" stays buffered after the close, and the connected test counts it.
    QTest::newRow("close in the middle of a line")
        << Fault::CloseMidLine << failed << false << true;
    // More than any reply needs: the connection is closed, so the next search starts clean.
    QTest::newRow("line of 1 MB") << Fault::Megabyte << failed << false << false;
    QTest::newRow("accepts and never answers") << Fault::Silent << "" << false << true;
}

void TestFaults::serverFaults()
{
    QFETCH(FaultServer::Fault, fault);
    QFETCH(QString, message);
    QFETCH(bool, confirmed);
    QFETCH(bool, stillLinked);

    FaultServer server(fault);
    WindowFixture w(replyWaitMs);
    w.connectTo(server.port());
    QVERIFY(w.showsConnectedPicture());

    const qint64 pressMs = timedPress(w, u"a6");
    QVERIFY2(pressMs < replyWaitMs + pressMarginMs, qPrintable(QString::number(pressMs)));
    QCOMPARE(server.lines(), 1);
    QCOMPARE(w.messages, message.isEmpty() ? QStringList {} : QStringList {message});
    QCOMPARE(
        w->session()->channel()->lastOutcome() == CommandChannel::Outcome::Confirmed, confirmed);
    const bool givenUp = !message.isEmpty();
    QCOMPARE(w.showsNotConnectedPicture(), givenUp);
    QCOMPARE(w->Timer1->isActive(), givenUp);
    QCOMPARE(logLines(w), QStringList {Messages::clientConnected()});
    QCOMPARE(w->session()->channel()->isConnected(), stillLinked);

    // The server answers again once the fault has played out.
    QTRY_VERIFY(server.faultDone());
    w.messages.clear();
    reconnect(w);
    QVERIFY(w.messages.isEmpty());
    QVERIFY(w.showsConnectedPicture());
    QCOMPARE(logLines(w).last(), Messages::clientConnected());
    QVERIFY(timedPress(w, u"b2") < replyWaitMs + pressMarginMs);
    QVERIFY(w.messages.isEmpty());
    QVERIFY(w->session()->channel()->lastOutcome() == CommandChannel::Outcome::Confirmed);
    QTRY_COMPARE(server.lines(), 2);
}

void TestFaults::serverKilledMidSession()
{
    StandInProcess standIn;
    QVERIFY(standIn.start({}));
    WindowFixture w(replyWaitMs);
    w.connectTo(standIn.port());
    QVERIFY(w.showsConnectedPicture());
    w->session()->kataxorisi(QStringLiteral("a6"));
    QVERIFY(w->session()->channel()->lastOutcome() == CommandChannel::Outcome::Confirmed);

    const quint16 port = standIn.port();
    standIn.kill();
    const qint64 pressMs = timedPress(w, u"a7");
    QVERIFY2(pressMs < replyWaitMs + pressMarginMs, qPrintable(QString::number(pressMs)));
    QCOMPARE(w.messages, QStringList {Messages::noConnection()});
    QVERIFY(w.showsNotConnectedPicture());
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(logLines(w), QStringList {Messages::clientConnected()});
    QVERIFY(!w->session()->channel()->isConnected());

    // While the server is away the button reports it, and the window goes on.
    w.messages.clear();
    w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));
    QCOMPARE(w.messages, QStringList {Messages::notFound()});

    // The server comes back on its port.
    StandInProcess again;
    QVERIFY(again.start({}, port));
    w.messages.clear();
    reconnect(w);
    QVERIFY(w.messages.isEmpty());
    QVERIFY(w.showsConnectedPicture());
    w->session()->kataxorisi(QStringLiteral("a8"));
    QVERIFY(w.messages.isEmpty());
    QVERIFY(w->session()->channel()->lastOutcome() == CommandChannel::Outcome::Confirmed);
    QVERIFY(again.terminate().contains(QStringLiteral(" a8")));
}

// A server that never stops sending "ok" lines. What the keypad keeps of them stays bounded,
// no tap waits longer than the reply wait, and a connection that brings more than any reply
// needs is closed with the no-connection message, so that the next one starts clean.
void TestFaults::streamingServer()
{
    FaultServer server(FaultServer::Fault::Stream);
    WindowFixture w(replyWaitMs);
    w.connectTo(server.port());
    QVERIFY(w->session()->channel()->isConnected());
    QCoreApplication::processEvents();
    const qint64 before = residentKiB();
    QVERIFY(before > 0);

    constexpr int taps = 300;
    qint64 longestMs = 0;
    int closed = 0;
    for (int i = 0; i < taps; ++i) {
        if (!w->session()->channel()->isConnected())
            w.connectTo(server.port());
        w.messages.clear();
        longestMs = qMax(longestMs, timedPress(w, u"a6"));
        if (!w.messages.isEmpty()) {
            QCOMPARE(w.messages, QStringList {Messages::noConnection()});
            QVERIFY(!w->session()->channel()->isConnected());
            ++closed;
        }
    }
    const qint64 after = residentKiB();

    QVERIFY2(longestMs < replyWaitMs + pressMarginMs, qPrintable(QString::number(longestMs)));
    QVERIFY(closed > 0);
    // Generous: the address sanitizer keeps freed memory in quarantine for a while.
    QVERIFY2(after - before < 48 * 1024,
        qPrintable(QStringLiteral("VmRSS %1 kB before, %2 kB after").arg(before).arg(after)));
    qInfo("%d taps, %d connections closed, longest tap %lld ms, VmRSS %lld kB before, %lld kB "
          "after",
        taps, closed, longestMs, before, after);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
