// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "linkdefaults.h"
#include "replyframer.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <optional>

class QTcpSocket;

// The keypad's one TCP connection to the ZP server. Every operation blocks the calling
// thread, within a bound: the design sends a command and checks its reply before the
// press is finished.
class TcpClient : public QObject
{
    Q_OBJECT

public:
    explicit TcpClient(
        QObject *parent = nullptr, int connectTimeoutMs = LinkDefaults::ConnectTimeoutMs);
    ~TcpClient() override;

    void setHost(const QString &host) { m_host = host; }
    QString host() const { return m_host; }
    void setPort(quint16 port) { m_port = port; }
    quint16 port() const { return m_port; }

    // Connects to host:port; emits connected() before it returns. False, with the reason in
    // errorString(), when the connection is already open, the host is empty or unknown, the
    // port is 0, or the server cannot be reached within the time limit.
    bool connectToServer();

    // True while the connection is open, and while received bytes remain unread after the
    // server has closed. Takes in what the socket holds first, without waiting, and closes
    // this side when it finds the server gone or flooding (without emitting disconnected()).
    bool connectedTest();

    // The oldest complete line among the bytes already taken in; no read.
    ReplyFramer::Result takeBufferedLine() { return m_input.takeLine(); }
    // Whether bytes of a line not yet complete have been taken in.
    bool hasBufferedBytes() const { return !m_input.isEmpty(); }

    // Writes the text and CR LF in one write, handed to the system by the deadline. False
    // when the connection is not open or the write fails; a line the system did not take
    // whole closes the connection, since the next line would be appended to its fragment.
    bool writeLine(QStringView text, QDeadlineTimer deadline);

    enum class ReadStatus { Line, TimedOut, Failed };
    struct ReadResult
    {
        ReadStatus status;
        QString text;
    };
    // The oldest complete reply line, waiting for it until the deadline. Failed on a line
    // that is too long, a socket error, a close by the server with no complete line left,
    // or a flood, which also closes the connection.
    ReadResult readLine(QDeadlineTimer deadline);

    // Drops the received bytes not read yet; closes an open connection and emits
    // disconnected(), and does nothing more otherwise.
    void disconnectFromServer();

    // Why the last operation that reported a failure failed, for logs and tests.
    QString errorString() const { return m_error; }

    static constexpr qsizetype ReadChunk = 16384;
    // The most received bytes ever kept: a reply line at its longest, and one read. A server
    // that has sent more than that without being asked floods the connection.
    static constexpr qsizetype MaxPending = ReplyFramer::MaxLineLength + ReadChunk;

signals:
    void connected();
    void disconnected();

private:
    bool fail(const QString &reason);
    bool takeIn();
    void abort();
    std::optional<QString> resolveIPv4(int timeoutMs);

    QTcpSocket *m_socket;
    ReplyFramer m_input;
    QString m_host;
    quint16 m_port = LinkDefaults::ServerPort;
    QString m_error;
    int m_connectTimeoutMs;
    bool m_open = false;
};
