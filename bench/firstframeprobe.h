// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

// Notes when the program has put its first frame on the screen: after the first paint of a
// widget in an exposed window, once the event that painted the window (and flushed it) has
// returned. Prints "frame <monotonic ns>" and ends the event loop. Linked into a program, it
// installs itself when the application object is made, so the program's own main() runs
// unchanged.
class FirstFrameProbe : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void report();

    bool m_painted = false;
};
