// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

// Ends this process at once, as a crash or a power cut would: no destructors, no buffers
// flushed, and an exit status that QProcess reports as a crash.
inline void killSelf()
{
#ifdef Q_OS_WIN
    // QProcess takes an NTSTATUS error code as the sign of a crash.
    constexpr UINT statusUnsuccessful = 0xC0000001;
    TerminateProcess(GetCurrentProcess(), statusUnsuccessful);
#else
    ::kill(::getpid(), SIGKILL);
#endif
}
