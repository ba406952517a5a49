// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QProcess>
#include <QStringList>

// A process of zp-bench-peer that announces a port when it is ready. It ends when this
// object goes: closing its input is its signal to leave.
class PeerProcess
{
public:
    PeerProcess(const QString &program, const QStringList &arguments);
    ~PeerProcess();

    // Starts the process and waits for its "ready <port>" line.
    bool start();
    quint16 port() const { return m_port; }

    // Waits for a "samples ..." line and returns its numbers; empty when none comes in time.
    QList<qint64> waitForSamples(int timeoutMs);
    // What the process wrote on its error stream so far.
    QString errors();

private:
    QProcess m_process;
    QString m_program;
    QStringList m_arguments;
    quint16 m_port = 0;
};
