// SPDX-License-Identifier: GPL-3.0-or-later

// Loaded into an installed zp-client with LD_PRELOAD by install_test.sh. On the offscreen
// platform nothing outside the process can tap the window, so this library does it from
// inside, through the window system layer as a mouse would: once the keypad is connected,
// it taps each control named in ZP_TAPS ("a6 off"), in order, and prints what it did.
// The keypad itself is the installed binary, unchanged.

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGraphicsItem>
#include <QGraphicsObject>
#include <QGraphicsView>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>

namespace {

constexpr int PollMs = 50;
constexpr int ConnectWaitMs = 20000; // the first discovery request leaves after two seconds
constexpr int CloseWaitMs = 5000;

void say(const QString &text)
{
    std::fprintf(stderr, "tap-driver: %s\n", qPrintable(text));
}

QGraphicsView *keypadWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *view = qobject_cast<QGraphicsView *>(widget);
        if (view && view->isVisible() && view->windowHandle() && view->windowHandle()->isExposed())
            return view;
    }
    return nullptr;
}

// The connection log lies in the scene, in a widget of its own.
bool connected()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (widget->objectName() == u"Memo1")
            return widget->property("plainText")
                .toString()
                .contains(QStringLiteral("Client connected with server"));
    }
    return false;
}

QGraphicsObject *control(QGraphicsView *view, const QString &name)
{
    for (QGraphicsItem *item : view->scene()->items()) {
        QGraphicsObject *object = item->toGraphicsObject();
        if (object && object->objectName() == name)
            return object;
    }
    return nullptr;
}

// What is on the screen instead of the keypad: a message box, say.
void describeWindows()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        // Widgets inside the scene count as top-level too, but have no window of their own.
        if (widget->isVisible() && widget->windowHandle())
            say(QStringLiteral("window open: %1 \"%2\" %3")
                    .arg(QString::fromLatin1(widget->metaObject()->className()),
                        widget->windowTitle(), widget->property("text").toString()));
    }
}

class TapDriver : public QObject
{
public:
    TapDriver()
        : m_taps(qEnvironmentVariable("ZP_TAPS").split(u' ', Qt::SkipEmptyParts))
        , m_deadline(ConnectWaitMs)
    {
        connect(&m_poll, &QTimer::timeout, this, &TapDriver::step);
        m_poll.start(PollMs);
    }

private:
    void step()
    {
        QGraphicsView *view = keypadWindow();
        if (!m_connected) {
            m_connected = view && connected();
            if (!m_connected) {
                if (m_deadline.hasExpired())
                    giveUp(QStringLiteral("the keypad did not connect within %1 ms")
                               .arg(ConnectWaitMs));
                return;
            }
            say(QStringLiteral("connected"));
        }
        if (m_taps.isEmpty()) {
            // The last tap should have closed the window and ended the program.
            if (m_deadline.hasExpired())
                giveUp(QStringLiteral("the keypad is still running after the last tap"));
            return;
        }
        if (!view)
            return giveUp(QStringLiteral("the keypad's window is gone"));
        const QString name = m_taps.takeFirst();
        QGraphicsObject *item = control(view, name);
        if (!item || !item->isVisible())
            return giveUp(QStringLiteral("no control %1 is shown").arg(name));
        const QPoint inViewport
            = view->mapFromScene(item->mapToScene(item->boundingRect().center()));
        const QPoint inWindow = view->viewport()->mapTo(view->window(), inViewport);
        say(QStringLiteral("tapping %1 at %2,%3").arg(name).arg(inWindow.x()).arg(inWindow.y()));
        // The press sends the line and waits for its answer before the click returns.
        QTest::mouseClick(view->window()->windowHandle(), Qt::LeftButton, {}, inWindow);
        m_deadline.setRemainingTime(CloseWaitMs);
    }

    void giveUp(const QString &reason)
    {
        say(reason);
        describeWindows();
        m_poll.stop();
        // Straight out: a modal box may be running its own event loop.
        std::fflush(stderr);
        std::_Exit(3);
    }

    QStringList m_taps;
    QDeadlineTimer m_deadline;
    QTimer m_poll;
    bool m_connected = false;
};

void startDriver()
{
    // Called while the application object is being made: the driver starts with its event
    // loop.
    QTimer::singleShot(0, [] { new TapDriver; });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriver)
