// SPDX-License-Identifier: GPL-3.0-or-later

#include "signalwatcher.h"

#include <QSignalSpy>
#include <QTest>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <csignal>
#endif

namespace {

// The ways the system asks this process to end. On Windows only the close message that
// QProcess::terminate() posts is sent: a console's Ctrl+C or Ctrl+Break would reach every
// process attached to the console, the test runner's included.
enum class Request { Interrupt, Terminate, CloseMessage };

bool send(Request request)
{
#ifdef Q_OS_WIN
    return request == Request::CloseMessage
        && PostThreadMessageW(GetCurrentThreadId(), WM_CLOSE, 0, 0);
#else
    const int signal = request == Request::Interrupt ? SIGINT
        : request == Request::Terminate              ? SIGTERM
                                                     : 0;
    return signal != 0 && std::raise(signal) == 0;
#endif
}

} // namespace

Q_DECLARE_METATYPE(Request)

class TestSignalWatcher : public QObject
{
    Q_OBJECT

private slots:
    void reportsTermination_data();
    void reportsTermination();
};

void TestSignalWatcher::reportsTermination_data()
{
    QTest::addColumn<Request>("request");

#ifdef Q_OS_WIN
    QTest::newRow("close message") << Request::CloseMessage;
#else
    QTest::newRow("interrupt") << Request::Interrupt;
    QTest::newRow("terminate") << Request::Terminate;
#endif
}

// Each row makes a fresh watcher, so the second also shows that the first one cleaned up.
void TestSignalWatcher::reportsTermination()
{
    QFETCH(Request, request);

    SignalWatcher watcher;
    QSignalSpy requested(&watcher, &SignalWatcher::terminationRequested);
    QVERIFY(send(request));
    QVERIFY(requested.wait(2000));
    QCOMPARE(requested.count(), 1);
}

QTEST_GUILESS_MAIN(TestSignalWatcher)
#include "tst_signalwatcher.moc"
