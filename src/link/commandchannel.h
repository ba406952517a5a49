// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "linkdefaults.h"

#include <QObject>
#include <QString>
#include <optional>

class TcpClient;

// The command protocol over the keypad's one connection: one line per command, one reply
// line checked for each. Every call blocks, within the connect and reply bounds, and says
// what happened in its result; telling the user is the caller's business.
class CommandChannel : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Confirmed, // answered "ok"
        Accepted, // answered with an empty line, or not within the reply wait
        Refused, // answered anything else; the connection is still open
        LinkLost, // the write or the read failed; the connection is left as it is
        NotConnected, // nothing was sent
    };
    Q_ENUM(Outcome)

    enum class ConnectResult {
        Connected,
        AlreadyConnected, // a failed attempt that leaves a connection open: nothing to report
        Failed,
    };
    Q_ENUM(ConnectResult)

    explicit CommandChannel(QObject *parent = nullptr, int replyWaitMs = LinkDefaults::ReplyWaitMs,
        int connectTimeoutMs = LinkDefaults::ConnectTimeoutMs);

    // True while the connection is open, and while received bytes remain unread after the
    // server has closed it. Notices a close by the server and closes this side then,
    // without emitting disconnected().
    bool isConnected();

    // Connects to the host and the port text (an integer from 1 to 65535), within one time
    // limit for the name lookup and the connect together. Emits connected() before it
    // returns Connected.
    ConnectResult connectTo(const QString &host, const QString &portText);

    // Closes an open connection and emits disconnected(); otherwise only drops the bytes
    // left over from the last connection.
    void disconnectFromServer();

    // Sends the command as one line and checks the reply that answers it, the write and the
    // reply within the reply wait. Replies are matched by order: a command whose wait ran out
    // still owes its reply, and that reply, whenever it comes, never counts for a later
    // command. A late "ok" is dropped; a late refusal gives Refused at the next send, and
    // that command is not sent. A server that has sent more than any reply needs, or that
    // takes no more data, has its connection closed: LinkLost, or NotConnected when found
    // before sending.
    Outcome send(QStringView command);

    // Writes one line on the connection as it stands, without a reply check; false when
    // there is no open connection or the write fails.
    bool writeRawLine(QStringView text);

    Outcome lastOutcome() const { return m_lastOutcome; }
    // The reply line the last check read: the refused text after Refused, empty when none.
    QString lastReply() const { return m_lastReply; }
    // Why the last connect, write or read failed, for logs and tests.
    QString errorString() const;

    TcpClient *client() const { return m_client; }

signals:
    void connected();
    void disconnected();

private:
    Outcome exchange(QStringView command);
    std::optional<Outcome> takeEarlierReplies();
    void takeLateReply(const QString &text);
    void countReplyTaken();
    void forgetEarlierCommands();

    TcpClient *m_client;
    int m_replyWaitMs;
    Outcome m_lastOutcome = Outcome::NotConnected;
    QString m_lastReply;
    QString m_error;
    // Commands sent on this connection whose reply line has not been read yet.
    qint64 m_repliesOwed = 0;
    // The first refusal that came too late for its command, not reported yet.
    std::optional<QString> m_lateRefusal;
};
