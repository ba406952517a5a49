// SPDX-License-Identifier: GPL-3.0-or-later
#include "tabletsession.h"

#include "controlnames.h"
#include "keypadsession.h"
#include "layout.h"
#include "pressrules.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray message(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

TabletSession::TabletSession(const KeypadSession::Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
{
    m_options.discovery = std::nullopt;
}

void TabletSession::start(const QString &host, const QString &portText)
{
    // Without a search of its own the model asks zp-webpad's, through searchWanted().
    m_session = new KeypadSession(m_options, this);
    m_session->start();

    connect(m_session, &KeypadSession::panelShownChanged, this, &TabletSession::stateChanged);
    connect(m_session, &KeypadSession::screenChanged, this, &TabletSession::stateChanged);
    connect(m_session, &KeypadSession::checkedChanged, this, &TabletSession::stateChanged);
    connect(m_session, &KeypadSession::addressChanged, this, &TabletSession::stateChanged);
    connect(m_session, &KeypadSession::connectedChanged, this, [this](bool connected) {
        stateChanged();
        emit linkChanged(connected);
    });
    connect(m_session, &KeypadSession::flashed, this, [this](const QString &control) {
        emit outgoing(message({{"t", "flash"}, {"name", control}}));
    });
    connect(m_session, &KeypadSession::message, this, [this](const QString &text) {
        emit outgoing(message({{"t", "message"}, {"text", text}}));
    });
    connect(m_session, &KeypadSession::logLine, this, [this](const QString &line) {
        emit outgoing(message({{"t", "log"}, {"line", line}}));
    });
    connect(m_session, &KeypadSession::searchWanted, this, &TabletSession::serverWanted);
    connect(m_session, &KeypadSession::closeRequested, this, &TabletSession::closeRequested);

    emit outgoing(state());
    connectTo(host, portText);
}

void TabletSession::press(const QString &control)
{
    if (m_session)
        m_session->press(control);
}

void TabletSession::connectTo(const QString &host, const QString &portText)
{
    if (!m_session || m_session->isConnected())
        return;
    m_session->setAddress(host, portText);
    stateChanged();
    if (!m_session->connectToServer())
        emit serverWanted();
}

// A press changes several panels one after the other; the page gets them as one state.
void TabletSession::stateChanged()
{
    if (m_statePending)
        return;
    m_statePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_statePending = false;
            emit outgoing(state());
        },
        Qt::QueuedConnection);
}

QByteArray TabletSession::state() const
{
    QJsonObject shown;
    QJsonObject alternates;
    for (const Layout::Row &row : Layout::rows()) {
        if (row.kind == Layout::Kind::Panel) {
            const QString name = QString::fromLatin1(row.name);
            shown.insert(name, m_session->isShown(name));
        }
    }
    for (const PressRules::TogglePair &pair : PressRules::togglePairs()) {
        const QString toggle = QString::fromLatin1(pair.toggle);
        alternates.insert(toggle, *m_session->alternateShown(toggle));
    }
    const bool connected = m_session->isConnected();
    return message({
        {"t", "state"},
        {"screen", m_session->screen()},
        {"shown", shown},
        {"alternates", alternates},
        {"checked", m_session->isChecked()},
        {"connected", connected},
        {"connectedText", ControlNames::connectionDescription(connected)},
        {"host", m_session->host()},
        {"port", m_session->portText()},
    });
}
