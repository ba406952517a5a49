// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandchannel.h"
#include "messages.h"
#include "scriptedserver.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

class TestPressWiring : public QObject
{
    Q_OBJECT

private slots:
    void presses_data();
    void presses();
    void ruleCompletesAfterFailureMessage();
};

void TestPressWiring::presses_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("boxCheckedAtStart");
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QStringList>("commands"); // what the presses send, or try to
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("boxChecked");

    const QStringList allToggles = {"enallagikatavasi", "enallagianavasi", "CornerButton1",
        "enallagiIson", "enallagifthores", "enallagixronikiagogi"};

    QTest::newRow("c3: a6") << true << false << QStringList {"a6"} << QStringList {"a6"}
                            << "1111111" << false;
    QTest::newRow("c3: a sign resets every pair but the martyriae")
        << true << false << (allToggles + QStringList {"enallagiMartyries", "e1"})
        << QStringList {"e1"} << "1111112" << false;
    QTest::newRow("c3: a6 without a connection")
        << false << false << QStringList {"a6"} << QStringList {"a6"} << "1111111" << false;
    QTest::newRow("c3: e12 on the descent alternate")
        << true << false << QStringList {"enallagikatavasi", "e12"} << QStringList {"e12"}
        << "1111111" << false;
    QTest::newRow("c3: x3 on the tempo alternate")
        << true << false << QStringList {"enallagixronikiagogi", "x3"} << QStringList {"x3"}
        << "1111111" << false;
    QTest::newRow("c3: command tile resets like a sign")
        << true << false << (allToggles + QStringList {"SpeedButton35"})
        << QStringList {"SpeedButton35"} << "1111111" << false;
    QTest::newRow("c3: check box twice")
        << true << false << QStringList {"CheckBox1", "CheckBox1"}
        << QStringList {"CheckBox1", "CheckBox1"} << "1111111" << false;
    QTest::newRow("c3: check box once, pairs reset")
        << true << false << QStringList {"enallagianavasi", "CheckBox1"}
        << QStringList {"CheckBox1"} << "1111111" << true;
    QTest::newRow("ft8: phthora stays shown")
        << true << false << QStringList {"enallagifthores", "enallagikatavasi", "ft5"}
        << QStringList {"ft5"} << "1111211" << false;
    QTest::newRow("ft8: then a6 brings back the gorgon chart")
        << true << false << QStringList {"enallagifthores", "ft5", "a6"}
        << QStringList {"ft5", "a6"} << "1111111" << false;
    QTest::newRow("ft8: ft5 without a connection")
        << false << false << QStringList {"enallagifthores", "enallagixronikiagogi", "ft5"}
        << QStringList {"ft5"} << "1111211" << false;
    QTest::newRow("m1: m2 shows the martyria signs")
        << true << false << QStringList {"m2"} << QStringList {"m2"} << "1111122" << false;
    QTest::newRow("m1: m2 without a connection")
        << false << false << QStringList {"enallagiIson", "m2"} << QStringList {"m2"} << "1111122"
        << false;
    QTest::newRow("o1: m2 then o3 unchecks the box without a line")
        << true << true << QStringList {"m2", "o3"} << QStringList {"m2", "o3"} << "1111121"
        << false;
    QTest::newRow("o1: o3 without a connection")
        << false << true << QStringList {"enallagiMartyries", "o3"} << QStringList {"o3"}
        << "1111121" << false;
    QTest::newRow("o5: m8 keeps the letters")
        << true << false << QStringList {"m8"} << QStringList {"m8"} << "1111121" << false;
    QTest::newRow("o5: o5 keeps the signs")
        << true << true << QStringList {"enallagiMartyries", "o5"} << QStringList {"o5"}
        << "1111122" << true;
    QTest::newRow("o5: m8 without a connection")
        << false << false << QStringList {"CornerButton1", "m8"} << QStringList {"m8"} << "1111121"
        << false;
    QTest::newRow("martyria entry, then a sign brings back the tempo marks")
        << true << false << QStringList {"m5", "o7", "x2"} << QStringList {"m5", "o7", "x2"}
        << "1111111" << false;
    QTest::newRow("ark1: a chart sign resets nothing")
        << true << false << QStringList {"enallagianavasi", "martyriesshow", "ark9", "Button1"}
        << QStringList {"ark9"} << "1211111" << false;
    QTest::newRow("a toggle sends nothing")
        << true << false << QStringList {"enallagianavasi"} << QStringList {} << "1211111" << false;
}

void TestPressWiring::presses()
{
    QFETCH(bool, connected);
    QFETCH(bool, boxCheckedAtStart);
    QFETCH(QStringList, presses);
    QFETCH(QStringList, commands);

    ScriptedServer server;
    WindowFixture w;
    w->resize(1280, 800);
    w->show();
    if (connected)
        QVERIFY(w.connectTo(server.port()));
    auto *box = qobject_cast<QAbstractButton *>(w->component(u"CheckBox1"));
    w->session()->setChecked(boxCheckedAtStart);

    // Real presses at the scaled centre of each control.
    for (const QString &name : presses) {
        QVERIFY2(w->item(name)->isVisible(), qPrintable(name + " is hidden"));
        w.press(name);
    }

    QTEST(w.pairState(), "state");
    QTEST(box->isChecked(), "boxChecked");
    if (connected) {
        QVERIFY(w.messages.isEmpty());
        w->session()->kataxorisi(QStringLiteral("n5")); // every line before this one has arrived
        QTRY_COMPARE(server.lines(), commands + QStringList {"n5"});
    } else {
        // Each send found no connection and said so; the rules went on regardless.
        QCOMPARE(server.connections(), 0);
        QCOMPARE(w.messages, QStringList(commands.size(), Messages::noConnection()));
    }
}

// A failure message is shown in the middle of the rule: the martyria pair has already been
// swapped, the resets follow once the message is dismissed.
void TestPressWiring::ruleCompletesAfterFailureMessage()
{
    WindowFixture w;
    w->session()->enallagikatavasiClick({});
    QString stateWhileShown;
    w->messageBoxes()->setMessageFunction(
        [&](const QString &) { stateWhileShown = w.pairState(); });
    w->session()->m1Click(QStringLiteral("m3"));
    QCOMPARE(stateWhileShown, QStringLiteral("2111112"));
    QCOMPARE(w.pairState(), QStringLiteral("1111122"));
}

QTEST_MAIN(TestPressWiring)
#include "tst_presswiring.moc"
