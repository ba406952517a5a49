// SPDX-License-Identifier: GPL-3.0-or-later

#include "hitareaitem.h"
#include "layout.h"
#include "logmemo.h"
#include "panelitem.h"
#include "windowfixture.h"
#include "zpapplication.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

// Fails its close as the settings save does when the port field holds no number.
class ClosingWindow : public TMainClient
{
public:
    explicit ClosingWindow(const TestEnvironment &env)
        : TMainClient(env.options())
    { }

    int closes = 0;
    QString failWith;

protected:
    SettingsFile::SaveResult FormClose(QObject *Sender) override
    {
        ++closes;
        const SettingsFile::SaveResult saved = TMainClient::FormClose(Sender);
        if (!failWith.isEmpty())
            throw std::runtime_error(failWith.toStdString());
        // A second request while this one runs must not start another close.
        close();
        return saved;
    }
};

class Thrower : public QObject
{
public:
    std::string message;
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error(message);
        return QObject::event(event);
    }
};

QStringList visibleScreens(const TMainClient &window)
{
    QStringList names;
    for (int i = 1; i <= 5; ++i) {
        if (window.screenPanel(i)->isVisible())
            names << window.screenPanel(i)->objectName();
    }
    return names;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsOnMainScreen();
    void components_data();
    void components();
    void scaling_data();
    void scaling();
    void controlsKeepTheirDesignSize_data();
    void controlsKeepTheirDesignSize();
    void programIconIsBuiltIn();
    void pressTargetMatchesScene_data();
    void pressTargetMatchesScene();
    void hiddenLogTakesLinesWhenShown();
    void navigation_data();
    void navigation();
    void returnLeavesMovePad();
    void tabReachesConnectDisconnect();
    void escapedError_data();
    void escapedError();
    void closePath();
    void failingCloseKeepsWindow();
};

void TestMainWindow::startsOnMainScreen()
{
    WindowFixture w;
    QCOMPARE(visibleScreens(*w.window), QStringList {"Panel1"});
    QCOMPARE(w->windowTitle(), QStringLiteral("ZP Client V 2.12"));
    QVERIFY(w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 2000);
    QVERIFY(w.showsNotConnectedPicture());
    QCOMPARE(MainClient, w.window.get());
}

void TestMainWindow::components_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("visible");

    QTest::newRow("Edit3") << "Edit3"
                           << "6000" << true;
    QTest::newRow("Edit2") << "Edit2"
                           << "127.0.0.1" << true;
    QTest::newRow("Edit1") << "Edit1"
                           << "" << false;
    QTest::newRow("ButtonSendString") << "ButtonSendString"
                                      << "send" << false;
    QTest::newRow("Button4") << "Button4" << QString::fromUtf8("Επιστροφή") << true;
    QTest::newRow("Label1") << "Label1"
                            << "ok" << false;
    QTest::newRow("ConnectDisconnect") << "ConnectDisconnect"
                                       << "Connect Disconnect" << true;
    QTest::newRow("Memo1") << "Memo1"
                           << "" << true;
}

void TestMainWindow::components()
{
    QFETCH(QString, name);
    WindowFixture w;
    QObject *component = w->component(name);
    QVERIFY(component);
    QCOMPARE(component->objectName(), name);
    const QByteArray property = name == u"Memo1" ? "plainText" : "text";
    QTEST(component->property(property).toString(), "text");
    QTEST(w->item(name)->isVisibleTo(w->Panel5), "visible");
    QCOMPARE(w->item(name)->parentItem(), w->Panel5);
}

void TestMainWindow::scaling_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<float>("sx");
    QTest::addColumn<float>("sy");

    QTest::newRow("design size") << QSize(1024, 720) << 1.0f << 1.0f;
    QTest::newRow("half") << QSize(512, 360) << 0.5f << 0.5f;
    QTest::newRow("full hd") << QSize(1920, 1080) << 1.875f << 1.5f;
    QTest::newRow("wxga") << QSize(1280, 800) << float(1280.0 / 1024) << float(800.0 / 720);
}

