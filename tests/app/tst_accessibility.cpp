// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandchannel.h"
#include "controlnames.h"
#include "hitareaitem.h"
#include "layout.h"
#include "messages.h"
#include "scriptedserver.h"
#include "signtable.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QGraphicsScene>
#include <QSet>
#include <QTest>
#include <functional>

namespace {

using Layout::Kind;
using Layout::Row;

constexpr QSize WindowSize(1280, 800);

bool isControl(const Row &row)
{
    switch (row.kind) {
    case Kind::SpeedButton:
    case Kind::CornerButton:
    case Kind::CheckBox:
    case Kind::Button:
        return true;
    default:
        return false;
    }
}

bool isHitArea(const Row &row)
{
    return (row.kind == Kind::SpeedButton || row.kind == Kind::Button)
        && row.style == Layout::Style::TransparentCircle;
}

// Where a control is drawn in a window of WindowSize, worked out from the tables alone: each
// container's place and scale, then the screen's scale to the window, about the screen's
// corner or, for a centred screen, about the window's middle.
QRectF drawnAt(const Row &row)
{
    QRectF area(row.rect.topLeft(),
        QSizeF(row.rect.width() * row.scale.x(), row.rect.height() * row.scale.y()));
    const Row *container = Layout::find(QString::fromLatin1(row.parent));
    for (; container->parent; container = Layout::find(QString::fromLatin1(container->parent))) {
        const QPointF scale = container->scale;
        area = QRectF(container->rect.x() + area.x() * scale.x(),
            container->rect.y() + area.y() * scale.y(), area.width() * scale.x(),
            area.height() * scale.y());
    }
    const qreal sx = qreal(WindowSize.width()) / 1024;
    const qreal sy = qreal(WindowSize.height()) / 720;
    const QPointF origin = container->centred
        ? QPointF((WindowSize.width() - container->rect.width() * sx) / 2,
            (WindowSize.height() - container->rect.height() * sy) / 2)
        : container->rect.topLeft();
    return {origin.x() + area.x() * sx, origin.y() + area.y() * sy, area.width() * sx,
        area.height() * sy};
}

bool closeTo(const QRect &actual, const QRectF &expected)
{
    constexpr qreal slack = 2;
    return qAbs(actual.left() - expected.left()) <= slack
        && qAbs(actual.top() - expected.top()) <= slack
        && qAbs(actual.right() + 1 - expected.right()) <= slack
        && qAbs(actual.bottom() + 1 - expected.bottom()) <= slack;
}

QAccessibleInterface *windowInterface(const WindowFixture &w)
{
    return QAccessible::queryAccessibleInterface(w.window.get());
}

// The window's child of that name, found as assistive technology finds it.
QAccessibleInterface *childNamed(const WindowFixture &w, QStringView name)
{
    QAccessibleInterface *window = windowInterface(w);
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface *child = window->child(i);
        if (child->object() && child->object()->objectName() == name)
            return child;
    }
    return nullptr;
}

// The pairs by their own flags: the main screen may be hidden behind another.
QString pairFlags(const WindowFixture &w)
{
    return pairState([&w](const char *panel) {
        return w->item(QString::fromLatin1(panel))->isVisibleTo(w->Panel1);
    });
}

// "ObjectShow b7", "StateChanged enallagianavasi" and so on.
QString describe(QAccessibleEvent *event)
{
    const QString name = event->object() ? event->object()->objectName() : QString();
    const QString type
        = QString::fromLatin1(QMetaEnum::fromType<QAccessible::Event>().valueToKey(event->type()));
    return name.isEmpty() ? type : type + u' ' + name;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void tree_data();
    void tree();
    void hiddenAreasSayHidden();
    void applicationListsOnlyWindows();
    void pressAction_data();
    void pressAction();
    void actionsThatDoNothing_data();
    void actionsThatDoNothing();
    void events_data();
    void events();
    void statusTileDescribesConnection();
    void keyboard_data();
    void keyboard();
    void keyboardFollowsScreenChange();
    void focusRingIsDrawn();
    void heldKeyPressesOnce_data();
    void heldKeyPressesOnce();
    void settingsScreenKeyboard();
    void pressesUnderAnOpenBoxAreDropped_data();
    void pressesUnderAnOpenBoxAreDropped();
};

