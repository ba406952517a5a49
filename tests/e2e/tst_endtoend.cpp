// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandchannel.h"
#include "keypadsession.h"
#include "logmemo.h"
#include "messageboxes.h"
#include "settingsfile.h"
#include "tmainclient.h"

#include <QGraphicsItem>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

// One discovery period after start comes the first request, and a server answers at once.
constexpr int WithinOnePeriodMs = LinkDefaults::DiscoveryIntervalMs + 1500;

// The hosts of the stand-in servers that answer, as discovery_netns.sh says; the keypad may
// connect to any one of them.
QStringList serverHosts()
{
    return qEnvironmentVariable("ZP_E2E_SERVER_HOSTS").split(u' ', Qt::SkipEmptyParts);
}

bool connectedLogged(const TMainClient &window)
{
    return window.Memo1->toPlainText().contains(QStringLiteral("Client connected with server"));
}

// The keypad with the real discovery ports, its settings file in a folder of its own, and its
// message boxes recorded.
struct Keypad
{
    Keypad()
        : window(options())
    {
        window.messageBoxes()->setMessageFunction(
            [this](const QString &text) { messages << text; });
        window.resize(1280, 800);
        window.show();
    }

    TMainClient::Options options() const
    {
        TMainClient::Options o;
        o.settingsPath = settingsPath();
        return o;
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("ZP.INI")); }

    // Three taps that zp-standin should log, over the connection just made.
    void tapSigns()
    {
        for (const char *name : {"a6", "kar6", "SpeedButton35"}) {
            QGraphicsItem *item = window.item(QString::fromLatin1(name));
            const QPoint centre = item->mapToScene(item->boundingRect().center()).toPoint();
            QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, centre);
        }
    }

    QTemporaryDir folder;
    TMainClient window;
    QStringList messages;
};

} // namespace

// Runs inside the keypad's network namespace that discovery_netns.sh makes, with the real
// discovery ports and real broadcasts; stand-in servers answer from the networks around it
// and record the lines.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void findsTheServerAndSends();
    void searchesANetworkThatComesUpLater();
};

void TestEndToEnd::findsTheServerAndSends()
{
    const QStringList hosts = serverHosts();
    if (hosts.isEmpty())
        QSKIP("Run by discovery_netns.sh inside its network namespace");

    Keypad keypad;
    TMainClient &window = keypad.window;
    QSignalSpy delivered(window.session()->discovery(), &Discovery::datagramReceived);
    QTRY_VERIFY_WITH_TIMEOUT(connectedLogged(window), WithinOnePeriodMs);
    const QString host = window.Edit2->text();
    QVERIFY2(hosts.contains(host), qPrintable(host));
    QCOMPARE(window.Edit3->text(), QStringLiteral("6000"));

    // Every other server answered the same requests; once its reply has come through, it must
    // have left the fields, the connection and the settings file alone.
    for (const QString &other : hosts) {
        if (other == host)
            continue;
        QTRY_VERIFY2(std::any_of(delivered.cbegin(), delivered.cend(),
                         [&](const QList<QVariant> &arguments) {
                             return arguments.at(0).toByteArray().startsWith(
                                 (other + 'm').toLatin1());
                         }),
            qPrintable(QStringLiteral("no reply from %1").arg(other)));
    }
    QCOMPARE(window.Edit2->text(), host);
    QCOMPARE(window.Edit3->text(), QStringLiteral("6000"));
    QVERIFY(window.session()->channel()->isConnected());

    keypad.tapSigns();
    QVERIFY(window.close());
    const SettingsFile::Address saved = SettingsFile::load(keypad.settingsPath(), 0);
    QCOMPARE(saved.host, host);
    QCOMPARE(saved.port, QStringLiteral("6000"));
    QCOMPARE(keypad.messages, QStringList {});
}

// The script starts the keypad with the link to the server's network down and names it; the
// test brings it up after the first request has gone out.
void TestEndToEnd::searchesANetworkThatComesUpLater()
{
    const QStringList hosts = serverHosts();
    const QString lateLink = qEnvironmentVariable("ZP_E2E_LATE_LINK");
    if (hosts.size() != 1 || lateLink.isEmpty())
        QSKIP("Run by discovery_netns.sh inside its network namespace");

    Keypad keypad;
    TMainClient &window = keypad.window;
    QSignalSpy ticks(window.session()->discovery()->timer(), &QTimer::timeout);
    QVERIFY(ticks.wait(WithinOnePeriodMs));
    QVERIFY(!window.session()->channel()->isConnected());

    QCOMPARE(QProcess::execute(QStringLiteral("ip"), {"link", "set", "dev", lateLink, "up"}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(connectedLogged(window), WithinOnePeriodMs);
    QCOMPARE(ticks.size(), 2);
    QCOMPARE(window.Edit2->text(), hosts.first());
    keypad.tapSigns();
    QCOMPARE(keypad.messages, QStringList {});
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