void TestMainWindow::scaling()
{
    QFETCH(QSize, size);
    QFETCH(float, sx);
    QFETCH(float, sy);

    WindowFixture w;
    QVERIFY(w.showAt(size));
    QCOMPARE(w->size(), size);

    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(w->screenPanel(i)->scaleX(), sx);
        QCOMPARE(w->screenPanel(i)->scaleY(), sy);
        QCOMPARE(w->screenPanel(i)->pos().isNull(), i < 4);
    }
    // The move pad and the settings screen stand wholly inside the window, in its middle.
    for (PanelItem *centred : {w->Panel4, w->Panel5}) {
        const QRectF area = centred->mapRectToScene(centred->boundingRect());
        QVERIFY(QRectF(QPointF(0, 0), QSizeF(size)).contains(area));
        const QPointF offCentre = area.center() - QRectF(QPointF(0, 0), QSizeF(size)).center();
        QVERIFY(offCentre.manhattanLength() < 0.01);
    }

    // A press at the scaled place of a control lands on that control, through the view's
    // own hit testing.
    const QPoint settingsTile(qRound((8 + 58 / 2) * sx), qRound((4 + 48 / 2) * sy));
    QTest::mouseClick(w->viewport(), Qt::LeftButton, {}, settingsTile);
    QCOMPARE(visibleScreens(*w.window), QStringList {"Panel5"});

    // Activating the window again computes the same scale.
    w->FormActivate(w.window.get());
    QCOMPARE(w->Panel1->scaleX(), sx);
    QCOMPARE(w->Panel1->scaleY(), sy);
}

void TestMainWindow::controlsKeepTheirDesignSize_data()
{
    QTest::addColumn<int>("fontPixels");

    QTest::newRow("toolkit's font") << 0;
    // Text wider than its control, as another platform's font and style make it.
    QTest::newRow("large font") << 40;
}

// Buttons, fields and labels are the size their rows give, however much room their text
// would like: a larger one would cover its neighbours.
void TestMainWindow::controlsKeepTheirDesignSize()
{
    QFETCH(int, fontPixels);

    const QFont toolkitFont = QApplication::font();
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(toolkitFont); });
    if (fontPixels > 0) {
        QFont large = toolkitFont;
        large.setPixelSize(fontPixels);
        QApplication::setFont(large);
    }
    WindowFixture w;
    QVERIFY(w.showAt(QSize(1024, 720)));
    QStringList checked;
    QStringList otherSize;
    for (const Layout::Row &row : Layout::rows()) {
        switch (row.kind) {
        case Layout::Kind::Button:
        case Layout::Kind::CornerButton:
        case Layout::Kind::CheckBox:
        case Layout::Kind::Edit:
        case Layout::Kind::Memo:
        case Layout::Kind::Label:
            break;
        default:
            continue;
        }
        // A button that only marks a hit area is drawn by the keypad, not the toolkit.
        const QString name = QString::fromLatin1(row.name);
        const QGraphicsItem *item = w->item(name);
        if (!dynamic_cast<const QGraphicsProxyWidget *>(item))
            continue;
        checked << name;
        const QSize size = item->boundingRect().size().toSize();
        if (size != row.rect.size().toSize())
            otherSize << QStringLiteral("%1 %2x%3").arg(name).arg(size.width()).arg(size.height());
    }
    QVERIFY(checked.contains(u"CheckBox1") && checked.contains(u"Edit2"));
    QVERIFY2(otherSize.isEmpty(), qPrintable(otherSize.join(u", ")));
}

// The window's icon is part of the program and decodes wherever it runs, with the image
// formats its Qt was built with.
void TestMainWindow::programIconIsBuiltIn()
{
    const QIcon icon = ZpApplication::programIcon();
    QCOMPARE(icon.availableSizes(), QList<QSize> {QSize(256, 256)});
    QCOMPARE(icon.pixmap(QSize(32, 32)).size(), QSize(32, 32));
}

void TestMainWindow::pressTargetMatchesScene_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("tile");
    QTest::addColumn<bool>("alternates");
    QTest::addColumn<bool>("hasHitAreas");

    QTest::newRow("main screen, design size") << QSize(1024, 720) << QString() << false << true;
    QTest::newRow("main screen, full hd") << QSize(1920, 1080) << QString() << false << true;
    QTest::newRow("alternate panels, wxga") << QSize(1280, 800) << QString() << true << true;
    QTest::newRow("martyria chart") << QSize(1920, 1080) << "martyriesshow" << false << true;
    QTest::newRow("various signs") << QSize(1920, 1080) << "diaforashow" << false << true;
    QTest::newRow("move pad over the alternates")
        << QSize(1366, 768) << "move_client" << true << true;
    // Only widgets there: every press goes the scene's way.
    QTest::newRow("settings") << QSize(1280, 800) << "rythmiseisshow" << false << false;
}

