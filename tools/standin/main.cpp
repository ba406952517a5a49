// SPDX-License-Identifier: GPL-3.0-or-later

#include "signalwatcher.h"
#include "standinoptions.h"
#include "standinserver.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zp-standin");
    QTextStream out(stdout);
    QTextStream err(stderr);

    const StandInArguments arguments = parseStandInArguments(QCoreApplication::arguments());
    if (arguments.outcome == StandInArguments::Outcome::Help) {
        out << arguments.message;
        return 0;
    }
    if (arguments.outcome == StandInArguments::Outcome::Error) {
        err << "zp-standin: " << arguments.message << Qt::endl;
        return 2;
    }

    StandInServer server(arguments.options);
    // Qt::endl flushes, so a watching terminal or script sees each line at once.
    if (!arguments.options.quiet)
        QObject::connect(&server, &StandInServer::logged, &app,
            [&out](const QString &line) { out << line << Qt::endl; });
    if (!server.start()) {
        err << "zp-standin: " << server.errorString() << Qt::endl;
        return 1;
    }
    const QString discovery = arguments.options.discovery
        ? QString("discovery on UDP port %1").arg(server.discoveryPort())
        : QString("discovery off");
    out << "zp-standin: listening on TCP port " << server.tcpPort() << ", " << discovery
        << Qt::endl;

    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &app, &QCoreApplication::quit);
    const int code = app.exec();

    server.stop();
    out << "zp-standin: " << server.linesReceived() << " lines received, " << server.clientsServed()
        << " clients served, lines checksum "
        << QString::number(server.linesChecksum(), 16).rightJustified(16, u'0') << Qt::endl;
    return code;
}
