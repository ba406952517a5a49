#include "commandchannel.h"

#include "intconv.h"
#include "tcpclient.h"
#include "wireformat.h"

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

CommandChannel::Outcome CommandChannel::send(QStringView command)
{
    m_error.clear();
    m_lastReply.clear();
    if (!isConnected())
        return m_lastOutcome = Outcome::NotConnected;
    if (!m_client->writeLine(command))
        return m_lastOutcome = Outcome::LinkLost;
    const std::optional<QString> reply = m_client->readLine(m_replyWaitMs);
    if (!reply)
        return m_lastOutcome = Outcome::LinkLost;
    m_lastReply = *reply;
    if (!WireFormat::isAcceptedReply(m_lastReply))
        return m_lastOutcome = Outcome::Refused;
    // A reply wait that merely ran out confirms nothing.
    return m_lastOutcome = m_lastReply == u"ok" ? Outcome::Confirmed : Outcome::Accepted;
}

bool CommandChannel::writeRawLine(QStringView text)
{
    m_error.clear();
    return m_client->writeLine(text);
}

QString CommandChannel::errorString() const
{
    return m_error.isEmpty() ? m_client->errorString() : m_error;
}
