#pragma once

#include "linkdefaults.h"
#include "replyframer.h"

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
    // this side when it finds the server gone (without emitting disconnected()).
    bool connectedTest();

    // Writes the text and CR LF in one write. False when the connection is not open or the
    // write fails.
    bool writeLine(QStringView text);

    // The oldest complete reply line; the empty text when none arrives within waitMs.
    // Nothing on a line that is too long, a socket error, or a close by the server with no
    // complete line left.
    std::optional<QString> readLine(int waitMs);

    // Drops the received bytes not read yet; closes an open connection and emits
    // disconnected(), and does nothing more otherwise.
    void disconnectFromServer();

    // Why the last operation that reported a failure failed, for logs and tests.
    QString errorString() const { return m_error; }

signals:
    void connected();
    void disconnected();

private:
    static constexpr qint64 ReadChunk = 16384;

    bool fail(const QString &reason);
    void takeIn();
    std::optional<QString> resolveIPv4(int timeoutMs);

    QTcpSocket *m_socket;
    ReplyFramer m_input;
    QString m_host;
    quint16 m_port = LinkDefaults::ServerPort;
    QString m_error;
    int m_connectTimeoutMs;
    bool m_open = false;
};
