// SPDX-License-Identifier: GPL-3.0-or-later

#include "closedport.h"
#include "commandchannel.h"
#include "keypadsession.h"
#include "layout.h"
#include "logmemo.h"
#include "messageboxes.h"
#include "messages.h"
#include "residentmemory.h"
#include "standinprocess.h"
#include "tmainclient.h"
#include "udplistener.h"
#include "windowfixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

namespace {

constexpr int pressCount = 100000;
constexpr int datagramCount = 10000;
// The flood's datagrams are spread over 800 ms; sending them must not take much longer, or
// the listener was never flooded. An emulator (Wine) passes every send through a server
// process of its own as well, which on a busy machine adds up to about half a second.
#ifdef ZP_TESTS_UNDER_EMULATOR
constexpr qint64 floodBoundMs = 2500;
#else
constexpr qint64 floodBoundMs = 1000;
#endif

// FNV-1a (64 bits) over each line and an LF, as zp-standin sums what it receives.
quint64 addLine(quint64 sum, QStringView line)
{
    for (const QChar c : line)
        sum = (sum ^ c.unicode()) * 0x100000001b3u;
    return (sum ^ '\n') * 0x100000001b3u;
}

QStringList hitAreaNames()
{
    QStringList names;
    for (const Layout::Row &row : Layout::rows()) {
        if (row.style == Layout::Style::TransparentCircle)
            names << QString::fromLatin1(row.name);
    }
    return names;
}

// Datagrams of every shape: replies that connect nowhere, requests, noise, and sizes up to
// the largest a datagram can have. %1 is a TCP port on which nothing listens.
QList<QByteArray> datagramShapes(quint16 closedPort)
{
    const QByteArray port = QByteArray::number(closedPort);
    QList<QByteArray> shapes {
        QByteArray(),
        "zp",
        "m",
        "mmmm",
        "127.0.0.1m" + port,
        "127.0.0.1m" + port + "\r\n",
        "m" + port,
        "127.0.0.1m",
        "127.0.0.1m0",
        "127.0.0.1m65536",
        "127.0.0.1mabc",
        "127.0.0.1M" + port,
        "localhostm" + port,
        "127.0.0.1m0000" + port, // beyond 20 bytes: dropped
        QByteArray("\x80\xff\x00m\x01", 5),
        QByteArray(20, 'm'),
        QByteArray(21, 'm'),
        QByteArray(1400, 'x'),
        QByteArray(65507, 'm'),
    };
    for (int i = 0; i < 8; ++i) {
        QByteArray noise(1 + i * 3, Qt::Uninitialized);
        // Without an "m": a random host text could send the resolver out to the network.
        for (char &c : noise) {
            c = char(QRandomGenerator::global()->bounded(256));
            if (c == 'm')
                c = 'n';
        }
        shapes << noise;
    }
    return shapes;
}

} // namespace

class TestLoad : public QObject
{
    Q_OBJECT

private slots:
    void pressesReachTheServerInOrder();
    void discoveryFlood();
};

void TestLoad::pressesReachTheServerInOrder()
{
    StandInProcess standIn;
    QVERIFY(standIn.start({"--quiet"}));
    WindowFixture w(LinkDefaults::ReplyWaitMs);
    w->Edit2->setText(QStringLiteral("127.0.0.1"));
    w->Edit3->setText(QString::number(standIn.port()));
    w->session()->ConnectDisconnectClick(QStringLiteral("ConnectDisconnect"));
    QVERIFY(w.showsConnectedPicture());

    const QStringList names = hitAreaNames();
    QVERIFY(names.size() > 100);
    quint64 sum = 0xcbf29ce484222325u;
    int confirmed = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < pressCount; ++i) {
        const QString &name = names[i % names.size()];
        w->session()->kataxorisi(name);
        sum = addLine(sum, name);
        confirmed
            += w->session()->channel()->lastOutcome() == CommandChannel::Outcome::Confirmed ? 1 : 0;
        // The event loop gets its turn now and then, as between a user's taps.
        if (i % 1000 == 0)
            QCoreApplication::processEvents();
    }
    const qint64 elapsedMs = clock.elapsed();
    QCOMPARE(w.messages, QStringList {});
    QCOMPARE(confirmed, pressCount);

    const QString summary = standIn.terminate();
    const QString expected
        = QStringLiteral("%1 lines received, 1 clients served, lines checksum %2")
              .arg(pressCount)
              .arg(QString::number(sum, 16).rightJustified(16, u'0'));
    QVERIFY2(summary.contains(expected), qPrintable(summary));
    qInfo("%d presses in %lld ms, every one answered \"ok\", none lost, doubled or reordered",
        pressCount, elapsedMs);
}

