// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandchannel.h"

#include "intconv.h"
#include "replyframer.h"
#include "tcpclient.h"
#include "wireformat.h"

#include <QDeadlineTimer>

CommandChannel::CommandChannel(QObject *parent, int replyWaitMs, int connectTimeoutMs)
    : QObject(parent)
    , m_client(new TcpClient(this, connectTimeoutMs))
    , m_replyWaitMs(replyWaitMs)
{
    connect(m_client, &TcpClient::connected, this, &CommandChannel::connected);
    connect(m_client, &TcpClient::disconnected, this, &CommandChannel::disconnected);
}

bool CommandChannel::isConnected()
{
    return m_client->connectedTest();
}

CommandChannel::ConnectResult CommandChannel::connectTo(
    const QString &host, const QString &portText)
{
    m_error.clear();
    m_client->setHost(host);
    const std::optional<qint32> port = strToInt(portText);
    if (!port) {
        m_error = invalidIntegerMessage(portText);
    } else if (*port < 1 || *port > 65535) {
        // Cut to 16 bits, a mistyped or forged port would lead to some other server.
        m_error = QStringLiteral("Port %1 is out of range (1 to 65535).").arg(*port);
    } else {
        m_client->setPort(quint16(*port));
        if (m_client->connectToServer())
            return ConnectResult::Connected;
    }
    return isConnected() ? ConnectResult::AlreadyConnected : ConnectResult::Failed;
}

void CommandChannel::disconnectFromServer()
{
    m_client->disconnectFromServer();
}

// Lines that are here before a command goes out answer earlier commands: a reply that came
// after its wait had run out, or a line the server sent unasked. None of them may be taken as
// the new command's answer. A late "ok" is dropped; a late refusal is a refusal all the same,
// and is reported before the new command is sent.
std::optional<CommandChannel::Outcome> CommandChannel::takeEarlierReplies()
{
    for (;;) {
        const ReplyFramer::Result line = m_client->takeBufferedLine();
        switch (line.status) {
        case ReplyFramer::Status::Incomplete:
            return std::nullopt;
        case ReplyFramer::Status::TooLong:
            m_error = QStringLiteral("Reply line too long.");
            return Outcome::LinkLost;
        case ReplyFramer::Status::Line:
            if (!WireFormat::isAcceptedReply(line.text)) {
                m_lastReply = line.text;
                return Outcome::Refused;
            }
            break;
        }
    }
}

CommandChannel::Outcome CommandChannel::send(QStringView command)
{
    m_error.clear();
    m_lastReply.clear();
    m_lastOutcome = exchange(command);
    return m_lastOutcome;
}

CommandChannel::Outcome CommandChannel::exchange(QStringView command)
{
    if (!isConnected())
        return Outcome::NotConnected;
    if (const std::optional<Outcome> earlier = takeEarlierReplies())
        return *earlier;

    // The write and the reply share one bound, so that no tap waits longer than it.
    const QDeadlineTimer deadline(m_replyWaitMs);
    // A line begun before the command went out, completed after it, is an earlier answer too.
    bool earlierLineOpen = m_client->hasBufferedBytes();
    if (!m_client->writeLine(command, deadline))
        return Outcome::LinkLost;
    for (;;) {
        const TcpClient::ReadResult reply = m_client->readLine(deadline);
        if (reply.status == TcpClient::ReadStatus::Failed)
            return Outcome::LinkLost;
        // A reply wait that merely ran out confirms nothing.
        if (reply.status == TcpClient::ReadStatus::TimedOut)
            return Outcome::Accepted;
        m_lastReply = reply.text;
        if (!WireFormat::isAcceptedReply(m_lastReply))
            return Outcome::Refused;
        if (!earlierLineOpen)
            return m_lastReply == u"ok" ? Outcome::Confirmed : Outcome::Accepted;
        earlierLineOpen = false;
        m_lastReply.clear();
    }
}

bool CommandChannel::writeRawLine(QStringView text)
{
    m_error.clear();
    return m_client->writeLine(text, QDeadlineTimer(m_replyWaitMs));
}

QString CommandChannel::errorString() const
{
    return m_error.isEmpty() ? m_client->errorString() : m_error;
}
