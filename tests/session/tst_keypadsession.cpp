// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandchannel.h"
#include "keypadsession.h"
#include "layout.h"
#include "messages.h"
#include "pairpanels.h"
#include "pressrules.h"
#include "scriptedserver.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A session that does not search: the tests connect it to their own loopback server.
KeypadSession::Options headless()
{
    KeypadSession::Options options;
    options.replyWaitMs = 300;
    options.discovery = std::nullopt;
    return options;
}

QString pairsOf(const KeypadSession &session)
{
    return pairState([&](const char *panel) { return session.isShown(QString::fromLatin1(panel)); });
}

struct Session
{
    explicit Session(bool connected)
    {
        QObject::connect(&session, &KeypadSession::message,
            [this](const QString &text) { messages << text; });
        session.setAddress(QStringLiteral("127.0.0.1"), QString::number(server.port()));
        if (connected)
            ok = session.connectToServer();
    }

    // Every line sent before this one has reached the server.
    QStringList linesReceived()
    {
        session.kataxorisi(QStringLiteral("n5"));
        if (!QTest::qWaitFor([this] { return server.lines().endsWith(u"n5"_qs); }))
            return {QStringLiteral("<the marker never arrived>")};
        QStringList lines = server.lines();
        lines.removeLast();
        return lines;
    }

    ScriptedServer server;
    KeypadSession session {headless()};
    QStringList messages;
    bool ok = false;
};

// The panels that stand between a control and the screen: each hidden one is brought up
// the way a user would, by its screen's tile or its pair's toggle.
QStringList pressesToReach(const Layout::Row &control, const KeypadSession &session)
{
    QStringList presses;
    for (const Layout::Row *row = Layout::find(QString::fromLatin1(control.parent)); row;
         row = row->parent ? Layout::find(QString::fromLatin1(row->parent)) : nullptr) {
        const QString name = QString::fromLatin1(row->name);
        if (row->kind != Layout::Kind::Panel || session.isShown(name))
            continue;
        if (name == u"Panel2")
            presses.prepend(QStringLiteral("martyriesshow"));
        else if (name == u"Panel3")
            presses.prepend(QStringLiteral("diaforashow"));
        else if (name == u"Panel4")
            presses.prepend(QStringLiteral("move_client"));
        for (const PressRules::TogglePair &pair : PressRules::togglePairs()) {
            if (name == QLatin1StringView(pair.alternate) || name == QLatin1StringView(pair.primary))
                presses.prepend(QString::fromLatin1(pair.toggle));
        }
    }
    return presses;
}

} // namespace

class TestKeypadSession : public QObject
{
    Q_OBJECT

private slots:
    void presses_data();
    void presses();
    void everySignSendsItsName();
    void refusedPressesAreNotTaken_data();
    void refusedPressesAreNotTaken();
    void pressesWaitForAnOpenMessage();
    void refusalDisconnectsAndAsksForASearch();
};

