// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QTextStream>

// From process start to the first frame, and the peak memory of the process: the keypad's
// start against two full-screen Qt windows, one that draws a picture and a line of text and
// one that draws nothing, started in turn.
class StartBench
{
public:
    StartBench(const QString &keypadProgram, const QString &floorProgram, const QString &pinning,
        int runs);

    // platform: "xcb" (on an Xvfb server of its own) or "offscreen".
    bool run(QTextStream &out, const QString &platform, int width, int height);

private:
    QString m_keypadProgram;
    QString m_floorProgram;
    QString m_pinning;
    int m_runs;
};
