// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "linkdefaults.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct StandInOptions
{
    quint16 port = LinkDefaults::ServerPort;
    quint16 discoveryPort = LinkDefaults::DiscoveryRequestPort;
    bool discovery = true;
    // Without it the host text is the address of the interface facing the requester.
    std::optional<QString> announce;
    QList<QByteArray> refused;
    QByteArray reply = "ok";
    bool silent = false;
    int delayMs = 0;
    int closeAfter = 0;
    int oversizedAfter = 0;
    bool quiet = false;

    bool operator==(const StandInOptions &) const = default;
};

struct StandInArguments
{
    enum class Outcome { Run, Help, Error };

    Outcome outcome = Outcome::Run;
    StandInOptions options;
    // The help text for Help, a one-line error for Error.
    QString message;
};

// arguments as QCoreApplication::arguments() gives them, the program name first.
StandInArguments parseStandInArguments(const QStringList &arguments);
