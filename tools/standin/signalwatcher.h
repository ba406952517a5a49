// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl+C and a termination request into a Qt signal on the thread that made the
// watcher, so the program can close its sockets and leave the event loop normally.
// One watcher at a time.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
