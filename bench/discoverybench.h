// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

class Samples;

// From a discovery reply leaving the server to the TCP connection it names being accepted:
// the keypad, in a process of its own, against a minimal client that receives the reply
// and connects. The server and both clients use loopback addresses and free ports.
class DiscoveryBench
{
public:
    DiscoveryBench(
        const QString &benchProgram, const QString &peerProgram, const QString &pinning, int count);

    bool run(QTextStream &out);

    // The keypad's side, run as its own process: shows the window and waits for replies.
    static int runKeypad(quint16 requestPort);

private:
    bool measure(const QStringList &client, Samples *samples, QTextStream &out);

    QString m_benchProgram;
    QString m_peerProgram;
    QString m_pinning;
    int m_count;
};