void TestKeypadSession::presses_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("checkedAtStart");
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QStringList>("lines"); // what reaches the server, connected
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<int>("screen");
    QTest::addColumn<QStringList>("flashed");

    const QStringList toggles = {"enallagikatavasi", "enallagianavasi", "CornerButton1",
        "enallagiIson", "enallagifthores", "enallagixronikiagogi"};
    const QStringList none;

    QTest::newRow("c3: a6") << true << false << QStringList {"a6"} << QStringList {"a6"}
                            << "1111111" << false << 1 << QStringList {"a6"};
    QTest::newRow("c3: a sign resets every pair but the martyriae")
        << true << false << (toggles + QStringList {"enallagiMartyries", "e1"})
        << QStringList {"e1"} << "1111112" << false << 1 << QStringList {"e1"};
    QTest::newRow("c3: every toggle once")
        << true << false << toggles << none << "2222221" << false << 1 << none;
    QTest::newRow("c3: the check box sends its name and flips")
        << true << false << QStringList {"enallagianavasi", "CheckBox1"}
        << QStringList {"CheckBox1"} << "1111111" << true << 1 << QStringList {"CheckBox1"};
    QTest::newRow("ft8: the phthora stays shown")
        << true << false << QStringList {"enallagifthores", "enallagikatavasi", "ft5"}
        << QStringList {"ft5"} << "1111211" << false << 1 << QStringList {"ft5"};
    QTest::newRow("m1: a letter shows the martyria signs")
        << true << false << QStringList {"m2"} << QStringList {"m2"} << "1111122" << false << 1
        << QStringList {"m2"};
    QTest::newRow("o1: a sign unchecks the box without a line")
        << true << true << QStringList {"m2", "o3"} << QStringList {"m2", "o3"} << "1111121"
        << false << 1 << QStringList {"m2", "o3"};
    QTest::newRow("o5: o5 keeps the signs")
        << true << true << QStringList {"enallagiMartyries", "o5"} << QStringList {"o5"}
        << "1111122" << true << 1 << QStringList {"o5"};
    QTest::newRow("ark1: a chart sign resets nothing")
        << true << false << QStringList {"enallagianavasi", "martyriesshow", "ark9"}
        << QStringList {"ark9"} << "1211111" << false << 2 << QStringList {"ark9"};
    QTest::newRow("the various signs and back")
        << true << false << QStringList {"diaforashow", "Button2"} << none << "1111111" << false
        << 1 << none;
    QTest::newRow("settings")
        << true << false << QStringList {"rythmiseisshow"} << none << "1111111" << false << 5
        << none;
    QTest::newRow("move pad: in, both arrows, out")
        << true << false << QStringList {"move_client", "moveL", "moveR", "Button3"}
        << QStringList {"move_client", "SpeedButton25", "SpeedButton31", "move_client"}
        << "1111111" << false << 1
        << QStringList {"move_client", "SpeedButton25", "moveL", "SpeedButton31", "moveR"};
    QTest::newRow("without a connection the rules still run")
        << false << false << QStringList {"enallagiIson", "m2"} << QStringList {"m2"} << "1111122"
        << false << 1 << none;
}

void TestKeypadSession::presses()
{
    QFETCH(bool, connected);
    QFETCH(bool, checkedAtStart);
    QFETCH(QStringList, presses);
    QFETCH(QStringList, lines);

    Session s(connected);
    QCOMPARE(s.ok, connected);
    s.session.setChecked(checkedAtStart);
    QSignalSpy flashes(&s.session, &KeypadSession::flashed);

    for (const QString &name : presses)
        QVERIFY2(s.session.press(name), qPrintable(name + " was not taken"));

    QTEST(pairsOf(s.session), "pairs");
    QTEST(s.session.isChecked(), "checked");
    QTEST(s.session.screen(), "screen");
    QStringList flashed;
    for (const QList<QVariant> &flash : flashes)
        flashed << flash.at(0).toString();
    QTEST(flashed, "flashed");
    if (connected) {
        QCOMPARE(s.messages, QStringList());
        QCOMPARE(s.linesReceived(), lines);
    } else {
        QCOMPARE(s.server.connections(), 0);
        QCOMPARE(s.messages, QStringList(lines.size(), Messages::noConnection()));
    }
}

// Every control bound to a press rule sends its own name, once it can be reached.
void TestKeypadSession::everySignSendsItsName()
{
    Session s(true);
    QVERIFY(s.ok);
    QStringList expected;
    for (const Layout::Row &row : Layout::rows()) {
        if (PressRules::steps(row.handler).empty() || row.kind == Layout::Kind::CheckBox)
            continue;
        const QString name = QString::fromLatin1(row.name);
        for (const QString &step : pressesToReach(row, s.session)) {
            QVERIFY2(s.session.press(step), qPrintable(step + " on the way to " + name));
            if (step == u"move_client")
                expected << step; // entering the move pad tells the server
        }
        QVERIFY2(s.session.press(name), qPrintable(name));
        expected << name;
        // Back to the main screen, by the chart's own button.
        const int screen = s.session.screen();
        if (screen != 1) {
            const char *back = screen == 2 ? "Button1" : screen == 3 ? "Button2" : "Button3";
            QVERIFY2(s.session.press(QString::fromLatin1(back)), back);
            if (screen == 4)
                expected << QStringLiteral("move_client"); // and so does leaving it
        }
    }
    QVERIFY(expected.size() > 100);
    QCOMPARE(s.linesReceived(), expected);
    QCOMPARE(s.messages, QStringList());
}

