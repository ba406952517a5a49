// SPDX-License-Identifier: GPL-3.0-or-later

#include "xtapbench.h"

#include "posixpeers.h"
#include "samples.h"
#include "xvfb.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int WarmUpTaps = 20;
constexpr int ReplyTimeoutMs = 3000;
// Longer than a sign's flash; and since the two windows take turns, the taps on one window
// are twice this apart, more than a double click's interval.
constexpr int PauseMs = 250;

// The processor time (nanoseconds) and the context switches of every thread of a process.
struct Usage
{
    qint64 cpuNs = 0;
    qint64 switches = 0;
};

QByteArray readProcFile(const QString &path)
{
    QFile file(path);
    // The size of a /proc file reads as 0, so it is read whole.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Threads that end between two readings take their counts with them, so a difference is
// taken only over the threads alive at both, plus those born in between.
struct ProcessUsage
{
    QHash<QString, Usage> threads;

    qint64 cpuSince(const ProcessUsage &before) const { return since(before, &Usage::cpuNs); }
    qint64 switchesSince(const ProcessUsage &before) const
    {
        return since(before, &Usage::switches);
    }

private:
    qint64 since(const ProcessUsage &before, qint64 Usage::*field) const
    {
        qint64 total = 0;
        for (auto it = threads.cbegin(); it != threads.cend(); ++it)
            total += it.value().*field - before.threads.value(it.key()).*field;
        return total;
    }
};

ProcessUsage usageOf(qint64 pid)
{
    ProcessUsage usage;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        Usage thread;
        const QByteArray schedstat
            = readProcFile(tasks + QStringLiteral("/%1/schedstat").arg(task));
        thread.cpuNs = schedstat.split(' ').value(0).toLongLong();
        const QByteArray status = readProcFile(tasks + QStringLiteral("/%1/status").arg(task));
        for (const QByteArray &line : status.split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches")
                || line.startsWith("nonvoluntary_ctxt_switches"))
                thread.switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
        usage.threads.insert(task, thread);
    }
    return usage;
}

// One side of the row: an Xvfb, a window on it, and the window's connection to us.
class Side
{
public:
    ~Side()
    {
        if (m_client >= 0)
            PosixPeers::closeSocket(m_client);
        if (m_display)
            XCloseDisplay(m_display);
        for (QProcess *process : {&m_window, &m_xvfb}) {
            // Asked first, so that a window run under a profiler can still write its report.
            process->terminate();
            if (!process->waitForFinished(10000)) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    // Empty when all went well, else what did not.
    QString start(const QString &program, const QString &kind, int listener, quint16 port,
        const QString &runtimeFolder)
    {
        const QString displayName = startXvfb(m_xvfb, Width, Height);
        if (displayName.isEmpty())
            return QStringLiteral("Xvfb did not start");

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), displayName);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeFolder);
        m_window.setProcessEnvironment(environment);
        m_window.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_window.start(program, {kind, QString::number(port)});
        while (!m_window.canReadLine() && m_window.waitForReadyRead(20000)) { }
        const QList<QByteArray> ready = m_window.readLine().trimmed().split(' ');
        if (ready.size() != 3 || ready.first() != "ready")
            return QStringLiteral("the %1 window did not come up").arg(kind);
        m_at = QPoint(ready.at(1).toInt(), ready.at(2).toInt());
        m_client = PosixPeers::acceptTcp(listener, ReplyTimeoutMs);
        if (m_client < 0)
            return QStringLiteral("the %1 window did not connect").arg(kind);

        m_display = XOpenDisplay(displayName.toLatin1().constData());
        int event = 0, error = 0, major = 0, minor = 0;
        if (!m_display || !XTestQueryExtension(m_display, &event, &error, &major, &minor))
            return QStringLiteral("no XTest on %1").arg(displayName);
        XTestFakeMotionEvent(m_display, 0, m_at.x(), m_at.y(), CurrentTime);
        XSync(m_display, False);
        return {};
    }

    // A press and release; the time until the line is here, or -1. The reply goes back.
    qint64 tap()
    {
        const std::int64_t start = PosixPeers::nowNs();
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XFlush(m_display);
        std::string line;
        if (!PosixPeers::readLine(m_client, ReplyTimeoutMs, &line))
            return -1;
        const std::int64_t end = PosixPeers::nowNs();
        if (line != "a6\r\n" || !PosixPeers::writeText(m_client, "ok\r\n"))
            return -1;
        return end - start;
    }

    ProcessUsage windowUsage() const { return usageOf(m_window.processId()); }
    ProcessUsage serverUsage() const { return usageOf(m_xvfb.processId()); }

