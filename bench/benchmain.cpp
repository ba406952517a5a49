// SPDX-License-Identifier: GPL-3.0-or-later

#include "artwork.h"
#include "discoverybench.h"
#include "layout.h"
#include "redrawbench.h"
#include "report.h"
#include "roundtripbench.h"
#include "startbench.h"
#include "xtapbench.h"
#include "zpapplication.h"

#include <QDir>
#include <QFile>
#include <QSize>
#include <QThread>

namespace {

struct Counts
{
    int roundTrips;
    int presses;
    int redraws1080;
    int redraws2160;
    int discoveries;
    int starts;
    int taps;
};

constexpr Counts FullCounts {200, 10000, 700, 210, 200, 30, 200};
constexpr Counts QuickCounts {20, 1000, 70, 21, 40, 6, 20};

int usage(QTextStream &err)
{
    err << "usage: zp-bench roundtrip|redraw|discovery PINNING [--quick]\n"
           "       zp-bench start PINNING xcb|offscreen [--quick]\n"
           "       zp-bench xtap PINNING IDLE_SECONDS [--quick]\n"
           "       zp-bench info\n"
           "       zp-bench report RESULT_FILE\n";
    return 2;
}

QString cpuModel()
{
    QFile file(QStringLiteral("/proc/cpuinfo"));
    // The file's size reads as 0, so it is read whole rather than line by line.
    const QList<QByteArray> lines
        = file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray> {};
    for (const QByteArray &line : lines) {
        if (line.startsWith("model name"))
            return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
    }
    return QStringLiteral("unknown");
}

void printInfo(QTextStream &out)
{
    int pictures = 0;
    int withArtwork = 0;
    for (const Layout::Row &row : Layout::rows()) {
        if (row.kind != Layout::Kind::Image)
            continue;
        ++pictures;
        if (Artwork::exists(QString::fromLatin1(row.name)))
            ++withArtwork;
    }
    out << "info CPU: " << cpuModel() << ", " << QThread::idealThreadCount() << " logical CPUs"
        << Qt::endl;
    out << "info Qt " << qVersion() << ", " << ZP_BENCH_BUILD_TYPE << " build" << Qt::endl;
    out << "info chart pictures with artwork: " << withArtwork << " of " << pictures << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    // The bench's own windows never need a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ZpApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool quick = arguments.removeAll(QStringLiteral("--quick")) > 0;
    const Counts counts = quick ? QuickCounts : FullCounts;
    if (arguments.isEmpty())
        return usage(err);

    const QString command = arguments.first();
    const QString directory = QCoreApplication::applicationDirPath();
    const QString peer = QDir(directory).filePath(QStringLiteral("zp-bench-peer"));

    if (command == u"info" && arguments.size() == 1) {
        printInfo(out);
        return 0;
    }
    if (command == u"report" && arguments.size() == 2) {
        QFile file(arguments.at(1));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return usage(err);
        Report report;
        while (!file.atEnd())
            report.addLine(QString::fromUtf8(file.readLine()));
        out << report.markdown();
        return 0;
    }
    if (command == u"discovery-keypad" && arguments.size() == 2)
        return DiscoveryBench::runKeypad(arguments.at(1).toUShort());
    if (arguments.size() < 2)
        return usage(err);

    const QString pinning = arguments.at(1);
    bool ok = false;
    if (command == u"roundtrip" && arguments.size() == 2) {
        ok = RoundTripBench(peer, pinning, {counts.roundTrips, counts.presses}).run(out);
    } else if (command == u"redraw" && arguments.size() == 2) {
        ok = RedrawBench(pinning, counts.redraws1080).run(out, 1920, 1080);
        ok = RedrawBench(pinning, counts.redraws2160).run(out, 3840, 2160) && ok;
    } else if (command == u"discovery" && arguments.size() == 2) {
        ok = DiscoveryBench(
            QCoreApplication::applicationFilePath(), peer, pinning, counts.discoveries)
                 .run(out);
    } else if (command == u"xtap" && arguments.size() == 3) {
        ok = XTapBench(QDir(directory).filePath(QStringLiteral("zp-bench-tapwindow")), pinning,
            counts.taps, arguments.at(2).toInt())
                 .run(out);
    } else if (command == u"start" && arguments.size() == 3) {
        StartBench bench(QDir(directory).filePath(QStringLiteral("zp-bench-start")),
            QDir(directory).filePath(QStringLiteral("zp-bench-bare")), pinning, counts.starts);
        ok = true;
        for (const QSize size : {QSize(1280, 800), QSize(1920, 1080), QSize(3840, 2160)})
            ok = bench.run(out, arguments.at(2), size.width(), size.height()) && ok;
    } else {
        return usage(err);
    }
    return ok ? 0 : 1;
}