void TestAccessibility::tree_data()
{
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("state"); // of the seven pairs
    QTest::addColumn<QStringList>("first"); // the first children, in reading order

    const QStringList allToggles = {"enallagikatavasi", "enallagianavasi", "CornerButton1",
        "enallagiIson", "enallagifthores", "enallagixronikiagogi", "enallagiMartyries"};

    QTest::newRow("main screen at start")
        << QStringList {} << "Panel1"
        << "1111111"
        << QStringList {"rythmiseisshow", "SpeedButton15", "con_SpeedButton", "off",
               "enallagixronikiagogi", "x8"};
    QTest::newRow("main screen, every alternate")
        << allToggles << "Panel1"
        << "2222222"
        << QStringList {"rythmiseisshow", "SpeedButton15", "con_SpeedButton", "off",
               "enallagixronikiagogi", "x1"};
    QTest::newRow("main screen, martyria signs")
        << QStringList {"enallagiMartyries"} << "Panel1"
        << "1111112" << QStringList {"rythmiseisshow", "SpeedButton15"};
    QTest::newRow("martyria chart") << QStringList {"martyriesshow"} << "Panel2"
                                    << "1111111" << QStringList {"Button1", "ark1", "ark2"};
    QTest::newRow("martyria chart over alternates")
        << QStringList {"enallagianavasi", "martyriesshow"} << "Panel2"
        << "1211111" << QStringList {"Button1", "ark1"};
    QTest::newRow("various-signs chart") << QStringList {"diaforashow"} << "Panel3"
                                         << "1111111" << QStringList {"Button2", "en1", "en2"};
    QTest::newRow("move pad") << QStringList {"move_client"} << "Panel4"
                              << "1111111" << QStringList {"moveL", "moveR", "SpeedButton7"};
    QTest::newRow("settings screen") << QStringList {"rythmiseisshow"} << "Panel5"
                                     << "1111111" << QStringList {"ConnectDisconnect", "Button4"};
}

// Every control on view is offered once, named, placed and in the state the tables and the
// screen say; nothing hidden is offered.
void TestAccessibility::tree()
{
    QFETCH(QStringList, presses);
    QFETCH(QString, screen);
    QFETCH(QStringList, first);

    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    for (const QString &name : presses)
        w.press(name);
    QVERIFY(w->item(screen)->isVisible());
    QTEST(pairFlags(w), "state");

    QAccessibleInterface *window = windowInterface(w);
    QCOMPARE(window->role(), QAccessible::Window);
    QStringList offered;
    QSet<QString> names;
    const QPoint origin = w->viewport()->mapToGlobal(QPoint(0, 0));
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface *child = window->child(i);
        QVERIFY(child && child->object());
        const QString name = child->object()->objectName();
        offered << name;
        QCOMPARE(child->parent(), window);
        QCOMPARE(window->indexOfChild(child), i);

        const Row *row = Layout::find(name);
        QVERIFY2(row && isControl(*row), qPrintable(name));
        const QString spoken = child->text(QAccessible::Name);
        if (const SignTable::Row *sign = SignTable::find(name))
            QCOMPARE(spoken, SignTable::displayName(*sign));
        QVERIFY2(!spoken.isEmpty() && spoken != u"......", qPrintable(name));
        // A label of the martyria chart may show a sign that is pressed elsewhere on it.
        const bool inert = isHitArea(*row) && row->handler == Layout::Handler::None;
        if (!inert) {
            QVERIFY2(
                !names.contains(spoken), qPrintable(name + " is named like another: " + spoken));
            names.insert(spoken);
        }

        const QAccessible::Role role = row->kind == Kind::CheckBox ? QAccessible::CheckBox
            : inert                                                ? QAccessible::StaticText
                                                                   : QAccessible::Button;
        QCOMPARE(child->role(), role);
        const QAccessible::State state = child->state();
        QVERIFY2(!state.invisible, qPrintable(name));
        QCOMPARE(bool(state.focusable), !inert);
        QVERIFY2(closeTo(child->rect().translated(-origin), drawnAt(*row)),
            qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                           .arg(name)
                           .arg(child->rect().x() - origin.x())
                           .arg(child->rect().y() - origin.y())
                           .arg(child->rect().width())
                           .arg(child->rect().height())));
        if (const std::optional<bool> alternate = w->alternateShown(name)) {
            QVERIFY(state.checkable);
            QCOMPARE(bool(state.checked), *alternate);
        }
    }

    QStringList expected;
    for (const Row &row : Layout::rows()) {
        if (isControl(row) && w->item(QString::fromLatin1(row.name))->isVisible())
            expected << QString::fromLatin1(row.name);
    }
    QCOMPARE(offered.size(), QSet<QString>(offered.cbegin(), offered.cend()).size());
    QStringList sortedOffered = offered;
    sortedOffered.sort();
    expected.sort();
    QCOMPARE(sortedOffered, expected);
    QCOMPARE(offered.mid(0, first.size()), first);
}

