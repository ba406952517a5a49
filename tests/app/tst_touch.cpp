// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandchannel.h"
#include "hitareaitem.h"
#include "messages.h"
#include "scriptedserver.h"
#include "windowfixture.h"

#include <QGraphicsScene>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointingDevice>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <memory>

namespace {
constexpr int FirstTouchId = 10;

// Touch points are found by their place on the screen: the window must lie within it.
bool showOnScreen(const WindowFixture &w)
{
    return w.showAt(QGuiApplication::primaryScreen()->availableGeometry().size());
}

QStringList pressedAreas(const TMainClient &window)
{
    QStringList pressed;
    for (QGraphicsItem *item : window.scene()->items()) {
        if (auto *area = qobject_cast<HitAreaItem *>(item->toGraphicsObject());
            area && area->isPressed())
            pressed << area->objectName();
    }
    pressed.sort();
    return pressed;
}

} // namespace

class TestTouch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fingers_data();
    void fingers();
    void pressedLookPerFinger();

private:
    QPointingDevice *m_screen = nullptr;
};

void TestTouch::initTestCase()
{
    m_screen = QTest::createTouchDevice();
}

// The device is the test's: nothing else deletes it.
void TestTouch::cleanupTestCase()
{
    delete m_screen;
}

// Each step is one touch event; its actions, separated by ";", are "pN NAME" (finger N lands on
// the control NAME), "mN NAME" (moves there), "mN off" (slides off whatever it is on),
// "rN" (lifts) and "cancel" (the system takes the touch away).
void TestTouch::fingers_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("lines"); // received by the server, in order
    QTest::addColumn<QString>("state"); // of the seven pairs afterwards
    QTest::addColumn<int>("messages");

    QTest::newRow("two fingers, lifted in the order they landed")
        << true << QStringList {"p0 a6", "p1 a7", "r0", "r1"} << QStringList {"a6", "a7"}
        << "1111111" << 0;
    QTest::newRow("two fingers, lifted the other way round")
        << true << QStringList {"p0 a6", "p1 a7", "r1", "r0"} << QStringList {"a7", "a6"}
        << "1111111" << 0;
    QTest::newRow("two fingers lifted together") << true << QStringList {"p0 a6", "p1 a7", "r0;r1"}
                                                 << QStringList {"a6", "a7"} << "1111111" << 0;
    QTest::newRow("three fingers")
        << true << QStringList {"p0 a6", "p1 a7", "p2 e1", "r1", "r2", "r0"}
        << QStringList {"a7", "e1", "a6"} << "1111111" << 0;
    QTest::newRow("a finger slides off")
        << true << QStringList {"p0 a6", "m0 off", "r0"} << QStringList {} << "1111111" << 0;
    QTest::newRow("a finger slides off and back")
        << true << QStringList {"p0 a6", "m0 off", "m0 a6", "r0"} << QStringList {"a6"} << "1111111"
        << 0;
    // The toggle is a widget: its finger stands in for the mouse while the other taps a sign.
    QTest::newRow("a sign and a toggle")
        << true << QStringList {"p0 a6", "p1 enallagikatavasi", "r0", "r1"} << QStringList {"a6"}
        << "2111111" << 0;
    QTest::newRow("cancelled") << true << QStringList {"p0 a6", "p1 a7", "cancel"} << QStringList {}
                               << "1111111" << 0;
    // a6's rule brings the descent primary back, which hides e12 under the other finger.
    QTest::newRow("a sign hidden before its finger lifts")
        << true << QStringList {"p0 enallagikatavasi", "r0", "p0 e12", "p1 a6", "r1", "r0"}
        << QStringList {"a6"} << "1111111" << 0;
    // The first tap's message stops the others: they are dropped, not sent after it.
    QTest::newRow("a message drops the other fingers' taps")
        << false << QStringList {"p0 a6", "p1 a7", "p2 a8", "r0", "r1", "r2"} << QStringList {}
        << "1111111" << 1;
}

void TestTouch::fingers()
{
    QFETCH(bool, connected);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, lines);
    QFETCH(int, messages);

    ScriptedServer server;
    WindowFixture w;
    QVERIFY(showOnScreen(w));
    if (connected)
        QVERIFY(w.connectTo(server.port()));

    QHash<int, QPoint> at; // where each finger is
    auto sequence = QTest::touchEvent(w->viewport(), m_screen, false);
    for (const QString &step : steps) {
        if (step == u"cancel") {
            QTouchEvent cancel(QEvent::TouchCancel, m_screen);
            QCoreApplication::sendEvent(w->viewport(), &cancel);
            continue;
        }
        QSet<int> moved;
        for (const QString &action : step.split(u';')) {
            const int finger = FirstTouchId + action.mid(1, 1).toInt();
            moved.insert(finger);
            const QString target = action.section(u' ', 1);
            if (action.startsWith(u'p')) {
                at[finger] = w.centreOf(target);
                sequence.press(finger, at[finger], w->viewport());
            } else if (action.startsWith(u'm')) {
                // Off: well beyond the edge of the sign the finger is on.
                at[finger] = target == u"off" ? at[finger] + QPoint(0, 120) : w.centreOf(target);
                sequence.move(finger, at[finger], w->viewport());
            } else {
                sequence.release(finger, at[finger], w->viewport());
            }
        }
        // The fingers that stay where they are belong to the event too.
        for (auto it = at.cbegin(); it != at.cend(); ++it) {
            if (!moved.contains(it.key()))
                sequence.stationary(it.key());
        }
        QVERIFY(sequence.commit());
        for (const QString &action : step.split(u';')) {
            if (action.startsWith(u'r'))
                at.remove(FirstTouchId + action.mid(1, 1).toInt());
        }
    }

    if (connected) {
        w->session()->kataxorisi(QStringLiteral("n5")); // every line before this one has arrived
        QTRY_COMPARE(server.lines(), lines + QStringList {"n5"});
    } else {
        QCOMPARE(server.connections(), 0);
    }
    QTEST(w.pairState(), "state");
    QCOMPARE(w.messages.size(), messages);
    QCOMPARE(pressedAreas(*w.window), QStringList());
}

// Each finger's sign shows pressed while that finger is down, whatever the others do.
void TestTouch::pressedLookPerFinger()
{
    ScriptedServer server;
    WindowFixture w;
    QVERIFY(showOnScreen(w));
    QVERIFY(w.connectTo(server.port()));
    const QPoint a6 = w.centreOf(u"a6");
    const QPoint a7 = w.centreOf(u"a7");

    QTest::touchEvent(w->viewport(), m_screen).press(FirstTouchId, a6, w->viewport());
    QTest::touchEvent(w->viewport(), m_screen)
        .stationary(FirstTouchId)
        .press(FirstTouchId + 1, a7, w->viewport());
    QCOMPARE(pressedAreas(*w.window), (QStringList {"a6", "a7"}));
    QTest::touchEvent(w->viewport(), m_screen)
        .release(FirstTouchId, a6, w->viewport())
        .stationary(FirstTouchId + 1);
    QCOMPARE(pressedAreas(*w.window), QStringList {"a7"});
    QTest::touchEvent(w->viewport(), m_screen).release(FirstTouchId + 1, a7, w->viewport());
    QCOMPARE(pressedAreas(*w.window), QStringList());
}

QTEST_MAIN(TestTouch)
#include "tst_touch.moc"
