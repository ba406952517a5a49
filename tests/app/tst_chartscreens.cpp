// SPDX-License-Identifier: GPL-3.0-or-later

#include "connectedwindow.h"
#include "layout.h"
#include "messages.h"
#include "panelitem.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

// The buttons laid on a chart panel or on the move pad, in layout order.
QList<const Layout::Row *> buttonsOn(const char *container)
{
    QList<const Layout::Row *> buttons;
    for (const Layout::Row &row : Layout::rows()) {
        if (row.parent && qstrcmp(row.parent, container) == 0
            && (row.kind == Layout::Kind::SpeedButton || row.kind == Layout::Kind::Button))
            buttons << &row;
    }
    return buttons;
}

} // namespace

class TestChartScreens : public QObject
{
    Q_OBJECT

private slots:
    void chartSigns_data();
    void chartSigns();
    void movePadKeys();
    void enterAndLeaveMovePad();
    void leaveMovePadWithoutConnection();
    void closingOnMovePadSendsNothing();
};

void TestChartScreens::chartSigns_data()
{
    QTest::addColumn<QString>("tile");
    QTest::addColumn<QByteArray>("chart");
    QTest::addColumn<QString>("screen");

    QTest::newRow("martyria chart") << "martyriesshow" << QByteArray("Panelmartyries") << "Panel2";
    QTest::newRow("various signs") << "diaforashow" << QByteArray("Paneldiafora") << "Panel3";
}

// Every area of a chart, pressed at its scaled centre: the active ones send their own
// names, the inert ones nothing, and the chart stays up throughout.
void TestChartScreens::chartSigns()
{
    QFETCH(QString, tile);
    QFETCH(QByteArray, chart);
    QFETCH(QString, screen);

    ConnectedWindow w;
    w.press(u"enallagianavasi"); // a main-screen state that the chart must leave alone
    const QStringList mainState = w.shownPairPanels();
    w.press(tile);

    QStringList expected;
    const QList<const Layout::Row *> areas = buttonsOn(chart.constData());
    QVERIFY(!areas.isEmpty());
    for (const Layout::Row *area : areas) {
        const QString name = QString::fromLatin1(area->name);
        w.press(name);
        if (area->handler == Layout::Handler::ark1Click)
            expected << name;
        else
            QCOMPARE(area->handler, Layout::Handler::None);
        QVERIFY2(w->item(screen)->isVisible(), qPrintable(name));
    }
    w->session()->kataxorisi(QStringLiteral("n5"));
    QTRY_COMPARE(w.server.lines(), expected + QStringList {"n5"});
    QVERIFY(w.messages.isEmpty());

    w.press(screen == u"Panel2" ? u"Button1" : u"Button2");
    QVERIFY(w->Panel1->isVisible());
    QCOMPARE(w.shownPairPanels(), mainState);
}

void TestChartScreens::movePadKeys()
{
    ConnectedWindow w;
    w.press(u"CornerButton1");
    const QStringList mainState = w.shownPairPanels();
    w.press(u"move_client");
    QVERIFY(w->Panel4->isVisible());
    QVERIFY(!w->Panel1->isVisible());

    for (const char *key :
        {"moveL", "moveR", "SpeedButton7", "SpeedButton8", "SpeedButton9", "SpeedButton10"})
        w.press(QString::fromLatin1(key));
    w->session()->kataxorisi(QStringLiteral("n5"));
    QTRY_COMPARE(w.server.lines(),
        (QStringList {"move_client", "SpeedButton25", "SpeedButton31", "SpeedButton7",
            "SpeedButton8", "SpeedButton9", "SpeedButton10", "n5"}));
    // The big arrows send the main tiles' names without the tiles' resets.
    QCOMPARE(w.shownPairPanels(), mainState);
    QVERIFY(w->Panel4->isVisible());
}

void TestChartScreens::enterAndLeaveMovePad()
{
    ConnectedWindow w;
    // The answer to the closing "move_client" is not read by the Return key, so the next
    // command's check takes it: here a refusal.
    w.server.setReply(1, "no\r\n");
    w.press(u"move_client");
    w.press(u"Button3");
    QVERIFY(w->Panel1->isVisible());
    QVERIFY(!w->Panel4->isVisible());
    QVERIFY(w.messages.isEmpty());
    QTRY_COMPARE(w.server.lines(), (QStringList {"move_client", "move_client"}));

    w->session()->kataxorisi(QStringLiteral("a6"));
    QCOMPARE(w.messages, QStringList {Messages::refusal()});
}

void TestChartScreens::leaveMovePadWithoutConnection()
{
    WindowFixture w;
    w->resize(1280, 800);
    w->show();
    w.press(u"move_client");
    QCOMPARE(w.messages, QStringList {Messages::noConnection()});
    QVERIFY(w->Panel4->isVisible());

    w.messages.clear();
    w->Timer1->stop();
    w.press(u"Button3");
    QCOMPARE(w.messages,
        QStringList {QString::fromUtf8("Πρόβλημα! Δεν υπάρχει σύνδεση με τον Server ZP")});
    QVERIFY(w->Panel1->isVisible());
    QVERIFY(!w->Panel4->isVisible());
    QVERIFY(w->Memo1->toPlainText().isEmpty());
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(w.showsNotConnectedPicture());
}

void TestChartScreens::closingOnMovePadSendsNothing()
{
    auto w = std::make_unique<ConnectedWindow>();
    w->press(u"move_client");
    QTRY_COMPARE(w->server.lines(), QStringList {"move_client"});
    (*w)->close();
    QVERIFY(!(*w)->isVisible());

    // The connection ends with the window; by then the server has all it will ever get.
    ScriptedServer *server = &w->server;
    (*w).window.reset();
    QTRY_COMPARE(server->disconnections(), 1);
    QCOMPARE(server->lines(), QStringList {"move_client"});
}

QTEST_MAIN(TestChartScreens)
#include "tst_chartscreens.moc"