// The window finds the hit area under a press itself; it must be the item the scene's own
// hit test puts on top, everywhere on every screen.
void TestMainWindow::pressTargetMatchesScene()
{
    QFETCH(QSize, size);
    QFETCH(QString, tile);
    QFETCH(bool, alternates);
    QFETCH(bool, hasHitAreas);

    WindowFixture w;
    QVERIFY(w.showAt(size));
    if (alternates) {
        for (const PressRules::TogglePair &pair : PressRules::togglePairs())
            w.press(QString::fromLatin1(pair.toggle));
    }
    if (!tile.isEmpty())
        w.press(tile);

    const QTransform toViewport = w->viewportTransform();
    QStringList mismatches;
    QSet<QString> found;
    // Every third pixel across the window, edges between controls included.
    for (int y = 0; y < size.height(); y += 3) {
        for (int x = 0; x < size.width(); x += 3) {
            const QRectF pixel = toViewport.inverted().mapRect(QRectF(x, y, 1, 1));
            const QList<QGraphicsItem *> under = w->scene()->items(
                pixel, Qt::IntersectsItemShape, Qt::DescendingOrder, toViewport);
            HitAreaItem *expected = under.isEmpty()
                ? nullptr
                : qobject_cast<HitAreaItem *>(under.first()->toGraphicsObject());
            HitAreaItem *actual = w->pointer()->pressTarget(QPointF(x, y));
            if (actual != expected) {
                mismatches << QStringLiteral("(%1, %2): %3 instead of %4")
                                  .arg(x)
                                  .arg(y)
                                  .arg(actual ? actual->objectName() : QStringLiteral("none"),
                                      expected ? expected->objectName() : QStringLiteral("none"));
            }
            if (expected)
                found << expected->objectName();
        }
    }
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.mid(0, 10).join(u"; ")));
    QCOMPARE(!found.isEmpty(), hasHitAreas);
}

void TestMainWindow::hiddenLogTakesLinesWhenShown()
{
    LogMemo log;
    const auto shown = [&log] { return static_cast<QPlainTextEdit &>(log).toPlainText(); };
    log.appendPlainText(QStringLiteral("one"));
    log.appendPlainText(QStringLiteral("two"));
    QCOMPARE(log.toPlainText(), QStringLiteral("one\ntwo"));
    QCOMPARE(log.property("plainText").toString(), QStringLiteral("one\ntwo"));

    log.show();
    QCOMPARE(shown(), QStringLiteral("one\ntwo"));
    log.appendPlainText(QStringLiteral("three"));
    QCOMPARE(shown(), QStringLiteral("one\ntwo\nthree"));

    log.hide();
    log.appendPlainText(QStringLiteral("four"));
    QCOMPARE(log.toPlainText(), QStringLiteral("one\ntwo\nthree\nfour"));
    log.show();
    QCOMPARE(shown(), QStringLiteral("one\ntwo\nthree\nfour"));
    QCOMPARE(log.toPlainText(), shown());
}

void TestMainWindow::navigation_data()
{
    QTest::addColumn<QString>("tile");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("back");

    QTest::newRow("settings") << "rythmiseisshow"
                              << "Panel5"
                              << "Button4";
    QTest::newRow("martyria chart") << "martyriesshow"
                                    << "Panel2"
                                    << "Button1";
    QTest::newRow("various signs") << "diaforashow"
                                   << "Panel3"
                                   << "Button2";
}

void TestMainWindow::navigation()
{
    QFETCH(QString, tile);
    QFETCH(QString, screen);
    QFETCH(QString, back);

    WindowFixture w;
    QVERIFY(w.showAt(QSize(1280, 800)));

    w.press(tile);
    QCOMPARE(visibleScreens(*w.window), QStringList {screen});
    w.press(back);
    QCOMPARE(visibleScreens(*w.window), QStringList {"Panel1"});
    // A change of screen is not a command.
    QVERIFY(w.messages.isEmpty());
}

