// SPDX-License-Identifier: GPL-3.0-or-later
#include "serverfinder.h"

#include "commandchannel.h"
#include "settingsfile.h"

#include <QTimer>

ServerFinder::ServerFinder(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{ }

void ServerFinder::start()
{
    if (!m_options.fixedHost.isEmpty()) {
        m_host = m_options.fixedHost;
        m_port = m_options.fixedPort;
        emit addressChanged(m_host, m_port);
        setStatus(QStringLiteral("ZP server at %1:%2, as given").arg(m_host, m_port));
        return;
    }
    const SettingsFile::Address saved
        = SettingsFile::load(m_options.settingsPath, LinkDefaults::ServerPort);
    m_host = saved.host;
    m_port = saved.port;
    emit addressChanged(m_host, m_port);

    // The search connects a channel of its own to what it finds; the tablets' models make
    // their own connections, so this one only proves the address and is closed again.
    m_probe = new CommandChannel(this);
    m_discovery = new Discovery(m_probe, m_options.discovery, this);
    connect(m_discovery->timer(), &QTimer::timeout, m_discovery, &Discovery::tick);
    connect(m_discovery, &Discovery::datagramReceived, m_discovery, &Discovery::handleReply);
    connect(m_probe, &CommandChannel::connected, this,
        [this] { QTimer::singleShot(0, m_probe, [this] { m_probe->disconnectFromServer(); }); });
    connect(m_discovery, &Discovery::serverAnnounced, this,
        [this](const QString &host, const QString &portText) {
            const bool changed = host != m_host || portText != m_port;
            m_host = host;
            m_port = portText;
            setStatus(QStringLiteral("ZP server found at %1:%2").arg(host, portText));
            if (changed) {
                SettingsFile::save(m_options.settingsPath, portText, host);
                emit addressChanged(host, portText);
            }
        });
    connect(m_discovery, &Discovery::networkFailed, this, [this] {
        setStatus(QStringLiteral("No network to search: trying the saved address %1:%2")
                      .arg(m_host, m_port));
    });

    if (m_discovery->start()) {
        setStatus(QStringLiteral("Searching the network; saved address %1:%2").arg(m_host, m_port));
    } else {
        setStatus(QStringLiteral("Cannot search the network (UDP port %1: %2), as when a keypad "
                                 "runs on this machine: using the saved address %3:%4")
                      .arg(m_options.discovery.listenPort)
                      .arg(m_discovery->errorString(), m_host, m_port));
        delete m_discovery;
        m_discovery = nullptr;
    }
}

void ServerFinder::searchAgain()
{
    if (m_discovery && !m_discovery->isSearching())
        m_discovery->resume();
}

void ServerFinder::setStatus(const QString &status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(status);
}
