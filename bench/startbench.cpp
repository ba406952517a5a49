// SPDX-License-Identifier: GPL-3.0-or-later

#include "startbench.h"

#include "posixpeers.h"
#include "samples.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

constexpr int WarmUpRuns = 3;
constexpr int LaunchTimeoutMs = 20000;
constexpr int Width = 1920;
constexpr int Height = 1080;

std::vector<std::string> toStrings(const QStringList &list)
{
    std::vector<std::string> strings;
    for (const QString &item : list)
        strings.push_back(item.toStdString());
    return strings;
}

// The time to the frame the program reports, or -1.
qint64 startToFrame(const PosixPeers::Launch &launch)
{
    if (!launch.ok)
        return -1;
    const QByteArray output = QByteArray::fromStdString(launch.output).trimmed();
    if (!output.startsWith("frame "))
        return -1;
    return output.sliced(6).toLongLong() - launch.startNs;
}

} // namespace

StartBench::StartBench(
    const QString &keypadProgram, const QString &floorProgram, const QString &pinning, int runs)
    : m_keypadProgram(keypadProgram)
    , m_floorProgram(floorProgram)
    , m_pinning(pinning)
    , m_runs(runs)
{ }

bool StartBench::run(QTextStream &out, const QString &platform)
{
    // Both programs start as a user's would, but with a home of their own, so that nothing
    // of the user's (the keypad's settings file) is read or written.
    QTemporaryDir home;
    QFile::setPermissions(home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));

    QProcess xvfb;
    if (platform == u"xcb") {
        xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xvfb.start(QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(Width).arg(Height),
                QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        while (!xvfb.canReadLine() && xvfb.waitForReadyRead(10000)) { }
        const QByteArray display = xvfb.readLine().trimmed();
        if (display.isEmpty()) {
            out << "note " << m_pinning << " Xvfb did not start" << Qt::endl;
            return false;
        }
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    } else {
        const QString config = home.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QStringLiteral(R"({"screens": [{"name": "bench", "x": 0, "y": 0, )"
                                  R"("width": %1, "height": %2, "logicalDpi": 96}]})")
                       .arg(Width)
                       .arg(Height)
                       .toUtf8());
        file.close();
        environment.insert(
            QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    }
    const std::vector<std::string> variables = toStrings(environment.toStringList());

    Samples keypadTimes;
    Samples floorTimes;
    Samples keypadMemory;
    Samples floorMemory;
    for (int run = 0; run < WarmUpRuns + m_runs; ++run) {
        const PosixPeers::Launch keypad
            = PosixPeers::launch(toStrings({m_keypadProgram}), variables, LaunchTimeoutMs);
        const PosixPeers::Launch floor
            = PosixPeers::launch(toStrings({m_floorProgram}), variables, LaunchTimeoutMs);
        const qint64 keypadTime = startToFrame(keypad);
        const qint64 floorTime = startToFrame(floor);
        if (keypadTime < 0 || floorTime < 0) {
            out << "note " << m_pinning << " start on " << platform << ": "
                << (keypadTime < 0 ? "the keypad" : "the floor") << " showed no frame" << Qt::endl;
            return false;
        }
        if (run < WarmUpRuns)
            continue;
        keypadTimes.add(keypadTime);
        floorTimes.add(floorTime);
        keypadMemory.add(keypad.maxRssKb);
        floorMemory.add(floor.maxRssKb);
    }
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }

    out << floorTimes.resultLine(QStringLiteral("start.%1.floor").arg(platform), m_pinning)
        << Qt::endl;
    out << keypadTimes.resultLine(QStringLiteral("start.%1.keypad").arg(platform), m_pinning)
        << Qt::endl;
    out << floorMemory.resultLine(QStringLiteral("memory.%1.floor").arg(platform), m_pinning)
        << Qt::endl;
    out << keypadMemory.resultLine(QStringLiteral("memory.%1.keypad").arg(platform), m_pinning)
        << Qt::endl;
    return true;
}
