// SPDX-License-Identifier: GPL-3.0-or-later

#include "udplistener.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QUdpSocket>
#include <optional>

namespace {

// Datagrams handled in one go before the event loop gets a turn, so that a flood cannot
// freeze the window.
constexpr int MaxDatagramsPerPass = 64;

QString bindErrorText(const QUdpSocket &socket)
{
    if (socket.error() == QAbstractSocket::AddressInUseError)
        return QStringLiteral("Could not bind socket. Address and port are already in use.");
    return QStringLiteral("Could not bind socket. %1").arg(socket.errorString());
}

bool meansNoIPv6(QAbstractSocket::SocketError error)
{
    return error == QAbstractSocket::UnsupportedSocketOperationError
        || error == QAbstractSocket::SocketAddressNotAvailableError;
}

// Windows reports a datagram longer than the buffer as an error, after which Qt cannot always
// say how much it read (under Wine a long one reads as empty, like a real empty datagram).
// There the size is asked first.
#ifdef Q_OS_WIN
constexpr bool askSizeFirst = true;
#else
constexpr bool askSizeFirst = false;
#endif

// False once the socket is empty. A socket counts as empty only after a read has found
// nothing: that read re-arms the read notifier, which QUdpSocket keeps off after a readyRead
// until the next read, also when that readyRead came too late to find anything.
// One byte more than the buffer holds is read, so that a longer datagram shows as such and is
// dropped; asking for its size first would cost a second system call on every read.
bool takeDatagram(QUdpSocket &socket, std::optional<QByteArray> &bytes)
{
    bytes.reset();
    if (askSizeFirst && socket.pendingDatagramSize() > UdpListener::BufferSize)
        return socket.readDatagram(nullptr, 0) >= 0;
    QByteArray buffer(UdpListener::BufferSize + 1, Qt::Uninitialized);
    const qint64 received = socket.readDatagram(buffer.data(), buffer.size());
    if (received < 0)
        return false;
    if (received <= UdpListener::BufferSize) {
        buffer.truncate(received);
        bytes = std::move(buffer);
    }
    return true;
}

} // namespace

UdpListener::UdpListener(QObject *parent, quint16 port)
    : QObject(parent)
    , m_port(port)
{ }

bool UdpListener::setActive(bool active)
{
    if (active == m_active)
        return true;
    if (active)
        return open();
    close();
    return true;
}

bool UdpListener::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

quint16 UdpListener::localPort() const
{
    return m_sockets.isEmpty() ? 0 : m_sockets.first()->localPort();
}

// Without ShareAddress and ReuseAddressHint Qt clears SO_REUSEADDR, so a second copy of the
// program cannot bind the same port. Qt makes every UDP socket broadcast-capable itself.
bool UdpListener::open()
{
    const auto failBind = [this](QUdpSocket *socket) {
        const QString text = bindErrorText(*socket);
        delete socket;
        qDeleteAll(m_sockets);
        m_sockets.clear();
        return fail(text);
    };

    // Discovery never goes through a proxy: without this, a bind asks the proxy settings
    // and leaves the toolkit's proxy look-up thread running for the program's life.
    auto *ipv4 = new QUdpSocket(this);
    ipv4->setProxy(QNetworkProxy::NoProxy);
    if (!ipv4->bind(QHostAddress::AnyIPv4, m_port, QAbstractSocket::DontShareAddress))
        return failBind(ipv4);
    m_sockets.append(ipv4);

    // Qt binds the IPv6 any-address as IPv6-only, so it can share the port number.
    auto *ipv6 = new QUdpSocket(this);
    ipv6->setProxy(QNetworkProxy::NoProxy);
    if (ipv6->bind(QHostAddress::AnyIPv6, ipv4->localPort(), QAbstractSocket::DontShareAddress))
        m_sockets.append(ipv6);
    else if (meansNoIPv6(ipv6->error()))
        delete ipv6;
    else
        return failBind(ipv6);

    // Handlers run from a queued call, never inside the socket's own readyRead().
    for (QUdpSocket *socket : std::as_const(m_sockets))
        connect(socket, &QUdpSocket::readyRead, this, &UdpListener::scheduleDelivery);
    m_active = true;
    ++m_generation;
    return true;
}

void UdpListener::close()
{
    qDeleteAll(m_sockets);
    m_sockets.clear();
    m_active = false;
    ++m_generation;
}

bool UdpListener::send(const QByteArray &payload, const QHostAddress &to, quint16 port)
{
    if (!m_active)
        return fail(QStringLiteral("The discovery listener is not active."));
    QUdpSocket *socket = m_sockets.first();
    const qint64 sent = socket->writeDatagram(payload, to, port);
    if (sent < 0)
        return fail(QStringLiteral("Could not send datagram. %1").arg(socket->errorString()));
    if (sent != payload.size())
        return fail(QStringLiteral("Datagram sent incompletely."));
    return true;
}

void UdpListener::hold()
{
    ++m_holds;
}

void UdpListener::release()
{
    if (m_holds == 0)
        return;
    // Only when a pass found datagrams waiting while held: a pass for nothing would cost
    // a wakeup and an empty read per socket on every tick and every tap.
    if (--m_holds == 0 && m_active && m_waitingWhileHeld)
        scheduleDelivery();
}

void UdpListener::scheduleDelivery()
{
    if (m_deliveryScheduled)
        return;
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &UdpListener::deliverPending, Qt::QueuedConnection);
}

// Nothing is read while the listener is held: QUdpSocket then leaves its read notifier off,
// and the datagrams wait in the socket buffer.
void UdpListener::deliverPending()
{
    m_deliveryScheduled = false;
    m_waitingWhileHeld = false;
    const quint64 generation = m_generation;
    int budget = MaxDatagramsPerPass;
    QList<QUdpSocket *> undrained = m_sockets;
    while (!undrained.isEmpty()) {
        for (qsizetype i = 0; i < undrained.size();) {
            if (m_generation != generation)
                return;
            if (m_holds > 0) {
                m_waitingWhileHeld = true;
                return;
            }
            if (budget-- == 0) {
                scheduleDelivery();
                return;
            }
            std::optional<QByteArray> bytes;
            if (!takeDatagram(*undrained.at(i), bytes)) {
                undrained.removeAt(i);
                continue;
            }
            ++i;
            if (!bytes)
                continue;

            // Held while the handler runs: a modal box inside it must not see a second one.
            ++m_holds;
            emit datagramReceived(*bytes);
            --m_holds;
            if (m_generation != generation && m_active && m_holds == 0)
                scheduleDelivery();
        }
    }
}
