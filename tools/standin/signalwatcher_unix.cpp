// SPDX-License-Identifier: GPL-3.0-or-later
#include "signalwatcher.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A signal handler may only do async-signal-safe work, so it writes one byte into a pipe
// whose other end the event loop watches.
int signalPipe[2] = {-1, -1};
constexpr int watchedSignals[] = {SIGINT, SIGTERM};

void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void setHandler(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

SignalWatcher::SignalWatcher(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(signalPipe[0] == -1);
    if (::pipe(signalPipe) != 0)
        qFatal("SignalWatcher: cannot create a pipe");
    for (const int fd : signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    m_source = notifier;
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) { }
        emit terminationRequested();
    });
    for (const int signal : watchedSignals)
        setHandler(signal, onSignal);
}

SignalWatcher::~SignalWatcher()
{
    for (const int signal : watchedSignals)
        setHandler(signal, SIG_DFL);
    delete m_source;
    for (int &fd : signalPipe) {
        ::close(fd);
        fd = -1;
    }
}
