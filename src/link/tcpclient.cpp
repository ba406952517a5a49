// SPDX-License-Identifier: GPL-3.0-or-later

#include "tcpclient.h"

#include "wireformat.h"

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

// Reads what has arrived, without waiting: one read as long as the bytes fit, since reading
// on until the socket reports it has nothing left would cost a second system call on every
// reply. Never more than MaxPending bytes are kept: one byte beyond them shows a flood, and
// the connection is closed.
bool TcpClient::takeIn()
{
    char chunk[ReadChunk];
    for (;;) {
        const qint64 want = qMin<qint64>(ReadChunk, MaxPending + 1 - m_input.size());
        const qint64 got = m_socket->read(chunk, want);
        if (got <= 0)
            return true;
        m_input.append(QByteArrayView(chunk, got));
        if (m_input.size() > MaxPending) {
            abort();
            return fail(QStringLiteral("The server sent more than any reply needs."));
        }
        if (got < want)
            return true;
    }
}

void TcpClient::abort()
{
    m_socket->abort();
    m_open = false;
    m_input.clear();
}

bool TcpClient::connectedTest()
{
    if (m_open) {
        // Unbuffered, a read goes to the socket itself and so also finds a close.
        if (takeIn() && m_socket->state() != QAbstractSocket::ConnectedState) {
            m_socket->abort();
            m_open = false;
        }
    }
    return m_open || !m_input.isEmpty();
}

bool TcpClient::writeLine(QStringView text, QDeadlineTimer deadline)
{
    if (!m_open || m_socket->state() != QAbstractSocket::ConnectedState)
        return fail(QStringLiteral("Not connected."));

    const QByteArray line = WireFormat::encodeCommandLine(text);
    if (m_socket->write(line) != line.size()) {
        const QString reason = m_socket->errorString();
        abort();
        return fail(reason);
    }
    // Hand the whole line to the system at once: a line split over two sends waits for the
    // server's acknowledgement in between.
    while (m_socket->bytesToWrite() > 0) {
        if (!m_socket->waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())))) {
            // A server that stopped reading. What it has of the line is a fragment that the
            // next line would be appended to: the connection cannot be used any more.
            const QString reason = m_socket->error() == QAbstractSocket::SocketTimeoutError
                ? QStringLiteral("The server takes no more data.")
                : m_socket->errorString();
            abort();
            return fail(reason);
        }
    }
    return true;
}

TcpClient::ReadResult TcpClient::readLine(QDeadlineTimer deadline)
{
    const auto failed = [this](const QString &reason) {
        fail(reason);
        return ReadResult {ReadStatus::Failed, {}};
    };
    // A reply is waited for before it is read: it cannot have come before its command went
    // out, so reading first would find nothing, a system call lost on every tap. On this
    // unbuffered socket the wait returns at once for bytes the system already holds.
    for (;;) {
        ReplyFramer::Result line = m_input.takeLine();
        if (line.status == ReplyFramer::Status::Line)
            return {ReadStatus::Line, std::move(line.text)};
        if (line.status == ReplyFramer::Status::TooLong)
            return failed(QStringLiteral("Reply line too long."));
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return failed(QStringLiteral("Connection closed by the server."));
        if (deadline.hasExpired())
            return {ReadStatus::TimedOut, {}};
        if (!m_socket->waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (m_socket->state() == QAbstractSocket::ConnectedState
                && m_socket->error() != QAbstractSocket::SocketTimeoutError)
                return failed(m_socket->errorString());
        }
        if (!takeIn())
            return {ReadStatus::Failed, {}};
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