void TestKeypadSession::refusedPressesAreNotTaken_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("control");

    QTest::newRow("no such control") << QStringList() << "zz9";
    QTest::newRow("a picture") << QStringList() << "Image1";
    QTest::newRow("a panel") << QStringList() << "Panel1";
    QTest::newRow("a sign of a hidden alternate") << QStringList() << "e12";
    QTest::newRow("a sign of a hidden chart") << QStringList() << "ark9";
    QTest::newRow("the main screen behind a chart") << QStringList {"martyriesshow"} << "a6";
    QTest::newRow("a control the layout hides") << QStringList {"rythmiseisshow"}
                                                << "ButtonSendString";
}

void TestKeypadSession::refusedPressesAreNotTaken()
{
    QFETCH(QStringList, before);
    QFETCH(QString, control);

    Session s(true);
    for (const QString &name : before)
        QVERIFY(s.session.press(name));
    QSignalSpy panels(&s.session, &KeypadSession::panelShownChanged);
    QVERIFY(!s.session.canPress(control));
    QVERIFY(!s.session.press(control));
    QCOMPARE(panels.count(), 0);
    QCOMPARE(s.linesReceived(), QStringList());
}

// A view that shows its messages modally runs input while one is open: such presses are
// dropped, whatever they come from, instead of stacking messages or sending under one.
void TestKeypadSession::pressesWaitForAnOpenMessage()
{
    ScriptedServer server;
    server.setReply(0, "no\r\n");
    KeypadSession session(headless());
    session.setAddress(QStringLiteral("127.0.0.1"), QString::number(server.port()));
    QVERIFY(session.connectToServer());
    QStringList messages;
    QList<bool> takenUnderMessage;
    connect(&session, &KeypadSession::message, this, [&](const QString &text) {
        messages << text;
        QVERIFY(session.isBusy());
        takenUnderMessage << session.press(u"a7") << session.press(u"enallagianavasi");
    });

    QVERIFY(session.press(u"a6"));
    QCOMPARE(messages, QStringList {Messages::refusal()});
    QCOMPARE(takenUnderMessage, (QList<bool> {false, false}));
    QCOMPARE(pairsOf(session), u"1111111"_qs);
    QVERIFY(!session.isBusy());
    QCOMPARE(server.lines(), QStringList {"a6"});
}

// Without discovery of its own the session asks its owner to find the server.
void TestKeypadSession::refusalDisconnectsAndAsksForASearch()
{
    Session s(true);
    s.server.setReply(0, "no\r\n");
    QSignalSpy search(&s.session, &KeypadSession::searchWanted);
    QSignalSpy connection(&s.session, &KeypadSession::connectedChanged);
    QSignalSpy log(&s.session, &KeypadSession::logLine);

    QVERIFY(s.session.press(u"a6"));
    QCOMPARE(s.messages, QStringList {Messages::refusal()});
    QVERIFY(!s.session.isConnected());
    QVERIFY(search.count() >= 1);
    QCOMPARE(connection.last().at(0).toBool(), false);
    QCOMPARE(log.last().at(0).toString(), Messages::clientDisconnected());

    s.messages.clear();
    QVERIFY(s.session.press(u"a7"));
    QCOMPARE(s.messages, QStringList {Messages::noConnection()});
    QVERIFY(s.session.connectToServer());
    QCOMPARE(log.last().at(0).toString(), Messages::clientConnected());
}

QTEST_GUILESS_MAIN(TestKeypadSession)
#include "tst_keypadsession.moc"
