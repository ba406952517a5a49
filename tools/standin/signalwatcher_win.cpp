// SPDX-License-Identifier: GPL-3.0-or-later
#include "signalwatcher.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <qt_windows.h>

namespace {

SignalWatcher *activeWatcher = nullptr;
HANDLE watcherGone = nullptr; // set once the program has left its event loop and cleaned up

// Runs on a thread of its own that the console makes for the event.
BOOL WINAPI onConsoleEvent(DWORD type)
{
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT && type != CTRL_CLOSE_EVENT)
        return FALSE;
    QMetaObject::invokeMethod(
        activeWatcher, &SignalWatcher::terminationRequested, Qt::QueuedConnection);
    // After a closed console the system ends the process as soon as this returns, so the
    // program is given the few seconds the system allows to close its sockets and report.
    if (type == CTRL_CLOSE_EVENT)
        WaitForSingleObject(watcherGone, 4000);
    return TRUE;
}

// QProcess::terminate() and taskkill without /f ask a program to end by posting WM_CLOSE to
// its main thread. A console program has no window that would turn it into a close event,
// so the message is taken from the event loop here.
class CloseMessageFilter : public QObject, public QAbstractNativeEventFilter
{
public:
    explicit CloseMessageFilter(SignalWatcher *watcher)
        : QObject(watcher)
        , m_watcher(watcher)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~CloseMessageFilter() override
    {
        if (QCoreApplication *app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->hwnd || msg->message != WM_CLOSE)
            return false;
        emit m_watcher->terminationRequested();
        return true;
    }

private:
    SignalWatcher *m_watcher;
};

} // namespace

SignalWatcher::SignalWatcher(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(!activeWatcher);
    activeWatcher = this;
    watcherGone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_source = new CloseMessageFilter(this);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

SignalWatcher::~SignalWatcher()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    delete m_source;
    activeWatcher = nullptr;
    SetEvent(watcherGone);
    CloseHandle(watcherGone);
    watcherGone = nullptr;
}
