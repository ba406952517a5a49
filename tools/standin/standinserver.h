// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "standinoptions.h"

#include <QHash>
#include <QHostAddress>
#include <QNetworkAddressEntry>
#include <QObject>
#include <QTcpServer>
#include <QUdpSocket>

class QTcpSocket;

class StandInServer : public QObject
{
    Q_OBJECT

public:
    explicit StandInServer(const StandInOptions &options, QObject *parent = nullptr);
    ~StandInServer() override;

    // Binds the TCP port and, unless discovery is off, the UDP port; errorString() says why not.
    bool start();
    // Closes the listeners and every client connection.
    void stop();

    QString errorString() const { return m_error; }
    quint16 tcpPort() const { return m_tcp.serverPort(); }
    // 0 while discovery is off.
    quint16 discoveryPort() const { return m_udp.localPort(); }
    int linesReceived() const { return m_linesReceived; }
    int clientsServed() const { return m_clientsServed; }
    // FNV-1a (64 bits) over every line received, in order of arrival, each without its line
    // end and followed by one LF: a load test compares it with its own to find a line lost,
    // doubled, altered or out of order.
    quint64 linesChecksum() const { return m_linesChecksum; }

    // The host text of a discovery reply: the address, among the IPv4 entries given, whose
    // subnet holds the requester.
    static QString hostFor(
        const QHostAddress &requester, const QList<QNetworkAddressEntry> &entries);

signals:
    // One line of the printed log, time stamp first.
    void logged(const QString &line);

private:
    struct Client
    {
        QString peer;
        int lines = 0;
        bool closing = false;
    };

    void acceptClients();
    void readLines(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &bytes, bool close);
    void dropClient(QTcpSocket *socket);
    QByteArray replyFor(const QByteArray &line, int number) const;
    void readDatagrams();
    void log(const QString &text);

    StandInOptions m_options;
    QTcpServer m_tcp;
    QUdpSocket m_udp;
    QHash<QTcpSocket *, Client> m_clients;
    int m_linesReceived = 0;
    int m_clientsServed = 0;
    quint64 m_linesChecksum = 0xcbf29ce484222325u;
    QString m_error;
};
