// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QTextStream>

// The command round trip of kataxorisi against a minimal blocking client, both talking to
// one "ok" server in a process of its own, each command after the last one's flash is over;
// then whole presses on a hit area of the scaled main window, in quick succession, against
// the same client in quick succession.
class RoundTripBench
{
public:
    struct Counts
    {
        int roundTrips = 200;
        int presses = 10000;
    };

    RoundTripBench(const QString &peerProgram, const QString &pinning, Counts counts);

    // Prints result and note lines; false when a measurement could not be made.
    bool run(QTextStream &out);

private:
    QString m_peerProgram;
    QString m_pinning;
    Counts m_counts;
};