// A tap leaves the keyboard focus alone, but a keyboard user still reaches the button; the
// window then closes with the focus on it.
void TestMainWindow::tabReachesConnectDisconnect()
{
    WindowFixture w;
    QVERIFY(w.showAt(QSize(1280, 800)));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.press(u"rythmiseisshow");
    auto *button = qobject_cast<QWidget *>(w->component(u"ConnectDisconnect"));
    QVERIFY(!button->hasFocus());
    for (int tab = 0; tab < 8 && !button->hasFocus(); ++tab)
        QTest::keyClick(w->viewport(), Qt::Key_Tab);
    QVERIFY(button->hasFocus());
}

void TestMainWindow::returnLeavesMovePad()
{
    WindowFixture w;
    w->Panel4->show();
    w->session()->Button1Click(QStringLiteral("Button1"));
    QVERIFY(w->Panel4->isVisible());
    QVERIFY(w->Panel1->isVisible());
    w->Panel4->hide();
    w->session()->rythmiseisshowClick(QStringLiteral("rythmiseisshow"));
    w->session()->Button1Click(QStringLiteral("Button4"));
    QVERIFY(!w->Panel4->isVisible());
    QCOMPARE(visibleScreens(*w.window), QStringList {"Panel1"});
}

void TestMainWindow::escapedError_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("letter") << "Unable to write"
                            << "Unable to write.";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("quote after the full stop") << "'abc' is not a valid integer value"
                                               << "'abc' is not a valid integer value.";
    QTest::newRow("exclamation mark") << "Stop!"
                                      << "Stop!";
    QTest::newRow("closing bracket") << "(x)"
                                     << "(x)";
    QTest::newRow("slash is above the full stop") << "a/"
                                                  << "a/.";
    QTest::newRow("digit") << "code 9"
                           << "code 9.";
    QTest::newRow("blank") << "trailing "
                           << "trailing ";
    QTest::newRow("greek") << QString::fromUtf8("Πρόβλημα") << QString::fromUtf8("Πρόβλημα.");
    QTest::newRow("empty") << ""
                           << "";
}

void TestMainWindow::escapedError()
{
    QFETCH(QString, message);

    WindowFixture w;
    Thrower thrower;
    thrower.message = message.toStdString();
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    QCOMPARE(w.errors.size(), 1);
    QTEST(w.errors.first(), "shown");

    // The program goes on: the window still takes presses.
    w->session()->rythmiseisshowClick(QStringLiteral("rythmiseisshow"));
    QVERIFY(w->Panel5->isVisible());
}

void TestMainWindow::closePath()
{
    TestEnvironment env;
    ClosingWindow window(env);
    QStringList errors;
    window.messageBoxes()->setErrorFunction([&](const QString &text) { errors << text; });
    window.show();

    QCloseEvent systemRequest;
    QCoreApplication::sendEvent(&window, &systemRequest);
    QVERIFY(systemRequest.isAccepted());
    QCOMPARE(window.closes, 1);

    ClosingWindow second(env);
    second.show();
    second.session()->offClick(QStringLiteral("off"));
    QCOMPARE(second.closes, 1);
    QVERIFY(!second.isVisible());
    QVERIFY(errors.isEmpty());
}

void TestMainWindow::failingCloseKeepsWindow()
{
    TestEnvironment env;
    ClosingWindow window(env);
    QStringList errors;
    window.messageBoxes()->setErrorFunction([&](const QString &text) { errors << text; });
    window.show();
    window.session()->rythmiseisshowClick(QStringLiteral("rythmiseisshow"));

    window.failWith = QStringLiteral("'abc' is not a valid integer value");
    window.session()->offClick(QStringLiteral("off"));
    QCOMPARE(window.closes, 1);
    QVERIFY(window.isVisible());
    QVERIFY(window.Panel5->isVisible());
    QCOMPARE(errors, QStringList {"'abc' is not a valid integer value."});

    window.failWith.clear();
    window.session()->offClick(QStringLiteral("off"));
    QCOMPARE(window.closes, 2);
    QVERIFY(!window.isVisible());
}

int main(int argc, char *argv[])
{
    ZpApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
