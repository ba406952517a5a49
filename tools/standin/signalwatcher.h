// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

// Turns Ctrl+C and a termination request into a Qt signal on the thread that made the
// watcher, so the program can close its sockets and leave the event loop normally.
// A termination request is SIGTERM on POSIX systems; on Windows it is the console's Ctrl+Break
// or close, or the WM_CLOSE that QProcess::terminate() posts. One watcher at a time.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested();

private:
    QObject *m_source = nullptr; // the pipe's notifier, or the close-message filter
};
