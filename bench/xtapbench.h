// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QTextStream>

// Taps on a real X server: the keypad and a minimal window, each full screen on an Xvfb of
// its own, are tapped in turns with XTest presses and releases, and the time until the
// loopback server has the line is measured, with the processor time per tap that the
// program and its X server spend. Then both sit connected and idle, and their wakeups are
// counted.
class XTapBench
{
public:
    XTapBench(const QString &windowProgram, const QString &pinning, int taps, int idleSeconds);

    bool run(QTextStream &out);

private:
    QString m_windowProgram;
    QString m_pinning;
    int m_taps;
    int m_idleSeconds;
};
