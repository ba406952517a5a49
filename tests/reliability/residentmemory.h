// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFile>
#include <QRegularExpression>

// The process's resident memory in KiB, from /proc; -1 where the system has no such file.
inline qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression vmRss(QStringLiteral("^VmRSS:\\s+(\\d+) kB"));
    for (const QByteArray &line : status.readAll().split('\n')) {
        const QRegularExpressionMatch match = vmRss.match(QString::fromLatin1(line));
        if (match.hasMatch())
            return match.captured(1).toLongLong();
    }
    return -1;
}
