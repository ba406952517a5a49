#include "tcpclient.h"

#include "wireformat.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <future>
#include <memory>
#include <thread>

TcpClient::TcpClient(QObject *parent, int connectTimeoutMs)
    : QObject(parent)
    , m_socket(new QTcpSocket(this))
    , m_connectTimeoutMs(connectTimeoutMs)
{
    // The server is on the same network: straight there, and without asking the proxy
    // settings on every connect.
    m_socket->setProxy(QNetworkProxy::NoProxy);
}

TcpClient::~TcpClient()
{
    // The window closes an open connection without running the disconnect handler.
    m_socket->abort();
}

bool TcpClient::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

std::optional<QString> TcpClient::resolveIPv4(int timeoutMs)
{
    QHostAddress literal;
    if (literal.setAddress(m_host) && literal.protocol() == QAbstractSocket::IPv4Protocol)
        return literal.toString();

    // A name lookup can hang for many seconds on a broken network; it runs on a thread of
    // its own so that the wait stays within the connect's time limit.
    auto promise = std::make_shared<std::promise<QHostInfo>>();
    std::future<QHostInfo> result = promise->get_future();
    std::thread([promise, host = m_host] {
        promise->set_value(QHostInfo::fromName(host));
    }).detach();
    if (result.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
        fail(QStringLiteral("Host lookup timed out: %1").arg(m_host));
        return std::nullopt;
    }

    const QHostInfo info = result.get();
    for (const QHostAddress &address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address.toString();
    }
    fail(QStringLiteral("Host not found: %1").arg(m_host));
    return std::nullopt;
}

bool TcpClient::connectToServer()
{
    // A connection the server has closed in the meantime is not open any more: the connected
    // test notices that, and a new connection may be made.
    connectedTest();
    if (m_open)
        return fail(QStringLiteral("Already connected."));
    if (m_host.isEmpty())
        return fail(QStringLiteral("Host is empty."));
    if (m_port == 0)
        return fail(QStringLiteral("Port is 0."));

    // The name lookup and the connect share one time limit.
    QDeadlineTimer deadline(m_connectTimeoutMs);
    const std::optional<QString> address = resolveIPv4(int(deadline.remainingTime()));
    if (!address)
        return false;

    m_socket->abort();
    m_input.clear();
    // Unbuffered: a line goes to the system in the write call itself, and a reply is read
    // straight from the socket, without extra copies and waits on the press path.
    m_socket->connectToHost(
        QHostAddress(*address), m_port, QIODevice::ReadWrite | QIODevice::Unbuffered);
    if (!m_socket->waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
        const QString reason = m_socket->errorString();
        m_socket->abort();
        m_open = false;
        return fail(reason);
    }
    m_open = true;
    emit connected();
    return true;
}

void TcpClient::takeIn()
{
    // One read per call as long as the bytes fit: reading on until the socket reports it has
    // nothing left would cost a second system call on every reply.
    char chunk[ReadChunk];
    for (;;) {
        const qint64 got = m_socket->read(chunk, ReadChunk);
        if (got <= 0)
            return;
        m_input.append(QByteArrayView(chunk, got));
        if (got < ReadChunk)
            return;
    }
}

bool TcpClient::connectedTest()
{
    if (m_open) {
        // Unbuffered, a read goes to the socket itself and so also finds a close.
        takeIn();
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            m_socket->abort();
            m_open = false;
        }
    }
    return m_open || !m_input.isEmpty();
}

bool TcpClient::writeLine(QStringView text)
{
    if (!m_open || m_socket->state() != QAbstractSocket::ConnectedState)
        return fail(QStringLiteral("Not connected."));

    const QByteArray line = WireFormat::encodeCommandLine(text);
    if (m_socket->write(line) != line.size())
        return fail(m_socket->errorString());
    // Hand the whole line to the system at once: a line split over two sends waits for the
    // server's acknowledgement in between.
    QDeadlineTimer deadline(m_connectTimeoutMs);
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
            return fail(m_socket->errorString());
    }
    return true;
}

std::optional<QString> TcpClient::readLine(int waitMs)
{
    QDeadlineTimer deadline(waitMs);
    for (;;) {
        takeIn();
        const ReplyFramer::Result line = m_input.takeLine();
        if (line.status == ReplyFramer::Status::Line)
            return line.text;
        if (line.status == ReplyFramer::Status::TooLong) {
            fail(QStringLiteral("Reply line too long."));
            return std::nullopt;
        }
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            fail(QStringLiteral("Connection closed by the server."));
            return std::nullopt;
        }
        if (deadline.hasExpired())
            return QString();
        if (!m_socket->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (m_socket->state() == QAbstractSocket::ConnectedState
                && m_socket->error() != QAbstractSocket::SocketTimeoutError) {
                fail(m_socket->errorString());
                return std::nullopt;
            }
        }
    }
}

void TcpClient::disconnectFromServer()
{
    // Bytes left over from the connection, whichever side closed it, would make the connected
    // test answer true, and the button would disconnect again instead of connecting.
    m_input.clear();
    if (!m_open)
        return;
    m_open = false;
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->disconnectFromHost();
    m_socket->abort();
    emit disconnected();
}