void TestAccessibility::hiddenAreasSayHidden()
{
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    for (const char *name : {"e12", "b7", "ark1", "moveL", "x1"}) {
        QAccessibleInterface *area
            = QAccessible::queryAccessibleInterface(w->component(QString::fromLatin1(name)));
        QVERIFY(area);
        QVERIFY2(area->state().invisible, name);
        QVERIFY2(area->actionInterface()->actionNames().isEmpty(), name);
    }
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(w->component(u"Button1"));
    QVERIFY(button->state().invisible);
}

// The buttons drawn in the scene are the toolkit's windows too; they belong under the
// keypad's window, not beside it.
void TestAccessibility::applicationListsOnlyWindows()
{
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    QAccessibleInterface *application = QAccessible::queryAccessibleInterface(qApp);
    QStringList buttons;
    bool windowListed = false;
    for (int i = 0; i < application->childCount(); ++i) {
        QObject *object = application->child(i)->object();
        windowListed = windowListed || object == w.window.get();
        if (qobject_cast<QAbstractButton *>(object))
            buttons << object->objectName();
    }
    QVERIFY(windowListed);
    QCOMPARE(buttons, QStringList {});
    QCOMPARE(windowInterface(w)->parent(), application);
}

void TestAccessibility::pressAction_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("presses"); // taps before the action
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("lines"); // received by the server, the taps' included
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("flashes");

    QTest::newRow("a6 resets the pairs")
        << true << QStringList {"enallagikatavasi", "enallagifthores"} << "a6" << QStringList {"a6"}
        << "1111111" << true;
    QTest::newRow("e12 on the descent alternate hides it again")
        << true << QStringList {"enallagikatavasi"} << "e12" << QStringList {"e12"} << "1111111"
        << true;
    QTest::newRow("m2 brings up the martyria signs")
        << true << QStringList {} << "m2" << QStringList {"m2"} << "1111122" << true;
    QTest::newRow("ft5 keeps the phthorae") << true << QStringList {"enallagifthores"} << "ft5"
                                            << QStringList {"ft5"} << "1111211" << true;
    QTest::newRow("a command tile") << true << QStringList {"enallagianavasi"} << "SpeedButton35"
                                    << QStringList {"SpeedButton35"} << "1111111" << true;
    QTest::newRow("ark9 on the martyria chart resets nothing")
        << true << QStringList {"enallagianavasi", "martyriesshow"} << "ark9"
        << QStringList {"ark9"} << "1211111" << true;
    QTest::newRow("moveL sends the left-arrow tile's line")
        << true << QStringList {"move_client"} << "moveL"
        << QStringList {"move_client", "SpeedButton25"} << "1111111" << true;
    QTest::newRow("a toggle sends nothing")
        << true << QStringList {} << "enallagianavasi" << QStringList {} << "1211111" << false;
    QTest::newRow("the check box sends its name")
        << true << QStringList {"enallagiIson"} << "CheckBox1" << QStringList {"CheckBox1"}
        << "1111111" << false;
    QTest::newRow("a6 without a connection says so")
        << false << QStringList {"enallagikatavasi"} << "a6" << QStringList {"a6"} << "1111111"
        << false;
}