void TestLoad::discoveryFlood()
{
    TestEnvironment env;
    TMainClient::Options options = env.options();
    // A reply that points at a host which does not answer must not hold the flood up for long.
    options.connectTimeoutMs = 200;
    TMainClient window(options);
    QStringList messages;
    window.messageBoxes()->setMessageFunction([&](const QString &text) { messages << text; });
    const quint16 listenPort = window.IdUDPServer1->localPort();
    QVERIFY(listenPort != 0);

    // No reply has this shape: once it has come through, every datagram the system kept
    // before it has been handled.
    const QByteArray endOfFlood("end of the flood");
    int delivered = 0;
    bool floodHandled = false;
    qsizetype longest = 0;
    connect(
        window.IdUDPServer1, &UdpListener::datagramReceived, this, [&](const QByteArray &bytes) {
            ++delivered;
            longest = qMax(longest, bytes.size());
            floodHandled = floodHandled || bytes == endOfFlood;
        });

    const QList<QByteArray> shapes = datagramShapes(closedTcpPort());
    QCoreApplication::processEvents();
    const qint64 before = residentKiB();
    QVERIFY(before > 0);

    // Sent from a thread of its own, spread over most of a second, while the window's thread
    // handles them: all at once, the system would drop nearly all of them unseen.
    qint64 sendMs = 0;
    int sent = 0;
    QThread *sender = QThread::create([&] {
        constexpr qint64 spacingNs = 800'000'000 / datagramCount;
        QUdpSocket socket;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < datagramCount; ++i) {
            while (clock.nsecsElapsed() < i * spacingNs)
                QThread::yieldCurrentThread();
            if (socket.writeDatagram(shapes[i % shapes.size()], QHostAddress::LocalHost, listenPort)
                >= 0)
                ++sent;
        }
        sendMs = clock.elapsed();
    });
    sender->start();
    QTRY_VERIFY_WITH_TIMEOUT(sender->isFinished(), 30000);
    sender->wait();
    delete sender;
    QVERIFY2(sendMs < floodBoundMs, qPrintable(QString::number(sendMs)));
    QCOMPARE(sent, datagramCount);

    // The first reply that named a server led to an attempt, which failed and ended the
    // search; every reply after it was dropped, so there is one message, not one for each.
    // It is sent again until it gets through, since the system drops datagrams while its
    // buffer is full. Then a tap gives the link up and searches again.
    QUdpSocket marker;
    QTRY_VERIFY_WITH_TIMEOUT(
        (marker.writeDatagram(endOfFlood, QHostAddress::LocalHost, listenPort), floodHandled),
        30000);
    QVERIFY(!window.Timer1->isActive());
    QCOMPARE(messages, QStringList {Messages::notFound()});
    window.session()->kataxorisi(QStringLiteral("a6"));
    QVERIFY(window.Timer1->isActive());

    // The listener still works: a reply for a live server connects. It is sent again until
    // it gets through, since the system drops datagrams while its buffer is full; once it
    // has, everything the buffer kept before it has been handled.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    const QByteArray reply = "127.0.0.1m" + QByteArray::number(server.serverPort());
    QUdpSocket replier;
    QTRY_VERIFY_WITH_TIMEOUT((replier.writeDatagram(reply, QHostAddress::LocalHost, listenPort),
                                 window.session()->channel()->isConnected()),
        30000);
    QCOMPARE(window.Edit3->text(), QString::number(server.serverPort()));

    // Generous: the address sanitizer alone holds tens of MB of freed memory in quarantine.
    QCoreApplication::processEvents();
    const qint64 after = residentKiB();
    QVERIFY(delivered > 0);
    QVERIFY(longest <= UdpListener::BufferSize);
    QCOMPARE(messages, (QStringList {Messages::notFound(), Messages::noConnection()}));
    QVERIFY2(after - before < 128 * 1024,
        qPrintable(QStringLiteral("VmRSS %1 kB before, %2 kB after").arg(before).arg(after)));
    qInfo("%d datagrams sent in %lld ms, %d delivered, VmRSS %lld kB before, %lld kB after", sent,
        sendMs, delivered, before, after);
}

QTEST_MAIN(TestLoad)
#include "tst_load.moc"
