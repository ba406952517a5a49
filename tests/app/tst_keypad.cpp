// SPDX-License-Identifier: GPL-3.0-or-later

#include "connectedwindow.h"
#include "hitareaitem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QTest>

namespace {

struct KeypadFixture : ConnectedWindow
{
    void pressAtDesignPoint(QPointF point) const
    {
        const QPoint scaled(qRound(point.x() * 1280 / 1024), qRound(point.y() * 800 / 720));
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {}, scaled);
    }
};

} // namespace

class TestKeypad : public QObject
{
    Q_OBJECT

private slots:
    void pressLandsOn_data();
    void pressLandsOn();
    void toggles_data();
    void toggles();
    void checkBoxTakesItsWholeRectangle();
    void slidingOffSendsNothing();
    void quickSecondTapSendsAgain();
    void hoverEndsWhenScreenHides();
    void confirmationFlash_data();
    void confirmationFlash();
    void secondFlashRunsItsFullTime();
    void touch_data();
    void touch();
};

// Points in the main screen's design units, worked out by hand from each panel's place and
// scale; the press goes through the view's own hit testing on a scaled window.
void TestKeypad::pressLandsOn_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QString>("sent");

    QTest::newRow("a6") << QStringList {} << QPointF(690.9, 484.3) << "a6";
    QTest::newRow("kar6, leftmost gorgon") << QStringList {} << QPointF(43.9, 318.7) << "kar6";
    QTest::newRow("g6 where g14 lies on the alternate")
        << QStringList {} << QPointF(979.8, 24.1) << "g6";
    QTest::newRow("g14 after the quality toggle")
        << QStringList {"CornerButton1"} << QPointF(979.8, 24.1) << "g14";
    QTest::newRow("di4 leftmost") << QStringList {} << QPointF(573.2, 233.8) << "di4";
    QTest::newRow("di5 rightmost") << QStringList {} << QPointF(780.4, 233.8) << "di5";
    QTest::newRow("ison letter k1") << QStringList {} << QPointF(307.1, 162.7) << "k1";
    QTest::newRow("command tile") << QStringList {} << QPointF(167.5, 78) << "SpeedButton35";
    QTest::newRow("ft21 on the phthora chart")
        << QStringList {"enallagifthores"} << QPointF(-14 + 573 * 1.7, 260 + 70.5 * 1.7) << "ft21";
    QTest::newRow("margin of the ascent panel") << QStringList {} << QPointF(574.6, 575) << "";
    QTest::newRow("between c4 and c3") << QStringList {} << QPointF(86.6, 482.6) << "";
    QTest::newRow("empty eleventh column of the phthorae")
        << QStringList {"enallagifthores"} << QPointF(-14 + 573 * 1.7, 260 + 34.5 * 1.7) << "";
}

void TestKeypad::pressLandsOn()
{
    QFETCH(QStringList, before);
    QFETCH(QPointF, point);
    QFETCH(QString, sent);

    KeypadFixture w;
    for (const QString &toggle : before)
        w.press(toggle);
    w.pressAtDesignPoint(point);
    w->session()->kataxorisi(QStringLiteral("n5")); // a marker: every line before it has arrived

    const QStringList expected = sent.isEmpty() ? QStringList {"n5"} : QStringList {sent, "n5"};
    QTRY_COMPARE(w.server.lines(), expected);
    QVERIFY(w.messages.isEmpty());
}

void TestKeypad::toggles_data()
{
    QTest::addColumn<QString>("toggle");
    QTest::addColumn<QString>("primary");
    QTest::addColumn<QString>("alternate");

    QTest::newRow("tempo") << "enallagixronikiagogi"
                           << "PanelxronikiAgogi1"
                           << "PanelxronikiAgogi2";
    QTest::newRow("ison") << "enallagiIson"
                          << "PanelIson1"
                          << "PanelIson2";
    QTest::newRow("martyria") << "enallagiMartyries"
                              << "PanelMartyries1"
                              << "PanelMartyries2";
    QTest::newRow("quality") << "CornerButton1"
                             << "PanelPoiotitas1"
                             << "PanelPoiotitas2";
    QTest::newRow("gorgon / phthora") << "enallagifthores"
                                      << "Panelgorgo"
                                      << "Panelfthores";
    QTest::newRow("descent") << "enallagikatavasi"
                             << "PanelKatavasi1"
                             << "PanelKatavasi2";
    QTest::newRow("ascent") << "enallagianavasi"
                            << "Panelanavasi1"
                            << "Panelanavasi2";
}

void TestKeypad::toggles()
{
    QFETCH(QString, toggle);
    QFETCH(QString, primary);
    QFETCH(QString, alternate);

    KeypadFixture w;
    const QStringList atStart = w.shownPairPanels();
    QVERIFY(atStart.contains(primary));
    QVERIFY(!atStart.contains(alternate));

    w.press(toggle);
    QStringList swapped = atStart;
    swapped.removeOne(primary);
    swapped << alternate;
    QStringList now = w.shownPairPanels();
    now.sort();
    swapped.sort();
    QCOMPARE(now, swapped);

    w.press(toggle);
    QCOMPARE(w.shownPairPanels(), atStart);

    w->session()->kataxorisi(QStringLiteral("n5"));
    QTRY_COMPARE(w.server.lines(), QStringList {"n5"});
}