private:
    QProcess m_xvfb;
    QProcess m_window;
    Display *m_display = nullptr;
    int m_client = -1;
    QPoint m_at;
};

void pause(int ms)
{
    QThread::msleep(ms);
}

} // namespace

XTapBench::XTapBench(
    const QString &windowProgram, const QString &pinning, int taps, int idleSeconds)
    : m_windowProgram(windowProgram)
    , m_pinning(pinning)
    , m_taps(taps)
    , m_idleSeconds(idleSeconds)
{ }

bool XTapBench::run(QTextStream &out)
{
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    quint16 port = 0;
    const int listener = PosixPeers::listenTcp(&port);
    if (listener < 0) {
        out << "note " << m_pinning << " tap to wire: no loopback port" << Qt::endl;
        return false;
    }
    Side keypad;
    Side floor;
    for (auto [side, kind] : {std::pair {&keypad, "keypad"}, std::pair {&floor, "floor"}}) {
        const QString problem = side->start(
            m_windowProgram, QString::fromLatin1(kind), listener, port, runtime.path());
        if (!problem.isEmpty()) {
            out << "note " << m_pinning << " tap to wire: " << problem << Qt::endl;
            PosixPeers::closeSocket(listener);
            return false;
        }
    }
    PosixPeers::closeSocket(listener);
    pause(1000);

    Samples keypadTimes;
    Samples floorTimes;
    struct Readings
    {
        ProcessUsage window;
        ProcessUsage server;
    };
    const auto read = [](const Side &side) {
        return Readings {side.windowUsage(), side.serverUsage()};
    };
    Readings keypadBefore;
    Readings floorBefore;
    int failures = 0;
    for (int i = 0; i < WarmUpTaps + m_taps; ++i) {
        if (i == WarmUpTaps) {
            keypadBefore = read(keypad);
            floorBefore = read(floor);
        }
        // Which window goes first changes every round, so that neither always follows the
        // other.
        Side *order[] = {&keypad, &floor};
        if (i % 2)
            std::swap(order[0], order[1]);
        for (Side *side : order) {
            const qint64 time = side->tap();
            if (time < 0)
                ++failures;
            else if (i >= WarmUpTaps)
                (side == &keypad ? keypadTimes : floorTimes).add(time);
            pause(PauseMs);
        }
    }
    const Readings keypadAfter = read(keypad);
    const Readings floorAfter = read(floor);
    if (failures > 0) {
        out << "note " << m_pinning << " tap to wire: " << failures << " taps brought no line"
            << Qt::endl;
        return false;
    }
    out << floorTimes.resultLine(QStringLiteral("xtap.floor"), m_pinning) << Qt::endl;
    out << keypadTimes.resultLine(QStringLiteral("xtap.keypad"), m_pinning) << Qt::endl;
    // The whole processor time between the first and the last measured tap, pauses included,
    // shared out over the taps: what a tap costs the machine, idle work included.
    const auto perTap
        = [this](const Readings &before, const Readings &after, const char *key, QTextStream &out) {
              const qint64 program = after.window.cpuSince(before.window) / qMax(1, m_taps);
              const qint64 server = after.server.cpuSince(before.server) / qMax(1, m_taps);
              Samples cpu;
              cpu.add(program + server);
              out << cpu.resultLine(QString::fromLatin1(key), m_pinning) << Qt::endl;
              out << "note " << m_pinning << " " << key << ": the program " << program / 1000
                  << " µs, its X server " << server / 1000 << " µs per tap" << Qt::endl;
          };
    perTap(floorBefore, floorAfter, "xtapcpu.floor", out);
    perTap(keypadBefore, keypadAfter, "xtapcpu.keypad", out);

    if (m_idleSeconds > 0) {
        pause(1000);
        const ProcessUsage keypadIdle = keypad.windowUsage();
        const ProcessUsage floorIdle = floor.windowUsage();
        pause(m_idleSeconds * 1000);
        Samples keypadWakeups;
        Samples floorWakeups;
        keypadWakeups.add(keypad.windowUsage().switchesSince(keypadIdle));
        floorWakeups.add(floor.windowUsage().switchesSince(floorIdle));
        out << floorWakeups.resultLine(QStringLiteral("idle.floor"), m_pinning) << Qt::endl;
        out << keypadWakeups.resultLine(QStringLiteral("idle.keypad"), m_pinning) << Qt::endl;
    }
    return true;
}