// The press action runs what a tap runs: the line, the rule, the flash, the messages.
void TestAccessibility::pressAction()
{
    QFETCH(bool, connected);
    QFETCH(QStringList, presses);
    QFETCH(QString, control);
    QFETCH(QStringList, lines);
    QFETCH(QString, state);

    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    if (connected)
        QVERIFY(w.connectTo(server.port()));
    for (const QString &name : presses)
        w.press(name);

    QAccessibleInterface *target = childNamed(w, control);
    QVERIFY(target);
    QAccessibleActionInterface *actions = target->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());

    // The action is carried out once the caller has its answer.
    if (!connected)
        QTRY_COMPARE(w.messages, QStringList(lines.size(), Messages::noConnection()));
    else if (!lines.isEmpty())
        QTRY_COMPARE(server.lines(), lines);
    else
        QTRY_COMPARE(pairFlags(w), state);
    QCOMPARE(pairFlags(w), state);
    if (auto *area = qobject_cast<HitAreaItem *>(w->component(control)))
        QTEST(area->isFlashing(), "flashes");
    if (auto *box = qobject_cast<QCheckBox *>(w->component(control)))
        QVERIFY(box->isChecked());
    if (connected) {
        QVERIFY(w.messages.isEmpty());
        w->session()->kataxorisi(QStringLiteral("n5")); // every line before this one has arrived
        QTRY_COMPARE(server.lines(), lines + QStringList {"n5"});
    } else {
        QCOMPARE(server.connections(), 0);
    }
}

void TestAccessibility::actionsThatDoNothing_data()
{
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QString>("control");

    QTest::newRow("an inert label of the martyria chart") << QStringList {"martyriesshow"} << "mh1";
    QTest::newRow("a sign of a hidden alternate") << QStringList {} << "e12";
    QTest::newRow("a sign of a hidden screen") << QStringList {} << "ark9";
}

void TestAccessibility::actionsThatDoNothing()
{
    QFETCH(QStringList, presses);
    QFETCH(QString, control);

    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    QVERIFY(w.connectTo(server.port()));
    for (const QString &name : presses)
        w.press(name);
    QAccessibleInterface *target = QAccessible::queryAccessibleInterface(w->component(control));
    QVERIFY(target->actionInterface()->actionNames().isEmpty());
    const QString before = pairFlags(w);
    target->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();

    w->session()->kataxorisi(QStringLiteral("n5")); // every line before this one has arrived
    QTRY_COMPARE(server.lines(), QStringList {"n5"});
    QCOMPARE(pairFlags(w), before);
}

void TestAccessibility::events_data()
{
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QStringList>("sent"); // among the events
    QTest::addColumn<QStringList>("notSent");

    QTest::newRow("a toggle swaps its pair")
        << QStringList {"enallagianavasi"}
        << QStringList {"ObjectHide a1", "ObjectShow b7", "ObjectReorder",
               "StateChanged enallagianavasi"}
        << QStringList {"ObjectHide c4", "StateChanged enallagikatavasi"};
    QTest::newRow("a sign puts the pairs back")
        << QStringList {"enallagianavasi", "enallagikatavasi", "e1"}
        << QStringList {"ObjectShow a1", "ObjectHide b7", "ObjectShow c4", "ObjectHide e12",
               "StateChanged enallagianavasi", "StateChanged enallagikatavasi"}
        << QStringList {"StateChanged CornerButton1"};
    QTest::newRow("a sign at rest changes no screen")
        << QStringList {"a6"} << QStringList {} << QStringList {"ObjectReorder"};
    QTest::newRow("a chart replaces the main screen")
        << QStringList {"martyriesshow"}
        << QStringList {"ObjectHide a6", "ObjectHide enallagiIson", "ObjectShow ark1",
               "ObjectShow Button1", "ObjectReorder"}
        << QStringList {"ObjectShow en1"};
    QTest::newRow("the move pad and back")
        << QStringList {"move_client", "Button3"}
        << QStringList {"ObjectShow moveL", "ObjectHide moveL", "ObjectShow a6"} << QStringList {};
}

