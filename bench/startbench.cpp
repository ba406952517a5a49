// SPDX-License-Identifier: GPL-3.0-or-later

#include "startbench.h"

#include "posixpeers.h"
#include "samples.h"
#include "xvfb.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

constexpr int WarmUpRuns = 3;
constexpr int LaunchTimeoutMs = 20000;

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

bool StartBench::run(QTextStream &out, const QString &platform, int width, int height)
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
        const QString display = startXvfb(xvfb, width, height);
        if (display.isEmpty()) {
            out << "note " << m_pinning << " Xvfb did not start" << Qt::endl;
            return false;
        }
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    } else {
        const QString config = home.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QStringLiteral(R"({"screens": [{"name": "bench", "x": 0, "y": 0, )"
                                  R"("width": %1, "height": %2, "logicalDpi": 96}]})")
                       .arg(width)
                       .arg(height)
                       .toUtf8());
        file.close();
        environment.insert(
            QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    }
    const std::vector<std::string> variables = toStrings(environment.toStringList());

    // The keypad and its two floors take turns, so that a slow spell falls on all three.
    struct Program
    {
        const char *name;
        std::vector<std::string> arguments;
        Samples times;
        Samples memory;
    };
    Program programs[] = {
        {"keypad", toStrings({m_keypadProgram}), {}, {}},
        {"fair", toStrings({m_floorProgram, QStringLiteral("fair")}), {}, {}},
        {"empty", toStrings({m_floorProgram, QStringLiteral("empty")}), {}, {}},
    };
    bool ok = true;
    for (int run = 0; ok && run < WarmUpRuns + m_runs; ++run) {
        for (Program &program : programs) {
            const PosixPeers::Launch launch
                = PosixPeers::launch(program.arguments, variables, LaunchTimeoutMs);
            const qint64 time = startToFrame(launch);
            if (time < 0) {
                out << "note " << m_pinning << " start on " << platform << " at " << width << "x"
                    << height << ": the " << program.name << " window showed no frame" << Qt::endl;
                ok = false;
                break;
            }
            if (run < WarmUpRuns)
                continue;
            program.times.add(time);
            program.memory.add(launch.maxRssKb);
        }
    }
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }
    if (!ok)
        return false;

    for (const Program &program : programs) {
        const QString suffix = QStringLiteral("%1.%2.%3")
                                   .arg(platform)
                                   .arg(height)
                                   .arg(QString::fromLatin1(program.name));
        out << program.times.resultLine(QStringLiteral("start.") + suffix, m_pinning) << Qt::endl;
        out << program.memory.resultLine(QStringLiteral("memory.") + suffix, m_pinning) << Qt::endl;
    }
    return true;
}
