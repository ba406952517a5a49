// SPDX-License-Identifier: GPL-3.0-or-later

#include "standinserver.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTime>
#include <QTimer>

namespace {

constexpr qsizetype oversizedLength = 16385;
// The keypad's receive buffer for a discovery reply; anything longer it drops unread.
constexpr qsizetype longestDiscoveryReply = 20;

// Received bytes are shown as they are, except those a terminal would not show plainly.
QString printable(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\')
            text += "\\\\";
        else if (byte >= 0x20 && byte < 0x7F)
            text += QChar(byte);
        else
            text += QString("\\x%1").arg(byte, 2, 16, QChar('0'));
    }
    return text;
}

QString peerOf(const QHostAddress &address, quint16 port)
{
    return QString("%1:%2").arg(address.toString()).arg(port);
}

} // namespace

StandInServer::StandInServer(const StandInOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
    connect(&m_tcp, &QTcpServer::newConnection, this, &StandInServer::acceptClients);
    connect(&m_udp, &QUdpSocket::readyRead, this, &StandInServer::readDatagrams);
}

StandInServer::~StandInServer()
{
    stop();
}

bool StandInServer::start()
{
    // The keypad speaks IPv4 only.
    if (!m_tcp.listen(QHostAddress::AnyIPv4, m_options.port)) {
        m_error = QString("cannot listen on TCP port %1: %2")
                      .arg(m_options.port)
                      .arg(m_tcp.errorString());
        return false;
    }
    if (m_options.discovery
        && !m_udp.bind(
            QHostAddress::AnyIPv4, m_options.discoveryPort, QAbstractSocket::DontShareAddress)) {
        m_error = QString("cannot bind UDP port %1: %2")
                      .arg(m_options.discoveryPort)
                      .arg(m_udp.errorString());
        m_tcp.close();
        return false;
    }
    return true;
}

void StandInServer::stop()
{
    m_tcp.close();
    m_udp.close();
    const QList<QTcpSocket *> sockets = m_clients.keys();
    for (QTcpSocket *socket : sockets) {
        socket->flush();
        socket->close();
        dropClient(socket);
    }
}

QString StandInServer::hostFor(
    const QHostAddress &requester, const QList<QNetworkAddressEntry> &entries)
{
    bool isIPv4 = false;
    const QHostAddress address(requester.toIPv4Address(&isIPv4));
    if (!isIPv4 || address.isLoopback())
        return "127.0.0.1";
    QString fallback;
    for (const QNetworkAddressEntry &entry : entries) {
        const QHostAddress ip = entry.ip();
        if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLoopback())
            continue;
        if (address.isInSubnet(ip, entry.prefixLength()))
            return ip.toString();
        if (fallback.isEmpty())
            fallback = ip.toString();
    }
    return fallback.isEmpty() ? QString("127.0.0.1") : fallback;
}

void StandInServer::acceptClients()
{
    while (QTcpSocket *socket = m_tcp.nextPendingConnection()) {
        Client client;
        client.peer = peerOf(socket->peerAddress(), socket->peerPort());
        m_clients.insert(socket, client);
        ++m_clientsServed;
        log(client.peer + " connected");
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readLines(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (m_clients.contains(socket))
                log(m_clients.value(socket).peer + " disconnected");
            dropClient(socket);
        });
    }
}

void StandInServer::readLines(QTcpSocket *socket)
{
    while (socket->canReadLine()) {
        // Looked up for every line: answering may close the socket and drop its entry.
        const auto found = m_clients.find(socket);
        if (found == m_clients.end() || found->closing)
            return;
        QByteArray line = socket->readLine();
        line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        const int number = ++found->lines;
        const bool close = m_options.closeAfter > 0 && number == m_options.closeAfter;
        found->closing = close;
        ++m_linesReceived;
        for (const char c : line + '\n')
            m_linesChecksum = (m_linesChecksum ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
        log(found->peer + ' ' + printable(line));

        const QByteArray reply = m_options.silent ? QByteArray() : replyFor(line, number);
        if (m_options.delayMs > 0 && !reply.isEmpty())
            QTimer::singleShot(m_options.delayMs, socket,
                [this, socket, reply, close] { answer(socket, reply, close); });
        else
            answer(socket, reply, close);
    }
}

void StandInServer::answer(QTcpSocket *socket, const QByteArray &bytes, bool close)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (!bytes.isEmpty())
        socket->write(bytes);
    if (close) {
        log(m_clients.value(socket).peer + " closing the connection");
        socket->disconnectFromHost();
    }
}

void StandInServer::dropClient(QTcpSocket *socket)
{
    if (m_clients.remove(socket)) {
        // Its remaining signals, up to its destruction, must not reach this server.
        socket->disconnect(this);
        socket->deleteLater();
    }
}

QByteArray StandInServer::replyFor(const QByteArray &line, int number) const
{
    if (m_options.oversizedAfter > 0 && number == m_options.oversizedAfter)
        return QByteArray(oversizedLength, 'x') + "\r\n";
    if (m_options.refused.contains(line))
        return "no\r\n";
    return m_options.reply + "\r\n";
}

void StandInServer::readDatagrams()
{
    while (m_udp.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_udp.receiveDatagram();
        const QString peer
            = "udp " + peerOf(datagram.senderAddress(), quint16(datagram.senderPort()));
        if (datagram.data() != "zp") {
            log(QString("%1 ignored \"%2\"").arg(peer, printable(datagram.data())));
            continue;
        }
        QString host;
        if (m_options.announce) {
            host = *m_options.announce;
        } else {
            QList<QNetworkAddressEntry> entries;
            for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
                if (interface.flags().testFlag(QNetworkInterface::IsUp))
                    entries += interface.addressEntries();
            }
            host = hostFor(datagram.senderAddress(), entries);
        }
        const QByteArray reply = QString("%1m%2").arg(host).arg(tcpPort()).toUtf8();
        m_udp.writeDatagram(reply, datagram.senderAddress(), quint16(datagram.senderPort()));
        QString note;
        if (reply.size() > longestDiscoveryReply)
            note = QString(" (%1 bytes: the keypad drops replies over %2)")
                       .arg(reply.size())
                       .arg(longestDiscoveryReply);
        log(QString("%1 zp, replied %2%3").arg(peer, printable(reply), note));
    }
}

void StandInServer::log(const QString &text)
{
    emit logged(QTime::currentTime().toString("HH:mm:ss.zzz") + ' ' + text);
}
