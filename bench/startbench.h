// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QTextStream>

// From process start to the first frame at 1920 × 1080, and the peak memory of the process:
// the keypad's start against an empty full-screen Qt window, started in turn.
class StartBench
{
public:
    StartBench(const QString &keypadProgram, const QString &floorProgram, const QString &pinning,
        int runs);

    // platform: "xcb" (on an Xvfb server of its own) or "offscreen".
    bool run(QTextStream &out, const QString &platform);

private:
    QString m_keypadProgram;
    QString m_floorProgram;
    QString m_pinning;
    int m_runs;
};
