// SPDX-License-Identifier: GPL-3.0-or-later

#include "commandchannel.h"

#include "intconv.h"
#include "replyframer.h"
#include "tcpclient.h"
#include "wireformat.h"

#include <QDeadlineTimer>
#include <utility>

CommandChannel::CommandChannel(QObject *parent, int replyWaitMs, int connectTimeoutMs)
    : QObject(parent)
    , m_client(new TcpClient(this, connectTimeoutMs))
    , m_replyWaitMs(replyWaitMs)
{
    // A new connection owes nothing: what the last one still owed will never come.
    connect(m_client, &TcpClient::connected, this, &CommandChannel::forgetEarlierCommands);
    connect(m_client, &TcpClient::connected, this, &CommandChannel::connected);
    connect(m_client, &TcpClient::disconnected, this, &CommandChannel::disconnected);
}

void CommandChannel::forgetEarlierCommands()
{
    m_repliesOwed = 0;
    m_lateRefusal.reset();
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
    forgetEarlierCommands();
}

// Replies are matched to commands by their order alone. A command whose wait ran out still
// owes its reply, and the next lines to come are those replies, not the answer to whatever is
// sent next. A late "ok" is dropped; a late refusal is a refusal all the same, reported at the
// next send in place of sending, since the command it answers has long been reported accepted.
// A line the server sends unasked is dropped or reported in the same way.
void CommandChannel::takeLateReply(const QString &text)
{
    if (!WireFormat::isAcceptedReply(text) && !m_lateRefusal)
        m_lateRefusal = text;
}

void CommandChannel::countReplyTaken()
{
    if (m_repliesOwed > 0)
        --m_repliesOwed;
}

std::optional<CommandChannel::Outcome> CommandChannel::takeEarlierReplies()
{
    for (;;) {
        if (m_lateRefusal) {
            m_lastReply = *std::exchange(m_lateRefusal, std::nullopt);
            return Outcome::Refused;
        }
        ReplyFramer::Result line = m_client->takeBufferedLine();
        switch (line.status) {
        case ReplyFramer::Status::Incomplete:
            return std::nullopt;
        case ReplyFramer::Status::TooLong:
            countReplyTaken();
            m_error = QStringLiteral("Reply line too long.");
            return Outcome::LinkLost;
        case ReplyFramer::Status::Line:
            countReplyTaken();
            takeLateReply(line.text);
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
    // A line begun before the command went out, completed after it, answers something earlier:
    // an owed reply, or else a line sent unasked.
    bool unaskedLineOpen = m_repliesOwed == 0 && m_client->hasBufferedBytes();
    if (!m_client->writeLine(command, deadline))
        return Outcome::LinkLost;
    ++m_repliesOwed;
    for (;;) {
        const TcpClient::ReadResult reply = m_client->readLine(deadline);
        if (reply.status == TcpClient::ReadStatus::Failed) {
            // A line too long still ends one reply; after any other failure the connection
            // is gone, and with it what it owed.
            if (!std::exchange(unaskedLineOpen, false))
                countReplyTaken();
            return Outcome::LinkLost;
        }
        // A reply wait that merely ran out confirms nothing, and the reply is still owed.
        if (reply.status == TcpClient::ReadStatus::TimedOut)
            return Outcome::Accepted;
        if (std::exchange(unaskedLineOpen, false)) {
            takeLateReply(reply.text);
            continue;
        }
        countReplyTaken();
        if (m_repliesOwed > 0) {
            takeLateReply(reply.text);
            continue;
        }
        m_lastReply = reply.text;
        if (!WireFormat::isAcceptedReply(m_lastReply))
            return Outcome::Refused;
        return m_lastReply == u"ok" ? Outcome::Confirmed : Outcome::Accepted;
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
