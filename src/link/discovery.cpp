// SPDX-License-Identifier: GPL-3.0-or-later

#include "discovery.h"

#include "commandchannel.h"
#include "discoveryreply.h"
#include "udplistener.h"

#include <QScopedValueRollback>
#include <QTimer>

Discovery::Discovery(CommandChannel *channel, QObject *parent)
    : Discovery(channel, Options {}, parent)
{ }

Discovery::Discovery(CommandChannel *channel, const Options &options, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
    , m_options(options)
    , m_timer(new QTimer(this))
    , m_listener(new UdpListener(this, options.listenPort))
{
    m_timer->setInterval(options.intervalMs);
    connect(m_listener, &UdpListener::datagramReceived, this, &Discovery::datagramReceived);
}

bool Discovery::start()
{
    m_timer->start();
    if (m_listener->setActive(true))
        return true;
    m_timer->stop();
    m_error = m_listener->errorString();
    return false;
}

bool Discovery::isSearching() const
{
    return m_timer->isActive();
}

void Discovery::resume()
{
    if (!m_timer->isActive())
        m_timer->start();
}

void Discovery::stop()
{
    m_timer->stop();
}

void Discovery::tick()
{
    // A tick that falls due while the network message of an earlier tick is open waits for
    // it, rather than stacking a second message.
    if (m_inTick)
        return;
    const QScopedValueRollback inTick(m_inTick, true);
    const Hold hold(*this);
    if (m_listener->setActive(true) && sendRequests())
        return;
    m_error = m_listener->errorString();
    emit networkFailed();
    stop();
}

// An interface can refuse while the others are fine (a network going away, a link without
// carrier): the search goes on as long as the request left by some way.
bool Discovery::sendRequests()
{
    bool sent = false;
    for (const QHostAddress &to : m_options.requestDestinations()) {
        if (m_listener->send(QByteArrayLiteral("zp"), to, m_options.requestPort))
            sent = true;
    }
    return sent;
}

void Discovery::handleReply(const QByteArray &datagram)
{
    const Hold hold(*this);
    // Only a running search takes a reply. Once an attempt has been made the search is over,
    // so the replies that queued up behind its connect and its message, and any that follow,
    // are dropped until the search is restarted: a flood of replies raises one message, not
    // one after another.
    if (!isSearching())
        return;
    const std::optional<DiscoveryReply> reply = splitDiscoveryReply(decodeDiscoveryReply(datagram));
    if (!reply)
        return;
    // Anyone on the network can send a reply. While connected it only ends the search: the
    // fields, and so the settings file, keep the server the keypad is talking to.
    if (m_channel->isConnected()) {
        stop();
        return;
    }
    emit serverAnnounced(reply->host, reply->port);
    stop();
    if (m_channel->connectTo(reply->host, reply->port) == CommandChannel::ConnectResult::Failed)
        emit serverNotFound();
}

void Discovery::restart()
{
    m_listener->setActive(false);
    resume();
}

Discovery::Hold::Hold(const Discovery &discovery)
    : m_listener(discovery.m_listener)
{
    m_listener->hold();
}

Discovery::Hold::~Hold()
{
    m_listener->release();
}
