// SPDX-License-Identifier: GPL-3.0-or-later

#include "signalwatcher.h"

#include <QSignalSpy>
#include <QTest>
#include <csignal>

class TestSignalWatcher : public QObject
{
    Q_OBJECT

private slots:
    void reportsTermination_data();
    void reportsTermination();
};

void TestSignalWatcher::reportsTermination_data()
{
    QTest::addColumn<int>("signal");

    QTest::newRow("interrupt") << SIGINT;
    QTest::newRow("terminate") << SIGTERM;
}

// Each row makes a fresh watcher, so the second also shows that the first one cleaned up.
void TestSignalWatcher::reportsTermination()
{
#ifndef Q_OS_UNIX
    QSKIP("Raising a signal reaches the watcher on POSIX systems only");
#else
    QFETCH(int, signal);

    SignalWatcher watcher;
    QSignalSpy requested(&watcher, &SignalWatcher::terminationRequested);
    QCOMPARE(std::raise(signal), 0);
    QVERIFY(requested.wait(2000));
    QCOMPARE(requested.count(), 1);
#endif
}

QTEST_GUILESS_MAIN(TestSignalWatcher)
#include "tst_signalwatcher.moc"