void TestAccessibility::events()
{
    QFETCH(QStringList, presses);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, notSent);

    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    QVERIFY(w.connectTo(server.port()));
    QStringList events;
    w->accessibility()->setEventFunction(
        [&events](QAccessibleEvent *event) { events << describe(event); });
    for (const QString &name : presses) {
        w.press(name);
        QCoreApplication::processEvents();
    }
    for (const QString &event : sent)
        QVERIFY2(events.contains(event), qPrintable(event));
    for (const QString &event : notSent)
        QVERIFY2(!events.contains(event), qPrintable(event));
}

void TestAccessibility::statusTileDescribesConnection()
{
    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    QStringList events;
    w->accessibility()->setEventFunction(
        [&events](QAccessibleEvent *event) { events << describe(event); });
    QAccessibleInterface *tile = childNamed(w, u"con_SpeedButton");
    QCOMPARE(tile->text(QAccessible::Description), ControlNames::connectionDescription(false));

    QVERIFY(w.connectTo(server.port()));
    QVERIFY(w.showsConnectedPicture());
    QCOMPARE(tile->text(QAccessible::Description), ControlNames::connectionDescription(true));
    QCOMPARE(events, QStringList {"DescriptionChanged con_SpeedButton"});

    w->session()->ConnectDisconnectClick({});
    QVERIFY(w.showsNotConnectedPicture());
    QCOMPARE(tile->text(QAccessible::Description), ControlNames::connectionDescription(false));
    QCOMPARE(events.count(QStringLiteral("DescriptionChanged con_SpeedButton")), 2);
    QVERIFY(
        ControlNames::connectionDescription(true) != ControlNames::connectionDescription(false));
}

void TestAccessibility::keyboard_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("focused"); // the control the keyboard is on afterwards
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("state");

    using Keys = QList<int>;
    QTest::newRow("Tab starts at the first control")
        << Keys {Qt::Key_Tab} << "rythmiseisshow" << QStringList {} << "1111111";
    QTest::newRow("Shift+Tab starts at the last")
        << Keys {Qt::Key_Backtab} << "b4" << QStringList {} << "1111111";
    QTest::newRow("the arrows go along the line")
        << Keys {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left}
        << "con_SpeedButton" << QStringList {} << "1111111";
    QTest::newRow("Left from the first wraps round")
        << Keys {Qt::Key_Tab, Qt::Key_Left} << "b4" << QStringList {} << "1111111";
    QTest::newRow("Space presses a sign")
        << Keys {Qt::Key_Backtab, Qt::Key_Space} << "b4" << QStringList {"b4"} << "1111111";
    QTest::newRow("Enter presses a sign")
        << Keys {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Return} << "SpeedButton15"
        << QStringList {"SpeedButton15"} << "1111111";
    QTest::newRow("Tab reaches a toggle, Space swaps its pair")
        << Keys {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space}
        << "enallagixronikiagogi" << QStringList {} << "1111121";
    QTest::newRow("Enter on a toggle swaps its pair")
        << Keys {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}
        << "enallagixronikiagogi" << QStringList {} << "1111121";
    QTest::newRow("from a toggle to the sign after it") << Keys {Qt::Key_Tab, Qt::Key_Tab,
        Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Space}
                                                        << "x8" << QStringList {"x8"} << "1111111";
}

void TestAccessibility::keyboard()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, focused);
    QFETCH(QStringList, lines);

    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    QVERIFY(w.connectTo(server.port()));
    for (const int key : keys)
        QTest::keyClick(w->viewport(), Qt::Key(key));

    HitAreaItem *area = w->keyboardArea();
    QGraphicsItem *focusedItem = area ? area : w->scene()->focusItem();
    QVERIFY(focusedItem && focusedItem->toGraphicsObject());
    QCOMPARE(focusedItem->toGraphicsObject()->objectName(), focused);
    if (area) {
        QVERIFY(area->hasKeyboardFocus());
        QVERIFY(childNamed(w, focused)->state().focused);
        QCOMPARE(windowInterface(w)->focusChild(), childNamed(w, focused));
    }
    w->session()->kataxorisi(QStringLiteral("n5")); // every line before this one has arrived
    QTRY_COMPARE(server.lines(), lines + QStringList {"n5"});
    QTEST(pairFlags(w), "state");
}