void TestKeypad::checkBoxTakesItsWholeRectangle()
{
    KeypadFixture w;
    auto *box = qobject_cast<QAbstractButton *>(w->component(u"CheckBox1"));
    // Near the right-hand end of its 69 × 27 rectangle at scale 1.5, far from mark and caption.
    w.pressAtDesignPoint(QPointF(154 + 66 * 1.5, 158 + 24 * 1.5));
    QVERIFY(box->isChecked());
    QTRY_COMPARE(w.server.lines(), QStringList {"CheckBox1"});
}

void TestKeypad::slidingOffSendsNothing()
{
    KeypadFixture w;
    const QPoint start = w.centreOf(u"a6");
    QTest::mousePress(w->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(w->viewport(), start + QPoint(0, 200));
    QTest::mouseRelease(w->viewport(), Qt::LeftButton, {}, start + QPoint(0, 200));
    w->session()->kataxorisi(QStringLiteral("n5"));
    QTRY_COMPARE(w.server.lines(), QStringList {"n5"});
}

void TestKeypad::quickSecondTapSendsAgain()
{
    KeypadFixture w;
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    // Through the window system, which turns the second press into a double click.
    QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {}, w.centreOf(u"a6"));
    QTRY_COMPARE(w.server.lines(), (QStringList {"a6", "a6"}));
    QVERIFY(!qobject_cast<HitAreaItem *>(w->component(u"a6"))->isPressed());
    // Nothing is left holding the pointer: hovering goes on, the next tap goes to the sign
    // under it.
    QCOMPARE(w->scene()->mouseGrabberItem(), nullptr);
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, w.centreOf(u"n5"));
    QTRY_COMPARE(w.server.lines(), (QStringList {"a6", "a6", "n5"}));
}

void TestKeypad::hoverEndsWhenScreenHides()
{
    KeypadFixture w;
    auto *area = qobject_cast<HitAreaItem *>(w->component(u"rythmiseisshow"));
    QTest::mouseMove(w->viewport(), w.centreOf(u"rythmiseisshow"));
    QTRY_VERIFY(area->isHighlighted());
    QCOMPARE(area->opacity(), 0.5);

    // The settings screen opens under the pointer, which then leaves for the Return button:
    // back on the main screen the tile must not still look hovered.
    w.press(u"rythmiseisshow");
    w.press(u"Button4");
    QVERIFY(w->Panel1->isVisible());
    QVERIFY(!area->isHighlighted());
    QCOMPARE(area->opacity(), 1.0);
}

void TestKeypad::confirmationFlash_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("flashes");

    QTest::newRow("ok") << QByteArray("ok\r\n") << true;
    QTest::newRow("empty reply") << QByteArray("\r\n") << false;
    QTest::newRow("no reply within the wait") << ScriptedServer::Silent << false;
    QTest::newRow("refused") << QByteArray("no\r\n") << false;
}

void TestKeypad::confirmationFlash()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, flashes);

    KeypadFixture w;
    w.server.setReply(0, reply);
    auto *area = qobject_cast<HitAreaItem *>(w->component(u"a6"));
    w.press(u"a6");
    QCOMPARE(area->isFlashing(), flashes);
    QTRY_VERIFY(!area->isFlashing());
}

void TestKeypad::secondFlashRunsItsFullTime()
{
    KeypadFixture w;
    auto *area = qobject_cast<HitAreaItem *>(w->component(u"a6"));
    w.press(u"a6");
    QVERIFY(area->isFlashing());
    QTest::qWait(HitAreaItem::FlashMs * 2 / 3);

    // The first flash's end falls inside the second: it must not end the second one early.
    QElapsedTimer sinceSecond;
    sinceSecond.start();
    w.press(u"a6");
    QVERIFY(area->isFlashing());
    QTRY_VERIFY(!area->isFlashing());
    QCOMPARE_GE(sinceSecond.elapsed(), HitAreaItem::FlashMs);
}

void TestKeypad::touch_data()
{
    QTest::addColumn<QPoint>("liftOffset");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("tap") << QPoint(0, 0) << QStringList {"a6"};
    QTest::newRow("finger moves within the sign") << QPoint(5, 5) << QStringList {"a6"};
    QTest::newRow("finger slides off") << QPoint(0, 100) << QStringList {};
}

void TestKeypad::touch()
{
    QFETCH(QPoint, liftOffset);
    QFETCH(QStringList, sent);

    KeypadFixture w;
    // Touch points are routed by their place on the screen: the window must lie within the
    // test platform's 800 × 600 screen.
    w->resize(760, 540);
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    static QPointingDevice *screen = QTest::createTouchDevice();
    const QPoint start = w.centreOf(u"a6");
    QTest::touchEvent(w->viewport(), screen).press(0, start);
    if (!liftOffset.isNull())
        QTest::touchEvent(w->viewport(), screen).move(0, start + liftOffset);
    QTest::touchEvent(w->viewport(), screen).release(0, start + liftOffset);
    w->session()->kataxorisi(QStringLiteral("n5"));
    QTRY_COMPARE(w.server.lines(), sent + QStringList {"n5"});
}

QTEST_MAIN(TestKeypad)
#include "tst_keypad.moc"
