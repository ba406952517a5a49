// SPDX-License-Identifier: GPL-3.0-or-later

#include "peerprocess.h"

#include <QDeadlineTimer>

PeerProcess::PeerProcess(const QString &program, const QStringList &arguments)
    : m_program(program)
    , m_arguments(arguments)
{ }

PeerProcess::~PeerProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool PeerProcess::start()
{
    m_process.start(m_program, m_arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    const QDeadlineTimer deadline(5000);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    const QList<QByteArray> words = m_process.readLine().trimmed().split(' ');
    if (words.size() != 2 || words.first() != "ready")
        return false;
    m_port = words.last().toUShort();
    return m_port != 0;
}

QList<qint64> PeerProcess::waitForSamples(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
            return {};
    }
    QList<QByteArray> words = m_process.readLine().trimmed().split(' ');
    if (words.isEmpty() || words.takeFirst() != "samples")
        return {};
    QList<qint64> samples;
    for (const QByteArray &word : std::as_const(words))
        samples << word.toLongLong();
    return samples;
}

QString PeerProcess::errors()
{
    return QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed();
}