// Pressing a tile that opens a screen takes the keyboard to that screen; coming back, it is
// on the main screen again.
void TestAccessibility::keyboardFollowsScreenChange()
{
    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    QVERIFY(w.connectTo(server.port()));

    QStringList events;
    w->accessibility()->setEventFunction(
        [&events](QAccessibleEvent *event) { events << describe(event); });
    QTest::keyClick(w->viewport(), Qt::Key_Tab);
    QTest::keyClick(w->viewport(), Qt::Key_Down); // SpeedButton15
    QTest::keyClick(w->viewport(), Qt::Key_Down); // con_SpeedButton
    QTest::keyClick(w->viewport(), Qt::Key_Down); // off
    QTest::keyClick(w->viewport(), Qt::Key_Down); // enallagixronikiagogi
    QTest::keyClick(w->viewport(), Qt::Key_Down); // x8
    QCOMPARE(w->keyboardArea()->objectName(), QStringLiteral("x8"));
    QVERIFY(events.contains(QStringLiteral("Focus x8")));

    w.press(u"martyriesshow");
    QTRY_VERIFY(w->keyboardArea() && w->keyboardArea()->isVisible());
    QVERIFY(w->Panel2->isAncestorOf(w->keyboardArea()));
    QVERIFY(events.contains(QStringLiteral("Focus ") + w->keyboardArea()->objectName()));

    QTest::keyClick(w->viewport(), Qt::Key_Space);
    const QString sent = w->keyboardArea()->objectName();
    QTRY_COMPARE(server.lines(), QStringList {sent});
    QVERIFY(w->Panel2->isVisible());
}

void TestAccessibility::focusRingIsDrawn()
{
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    const QRect place = w->item(u"rythmiseisshow")->sceneBoundingRect().toAlignedRect();
    const QImage before = w->viewport()->grab(place).toImage();

    QTest::keyClick(w->viewport(), Qt::Key_Tab);
    QCOMPARE(w->keyboardArea()->objectName(), QStringLiteral("rythmiseisshow"));
    const QImage focused = w->viewport()->grab(place).toImage();
    QVERIFY(focused != before);

    QTest::keyClick(w->viewport(), Qt::Key_Tab);
    QCOMPARE(w->viewport()->grab(place).toImage(), before);
}

// A key held down, as platforms send it: each press and release at a time in milliseconds;
// a negative time is a release. Some mark their repeats, X11 often does not: a repeat there is
// a release and a press at the same moment.
struct KeyStroke
{
    int at;
    bool autoRepeat = false;
};
using KeyStrokes = QList<KeyStroke>;
Q_DECLARE_METATYPE(KeyStrokes)

void TestAccessibility::heldKeyPressesOnce_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<KeyStrokes>("strokes");
    QTest::addColumn<int>("presses");

    const KeyStrokes marked {{100}, {600, true}, {633, true}, {666, true}, {-700}};
    const KeyStrokes unmarked {{100}, {-600}, {600}, {-633}, {633}, {-666}, {666}, {-700}};
    const KeyStrokes pressesOnly {{100}, {600}, {633}, {666}, {-700}};
    const KeyStrokes twoTaps {{100}, {-180}, {300}, {-380}};
    for (const auto &[key, name] :
        {std::pair {int(Qt::Key_Space), "Space"}, std::pair {int(Qt::Key_Return), "Return"}}) {
        QTest::addRow("%s held, repeats marked", name) << key << marked << 1;
        QTest::addRow("%s held, repeats unmarked", name) << key << unmarked << 1;
        QTest::addRow("%s held, presses without releases", name) << key << pressesOnly << 1;
        QTest::addRow("%s tapped twice", name) << key << twoTaps << 2;
    }
}

