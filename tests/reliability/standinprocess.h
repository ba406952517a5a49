// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

// zp-standin as a child process on loopback, without discovery.
class StandInProcess
{
public:
    ~StandInProcess() { stop(); }

    // Port 0 lets the stand-in pick a free port; port() tells which after the start.
    bool start(const QStringList &options, quint16 port = 0)
    {
        m_process.setProgram(QStringLiteral(ZP_STANDIN_PATH));
        m_process.setArguments(
            QStringList {"--port", QString::number(port), "--no-discovery"} + options);
        m_process.start();
        if (!m_process.waitForStarted() || !m_process.waitForReadyRead())
            return false;
        // The first line names the port: "zp-standin: listening on TCP port N, discovery off".
        const QString first = QString::fromUtf8(m_process.readLine());
        const QRegularExpressionMatch match
            = QRegularExpression(QStringLiteral("TCP port (\\d+)")).match(first);
        m_port = match.hasMatch() ? match.captured(1).toUShort() : 0;
        return m_port != 0;
    }

    // Asks the stand-in to end (SIGTERM, or WM_CLOSE to its main thread on Windows) and returns
    // what it printed from then on.
    QString terminate()
    {
        m_process.terminate();
        m_process.waitForFinished();
        return QString::fromUtf8(m_process.readAll());
    }

    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    quint16 port() const { return m_port; }
    QProcess &process() { return m_process; }

private:
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning)
            kill();
    }

    QProcess m_process;
    quint16 m_port = 0;
};
