#pragma once

#include "replyframer.h"

#include <QObject>
#include <QString>

class QTcpSocket;

// The keypad's one TCP connection to the ZP server. Every operation blocks the calling
// thread, within a bound: the design sends a command and checks its reply before the
// press is finished.
class TcpClient : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultConnectTimeoutMs = 3000;

    explicit TcpClient(QObject *parent = nullptr, int connectTimeoutMs = DefaultConnectTimeoutMs);
    ~TcpClient() override;

    void setHost(const QString &host) { m_host = host; }
    QString host() const { return m_host; }
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }

    // Connects to host:port; emits connected() before it returns. Throws LinkError when the
    // connection is already open, the host is empty or unknown, the port is 0, or the
    // server cannot be reached within the time limit.
    void connectToServer();

    // True while the connection is open, and while received bytes remain unread after the
    // server has closed. Takes in what the socket holds first, without waiting, and closes
    // this side when it finds the server gone (without emitting disconnected()).
    bool connectedTest();

    // Writes the text and CR LF in one write. Throws LinkError when the connection is not
    // open or the write fails.
    void writeLine(QStringView text);

    // The oldest complete reply line; the empty text when none arrives within waitMs.
    // Throws LinkError on a line that is too long, a socket error, or a close by the server
    // with no complete line left.
    QString readLine(int waitMs);

    // Drops the received bytes not read yet; closes an open connection and emits
    // disconnected(), and does nothing more otherwise.
    void disconnectFromServer();

    bool isOpen() const { return m_open; }

signals:
    void connected();
    void disconnected();

private:
    static constexpr qint64 ReadChunk = 16384;

    void takeIn();
    QString resolveIPv4(int timeoutMs) const;

    QTcpSocket *m_socket;
    ReplyFramer m_input;
    QString m_host;
    quint16 m_port = 6000;
    int m_connectTimeoutMs;
    bool m_open = false;
};