void TestAccessibility::heldKeyPressesOnce()
{
    QFETCH(int, key);
    QFETCH(KeyStrokes, strokes);
    QFETCH(int, presses);

    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    QVERIFY(w.connectTo(server.port()));
    QTest::keyClick(w->viewport(), Qt::Key_Backtab); // on b4
    QCOMPARE(w->keyboardArea()->objectName(), u"b4"_qs);

    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r");
    for (const KeyStroke &stroke : strokes) {
        const bool release = stroke.at < 0;
        QKeyEvent event(release ? QEvent::KeyRelease : QEvent::KeyPress, key, Qt::NoModifier, text,
            stroke.autoRepeat);
        event.setTimestamp(ulong(qAbs(stroke.at)));
        QApplication::sendEvent(w->viewport(), &event);
    }
    w->session()->kataxorisi(QStringLiteral("n5")); // every line before this one has arrived
    QTRY_COMPARE(server.lines(), QStringList(presses, QStringLiteral("b4")) + QStringList {"n5"});
}

// The settings screen has no hit areas: Tab goes over its fields in their own order and comes
// round again, Return presses the button it is on.
void TestAccessibility::settingsScreenKeyboard()
{
    ScriptedServer server;
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w->Edit2->setText(QStringLiteral("127.0.0.1"));
    w->Edit3->setText(QString::number(server.port()));
    w.press(u"rythmiseisshow");
    QVERIFY(w->Panel5->isVisible());
    QTRY_VERIFY(w->keyboardArea() == nullptr);

    const auto focused = [&w] {
        QGraphicsItem *focus = w->scene()->focusItem();
        return focus && focus->toGraphicsObject() ? focus->toGraphicsObject()->objectName()
                                                  : QString();
    };
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(w->viewport(), Qt::Key_Tab);
        order << focused();
    }
    QCOMPARE(
        order, (QStringList {"Memo1", "Edit3", "Edit2", "ConnectDisconnect", "Button4", "Memo1"}));
    QTest::keyClick(w->viewport(), Qt::Key_Backtab);
    QCOMPARE(focused(), u"Button4"_qs);

    QTest::keyClick(w->viewport(), Qt::Key_Backtab);
    QCOMPARE(focused(), u"ConnectDisconnect"_qs);
    QTest::keyClick(w->viewport(), Qt::Key_Return);
    QVERIFY(w->session()->isConnected());
    QVERIFY(w.messages.isEmpty());

    QTest::keyClick(w->viewport(), Qt::Key_Tab);
    QCOMPARE(focused(), u"Button4"_qs);
    QTest::keyClick(w->viewport(), Qt::Key_Return);
    QVERIFY(w->Panel1->isVisible());
    QVERIFY(!w->Panel5->isVisible());
}

// Whatever it comes from, a press that arrives while a message box is open is dropped: it
// would run inside the box, send under it and stack another box on it.
using Input = std::function<void(WindowFixture &)>;
Q_DECLARE_METATYPE(Input)

void TestAccessibility::pressesUnderAnOpenBoxAreDropped_data()
{
    QTest::addColumn<Input>("input");

    const auto accessiblePress = [](WindowFixture &w, QStringView name) {
        childNamed(w, name)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };
    QTest::newRow("screen reader on a sign")
        << Input([=](WindowFixture &w) { accessiblePress(w, u"a7"); });
    QTest::newRow("screen reader on the check box")
        << Input([=](WindowFixture &w) { accessiblePress(w, u"CheckBox1"); });
    QTest::newRow("mouse on a sign") << Input([](WindowFixture &w) { w.press(u"a8"); });
    QTest::newRow("keyboard on a sign") << Input([](WindowFixture &w) {
        QTest::keyClick(w->viewport(), Qt::Key_Backtab);
        QTest::keyClick(w->viewport(), Qt::Key_Space);
    });
}

void TestAccessibility::pressesUnderAnOpenBoxAreDropped()
{
    QFETCH(Input, input);

    ScriptedServer server;
    server.setReply(0, "refused\r\n");
    WindowFixture w;
    QVERIFY(w.showAt(WindowSize));
    QVERIFY(w.connectTo(server.port()));
    int boxes = 0;
    w->messageBoxes()->setMessageFunction([&](const QString &) {
        ++boxes;
        // The box's own event loop runs what comes while it is open.
        input(w);
        QTest::qWait(250);
    });

    w.press(u"a6");
    QCOMPARE(boxes, 1);
    QCOMPARE(server.lines(), QStringList {"a6"});
    QCOMPARE(pairFlags(w), u"1111111"_qs);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
