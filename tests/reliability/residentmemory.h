// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
// psapi.h uses the types of windows.h without including it.
#include <psapi.h>
#else
#include <QFile>
#include <QRegularExpression>
#endif

// The process's resident memory in KiB (its working set on Windows, VmRSS from /proc
// elsewhere); -1 where the system does not tell.
inline qint64 residentKiB()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return qint64(counters.WorkingSetSize / 1024);
#else
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
#endif
}
