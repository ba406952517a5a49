// SPDX-License-Identifier: GPL-3.0-or-later

#include "scriptedserver.h"
#include "tablethub.h"
#include "wsclient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

namespace {

const QByteArray Key = "p0p1p2p3p4p5p6p7p8p9pA";

QByteArray press(const QString &name)
{
    return QJsonDocument(QJsonObject {{"t", "press"}, {"name", name}})
        .toJson(QJsonDocument::Compact);
}

QList<QJsonObject> messagesOf(const WsClient &client, const QString &type)
{
    QList<QJsonObject> found;
    for (const QByteArray &text : client.received()) {
        const QJsonObject message = QJsonDocument::fromJson(text).object();
        if (message.value("t").toString() == type)
            found.append(message);
    }
    return found;
}

} // namespace

// The browser keypad's protocol end to end: a tablet's WebSocket, its keypad model on the
// hub, and a ZP server on loopback that records the lines.
class tst_WebProtocol : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_zp = std::make_unique<ScriptedServer>();
        TabletHub::Options options;
        options.session.replyWaitMs = 500;
        options.session.connectTimeoutMs = 1000;
        options.retryMs = 100;
        options.limits.pressBurst = 20;
        options.limits.pressesPerSecond = 10;
        m_hub = std::make_unique<TabletHub>(WebServer::Files {}, options);
        m_hub->server()->setKey(Key);
        QVERIFY(m_hub->server()->listen(QHostAddress::LocalHost, 0));
        m_hub->setServerAddress(QStringLiteral("127.0.0.1"), QString::number(m_zp->port()));
    }
    void cleanup()
    {
        m_hub.reset();
        m_zp.reset();
    }

    void tapSendsItsLineAndFlashes()
    {
        WsClient tablet;
        QVERIFY(openLinked(tablet));
        QVERIFY(tablet.send(press("a6")));
        QTRY_COMPARE(m_zp->lines(), QStringList {"a6"});
        QTRY_COMPARE(messagesOf(tablet, "flash").size(), 1);
        QCOMPARE(messagesOf(tablet, "flash").first().value("name").toString(), QString("a6"));
    }

    void pressRules_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("shown"); // panels shown afterwards
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("a martyria letter brings up the signs")
            << QStringList {"m1"} << QStringList {"m1"} << QStringList {"PanelMartyries2"}
            << QStringList {"PanelMartyries1"};
        QTest::newRow("then a martyria sign brings back the letters")
            << QStringList {"m1", "o1"} << QStringList {"m1", "o1"}
            << QStringList {"PanelMartyries1"} << QStringList {"PanelMartyries2"};
        QTest::newRow("a toggle sends nothing and swaps its pair")
            << QStringList {"enallagianavasi"} << QStringList {} << QStringList {"Panelanavasi2"}
            << QStringList {"Panelanavasi1"};
        QTest::newRow("a sign puts the pair back to rest")
            << QStringList {"enallagianavasi", "b7"} << QStringList {"b7"}
            << QStringList {"Panelanavasi1"} << QStringList {"Panelanavasi2"};
        QTest::newRow("the martyria chart opens and sends its signs")
            << QStringList {"martyriesshow", "ark9"} << QStringList {"ark9"}
            << QStringList {"Panel2"} << QStringList {"Panel1"};
        QTest::newRow("the move pad tells the server on entry and exit")
            << QStringList {"move_client", "SpeedButton9", "Button3"}
            << QStringList {"move_client", "SpeedButton9", "move_client"} << QStringList {"Panel1"}
            << QStringList {"Panel4"};
        QTest::newRow("a hidden control is not pressed")
            << QStringList {"o1", "a6"} << QStringList {"a6"} << QStringList {"PanelMartyries1"}
            << QStringList {"PanelMartyries2"};
    }
    void pressRules()
    {
        QFETCH(QStringList, presses);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, hidden);
        WsClient tablet;
        QVERIFY(openLinked(tablet));
        for (const QString &name : presses)
            QVERIFY(tablet.send(press(name)));
        // A line that should not go would come before the last expected one.
        QTRY_COMPARE(m_zp->lines(), lines);
        const auto panelsAsExpected = [&] {
            const QList<QJsonObject> states = messagesOf(tablet, "state");
            if (states.isEmpty())
                return false;
            const QJsonObject panels = states.last().value("shown").toObject();
            return std::all_of(shown.begin(), shown.end(), [&](const QString &p) {
                return panels.value(p).toBool();
            }) && std::none_of(hidden.begin(), hidden.end(), [&](const QString &p) {
                return panels.value(p).toBool();
            });
        };
        QTRY_VERIFY(panelsAsExpected());
    }

    void toggleStates()
    {
        WsClient tablet;
        QVERIFY(openLinked(tablet));
        // The check box is a sign of its own: it puts the pairs to rest, so it comes first.
        QVERIFY(tablet.send(press("CheckBox1")));
        QVERIFY(tablet.send(press("enallagianavasi")));
        QTRY_COMPARE(m_zp->lines(), QStringList {"CheckBox1"});
        const auto state = [&tablet] { return messagesOf(tablet, "state").last(); };
        QTRY_VERIFY(state().value("alternates").toObject().value("enallagianavasi").toBool());
        QVERIFY(state().value("checked").toBool());
        QVERIFY(!state().value("alternates").toObject().value("enallagikatavasi").toBool());

        QVERIFY(tablet.send(press("CheckBox1")));
        QTRY_VERIFY(!state().value("checked").toBool());
        QVERIFY(!state().value("alternates").toObject().value("enallagianavasi").toBool());
    }

    void refusalShowsItsMessage()
    {
        m_zp->setReply(0, "no\r\n");
        WsClient tablet;
        QVERIFY(openLinked(tablet));
        QVERIFY(tablet.send(press("xr24")));
        QTRY_COMPARE(messagesOf(tablet, "message").size(), 1);
        QCOMPARE(messagesOf(tablet, "message").first().value("text").toString(),
            QStringLiteral("Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server ZP"));
        QCOMPARE(messagesOf(tablet, "flash").size(), 0);
        // The refusal gave the link up; the hub gives the model the address again. The state
        // from before the refusal said connected too, so the new connection is what tells.
        QTRY_COMPARE(m_zp->connections(), 2);
        QTRY_VERIFY(messagesOf(tablet, "state").last().value("connected").toBool());
        QVERIFY(tablet.send(press("a6")));
        QTRY_COMPARE(m_zp->lines().last(), QString("a6"));
    }

    void noServerShowsItsMessage()
    {
        m_zp.reset();
        WsClient tablet;
        QVERIFY(tablet.open(m_hub->server()->port(), request()));
        QTRY_VERIFY(!messagesOf(tablet, "state").isEmpty());
        QVERIFY(tablet.send(press("a6")));
        QTRY_COMPARE(messagesOf(tablet, "message").size(), 1);
        QCOMPARE(messagesOf(tablet, "message").first().value("text").toString(),
            QStringLiteral("Πρόβλημα!!! Δεν υπάρχει σύνδεση με τον Server ZP"));
    }

    // A flood of presses reaches the ZP server only at a human rate.
    void floodIsDroppedBeforeTheServer()
    {
        WsClient tablet;
        QVERIFY(openLinked(tablet));
        for (int i = 0; i < 300; ++i)
            QVERIFY(tablet.send(press("a6")));
        QTRY_VERIFY(m_zp->lines().size() >= 20);
        QTest::qWait(300);
        QVERIFY2(m_zp->lines().size() < 30, qPrintable(QString::number(m_zp->lines().size())));
    }

    void messagesThatAreNotPressesAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("not JSON") << QByteArray("a6");
        QTest::newRow("a press without a name") << QByteArray(R"({"t":"press"})");
        QTest::newRow("a name that is not text") << QByteArray(R"({"t":"press","name":6})");
        QTest::newRow("a name longer than any control's") << press(QString(65, 'a'));
        QTest::newRow("another type") << QByteArray(R"({"t":"shutdown","name":"a6"})");
    }
    void messagesThatAreNotPressesAreIgnored()
    {
        QFETCH(QByteArray, text);
        WsClient tablet;
        QVERIFY(openLinked(tablet));
        QVERIFY(tablet.send(text));
        QVERIFY(tablet.send(R"({"t":"ping"})"));
        QTRY_COMPARE(messagesOf(tablet, "pong").size(), 1);
        QVERIFY(m_zp->lines().isEmpty());
        QVERIFY(!tablet.isClosed());
    }

    // A tablet that slept comes back on a new connection with the same key, and is a keypad
    // again; the model of the dead connection is gone.
    void reconnectAfterSleep()
    {
        QSignalSpy changed(m_hub.get(), &TabletHub::tabletsChanged);
        auto before = std::make_unique<WsClient>();
        QVERIFY(openLinked(*before));
        before->drop();
        QTRY_COMPARE(m_hub->tablets().size(), 0);
        WsClient after;
        QVERIFY(openLinked(after));
        QCOMPARE(m_hub->tablets().size(), 1);
        QVERIFY(after.send(press("a6")));
        QTRY_COMPARE(m_zp->lines(), QStringList {"a6"});
        QTRY_COMPARE(messagesOf(after, "flash").size(), 1);
    }

private:
    WsClient::Request request() const
    {
        const std::string port = std::to_string(m_hub->server()->port());
        return {'/' + Key.toStdString() + "/ws", "http://127.0.0.1:" + port};
    }

    // Open, and the tablet's model connected to the ZP server.
    bool openLinked(WsClient &tablet)
    {
        if (!tablet.open(m_hub->server()->port(), request()))
            return false;
        const auto linked = [&tablet] {
            const QList<QJsonObject> states = messagesOf(tablet, "state");
            return !states.isEmpty() && states.last().value("connected").toBool();
        };
        return QTest::qWaitFor(linked, 5000);
    }

    std::unique_ptr<ScriptedServer> m_zp;
    std::unique_ptr<TabletHub> m_hub;
};

QTEST_GUILESS_MAIN(tst_WebProtocol)
#include "tst_webprotocol.moc"
