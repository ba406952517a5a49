// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "discovery.h"

#include <QObject>
#include <QString>

class CommandChannel;

// Where the ZP server is, for all the tablets: the address saved in ZP.INI, then what the
// network's search announces, as the keypad finds it. When the search's port is taken, as
// it is while a desktop keypad runs on this machine, the saved address stands alone and the
// status says so.
class ServerFinder : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString settingsPath; // ZP.INI
        // An address given on the command line: no search.
        QString fixedHost;
        QString fixedPort;
        Discovery::Options discovery;
    };

    explicit ServerFinder(const Options &options, QObject *parent = nullptr);

    void start();
    // A tablet lost its link: search the network again, when this machine can.
    void searchAgain();

    QString host() const { return m_host; }
    QString portText() const { return m_port; }
    QString status() const { return m_status; }

signals:
    void addressChanged(const QString &host, const QString &portText);
    void statusChanged(const QString &status);

private:
    void setStatus(const QString &status);

    Options m_options;
    CommandChannel *m_probe = nullptr;
    Discovery *m_discovery = nullptr;
    QString m_host;
    QString m_port;
    QString m_status;
};
