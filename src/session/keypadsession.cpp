// SPDX-License-Identifier: GPL-3.0-or-later

#include "keypadsession.h"

#include "commandchannel.h"
#include "messages.h"
#include "pressrulerunner.h"
#include "pressrules.h"
#include "presssurface.h"

#include <QScopedValueRollback>
#include <QTimer>
#include <algorithm>
#include <iterator>
#include <utility>

namespace {

using Layout::Handler;
using HandlerMethod = void (KeypadSession::*)(const QString &);

// Every press handler of the layout, by the name a reader of the design looks for.
const std::pair<Handler, HandlerMethod> handlerMethods[] = {
    {Handler::c3Click, &KeypadSession::c3Click},
    {Handler::ft8Click, &KeypadSession::ft8Click},
    {Handler::m1Click, &KeypadSession::m1Click},
    {Handler::o1Click, &KeypadSession::o1Click},
    {Handler::o5Click, &KeypadSession::o5Click},
    {Handler::ark1Click, &KeypadSession::ark1Click},
    {Handler::enallagixronikiagogiClick, &KeypadSession::enallagixronikiagogiClick},
    {Handler::enallagiIsonClick, &KeypadSession::enallagiIsonClick},
    {Handler::enallagiMartyriesClick, &KeypadSession::enallagiMartyriesClick},
    {Handler::CornerButton1Click, &KeypadSession::CornerButton1Click},
    {Handler::enallagifthoresClick, &KeypadSession::enallagifthoresClick},
    {Handler::enallagikatavasiClick, &KeypadSession::enallagikatavasiClick},
    {Handler::enallagianavasiClick, &KeypadSession::enallagianavasiClick},
    {Handler::rythmiseisshowClick, &KeypadSession::rythmiseisshowClick},
    {Handler::martyriesshowClick, &KeypadSession::martyriesshowClick},
    {Handler::diaforashowClick, &KeypadSession::diaforashowClick},
    {Handler::Button1Click, &KeypadSession::Button1Click},
    {Handler::offClick, &KeypadSession::offClick},
    {Handler::move_clientClick, &KeypadSession::move_clientClick},
    {Handler::Button3Click, &KeypadSession::Button3Click},
    {Handler::moveLClick, &KeypadSession::moveLClick},
    {Handler::moveRClick, &KeypadSession::moveRClick},
    {Handler::ConnectDisconnectClick, &KeypadSession::ConnectDisconnectClick},
    {Handler::con_SpeedButtonClick, &KeypadSession::con_SpeedButtonClick},
};

const QString screenNames[] = {
    QStringLiteral("Panel1"),
    QStringLiteral("Panel2"),
    QStringLiteral("Panel3"),
    QStringLiteral("Panel4"),
    QStringLiteral("Panel5"),
};

} // namespace

// Where each row lies: the panels above it, whose flags change, and whether it or a
// container that is not a panel is hidden by the layout for good. Worked out once, so that
// a press looks up no more than the panels' flags.
const QHash<QString, KeypadSession::ControlPlace> &KeypadSession::controlPlaces()
{
    static const QHash<QString, ControlPlace> places = [] {
        QHash<QString, ControlPlace> byName;
        for (const Layout::Row &control : Layout::rows()) {
            ControlPlace place {&control, {}, false};
            for (const Layout::Row *row = &control; row;
                 row = row->parent ? Layout::find(QString::fromLatin1(row->parent)) : nullptr) {
                if (row->kind == Layout::Kind::Panel)
                    place.panels << QString::fromLatin1(row->name);
                else if (!row->visible)
                    place.laidOutHidden = true;
            }
            byName.insert(QString::fromLatin1(control.name), place);
        }
        return byName;
    }();
    return places;
}

// The session as the press rules see it: its panels, its check box, and the send routine for
// the control that was pressed.
class KeypadSession::Surface : public PressSurface
{
public:
    Surface(KeypadSession &session, const QString &sender)
        : m_session(session)
        , m_sender(sender)
    { }

    void send() override { m_session.kataxorisi(m_sender); }
    bool isShown(const char *panel) const override
    {
        return m_session.isShown(QString::fromLatin1(panel));
    }
    void show(const char *panel) override { m_session.setShown(QString::fromLatin1(panel), true); }
    void hide(const char *panel) override { m_session.setShown(QString::fromLatin1(panel), false); }
    void uncheckCheckBox() override { m_session.setChecked(false); }

private:
    KeypadSession &m_session;
    const QString &m_sender;
};

KeypadSession::KeypadSession(QObject *parent)
    : KeypadSession(Options {}, parent)
{ }

KeypadSession::KeypadSession(const Options &options, QObject *parent)
    : QObject(parent)
    , m_channel(new CommandChannel(this, options.replyWaitMs, options.connectTimeoutMs))
{
    for (const Layout::Row &row : Layout::rows()) {
        if (row.kind == Layout::Kind::Panel)
            m_shown.insert(QString::fromLatin1(row.name), row.visible);
    }
    controlPlaces(); // worked out at start rather than at the first press
    connect(m_channel, &CommandChannel::connected, this, &KeypadSession::IdTCPClient1Connected);
    connect(
        m_channel, &CommandChannel::disconnected, this, &KeypadSession::IdTCPClient1Disconnected);
    if (!options.discovery)
        return;
    m_discovery = new Discovery(m_channel, *options.discovery, this);
    connect(m_discovery->timer(), &QTimer::timeout, this, &KeypadSession::Timer1Timer);
    connect(m_discovery, &Discovery::datagramReceived, this, &KeypadSession::IdUDPServer1UDPRead);
    connect(m_discovery, &Discovery::serverAnnounced, this,
        [this](const QString &host, const QString &port) {
            setAddress(host, port);
            emit addressChanged(host, port);
        });
    connect(m_discovery, &Discovery::serverNotFound, this,
        [this] { showMessage(Messages::notFound()); });
    connect(
        m_discovery, &Discovery::networkFailed, this, [this] { showMessage(Messages::network()); });
}

KeypadSession::~KeypadSession() = default;

bool KeypadSession::start()
{
    if (!m_discovery || m_discovery->start())
        return true;
    m_error = m_discovery->errorString();
    return false;
}

bool KeypadSession::canPress(QStringView control) const
{
    return pressable(control.toString()) != nullptr;
}

const Layout::Row *KeypadSession::pressable(const QString &control) const
{
    const auto found = controlPlaces().constFind(control);
    if (found == controlPlaces().cend() || !isOnShownPanels(*found))
        return nullptr;
    const Layout::Row *row = found->row;
    const bool bound = row->handler != Handler::None || row->kind == Layout::Kind::CheckBox;
    return bound ? row : nullptr;
}

bool KeypadSession::press(QStringView control)
{
    // A press that comes while a message box is open, from whatever input, would run inside
    // that box and stack another on it.
    if (m_busy > 0)
        return false;
    const QString name = control.toString();
    const Layout::Row *row = pressable(name);
    if (!row)
        return false;
    const QScopedValueRollback busy(m_busy, m_busy + 1);
    // Discovery's replies wait until the handler and its boxes are done.
    std::optional<Discovery::Hold> hold;
    if (m_discovery)
        hold.emplace(*m_discovery);
    // A check box changes with the tap that raises its press.
    if (row->kind == Layout::Kind::CheckBox)
        setChecked(!m_checked);
    dispatch(row->handler, name);
    return true;
}

void KeypadSession::dispatch(Handler handler, const QString &sender)
{
    const auto found = std::find_if(std::begin(handlerMethods), std::end(handlerMethods),
        [handler](const auto &entry) { return entry.first == handler; });
    if (found != std::end(handlerMethods))
        (this->*found->second)(sender);
}

int KeypadSession::screen() const
{
    for (int i = 0; i < int(std::size(screenNames)); ++i) {
        if (m_shown.value(screenNames[i]))
            return i + 1;
    }
    return 0;
}

bool KeypadSession::isShown(QStringView panel) const
{
    return m_shown.value(panel.toString(), false);
}

bool KeypadSession::isOnShownPanels(const ControlPlace &place) const
{
    return !place.laidOutHidden
        && std::all_of(place.panels.cbegin(), place.panels.cend(),
            [this](const QString &panel) { return m_shown.value(panel); });
}

std::optional<bool> KeypadSession::alternateShown(QStringView toggle) const
{
    const Layout::Row *row = Layout::find(toggle);
    const PressRules::TogglePair *pair = row ? PressRules::togglePair(row->handler) : nullptr;
    if (!pair)
        return std::nullopt;
    return isShown(QString::fromLatin1(pair->alternate));
}

void KeypadSession::setAddress(const QString &host, const QString &portText)
{
    m_host = host;
    m_port = portText;
}

bool KeypadSession::isConnected() const
{
    return m_channel->isConnected();
}

bool KeypadSession::connectToServer()
{
    m_channel->connectTo(m_host, m_port);
    return m_channel->isConnected();
}

void KeypadSession::setShown(const QString &panel, bool shown)
{
    const auto found = m_shown.find(panel);
    if (found == m_shown.end() || *found == shown)
        return;
    *found = shown;
    emit panelShownChanged(panel, shown);
    if (shown
        && std::find(std::begin(screenNames), std::end(screenNames), panel)
            != std::end(screenNames))
        emit screenChanged(screen());
}

void KeypadSession::setChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    emit checkedChanged(checked);
}

void KeypadSession::showMessage(const QString &text)
{
    // Counted as busy for as long as a view holds the message open.
    const QScopedValueRollback busy(m_busy, m_busy + 1);
    emit message(text);
}

void KeypadSession::resumeSearch()
{
    if (m_discovery)
        m_discovery->resume();
    else
        emit searchWanted();
}

// The keypad.

bool KeypadSession::runPressRule(Handler rule, const QString &sender)
{
    Surface surface(*this, sender);
    return PressRuleRunner(surface).run(rule);
}

void KeypadSession::togglePair(Handler toggle)
{
    const QString none;
    Surface surface(*this, none);
    PressRuleRunner(surface).swap(*PressRules::togglePair(toggle));
}

void KeypadSession::c3Click(const QString &Sender)
{
    runPressRule(Handler::c3Click, Sender);
}

void KeypadSession::ft8Click(const QString &Sender)
{
    runPressRule(Handler::ft8Click, Sender);
}

void KeypadSession::m1Click(const QString &Sender)
{
    runPressRule(Handler::m1Click, Sender);
}

void KeypadSession::o1Click(const QString &Sender)
{
    runPressRule(Handler::o1Click, Sender);
}

void KeypadSession::o5Click(const QString &Sender)
{
    runPressRule(Handler::o5Click, Sender);
}

void KeypadSession::ark1Click(const QString &Sender)
{
    runPressRule(Handler::ark1Click, Sender);
}

void KeypadSession::enallagixronikiagogiClick(const QString &)
{
    togglePair(Handler::enallagixronikiagogiClick);
}

void KeypadSession::enallagiIsonClick(const QString &)
{
    togglePair(Handler::enallagiIsonClick);
}

void KeypadSession::enallagiMartyriesClick(const QString &)
{
    togglePair(Handler::enallagiMartyriesClick);
}

void KeypadSession::CornerButton1Click(const QString &)
{
    togglePair(Handler::CornerButton1Click);
}

void KeypadSession::enallagifthoresClick(const QString &)
{
    togglePair(Handler::enallagifthoresClick);
}

void KeypadSession::enallagikatavasiClick(const QString &)
{
    togglePair(Handler::enallagikatavasiClick);
}

void KeypadSession::enallagianavasiClick(const QString &)
{
    togglePair(Handler::enallagianavasiClick);
}

// Navigation.

void KeypadSession::rythmiseisshowClick(const QString &)
{
    setShown(QStringLiteral("Panel1"), false);
    setShown(QStringLiteral("Panel5"), true);
}

void KeypadSession::martyriesshowClick(const QString &)
{
    setShown(QStringLiteral("Panel1"), false);
    setShown(QStringLiteral("Panel2"), true);
}

void KeypadSession::diaforashowClick(const QString &)
{
    setShown(QStringLiteral("Panel1"), false);
    setShown(QStringLiteral("Panel3"), true);
}

void KeypadSession::Button1Click(const QString &)
{
    setShown(QStringLiteral("Panel1"), true);
    setShown(QStringLiteral("Panel2"), false);
    setShown(QStringLiteral("Panel3"), false);
    setShown(QStringLiteral("Panel5"), false);
}

void KeypadSession::offClick(const QString &)
{
    emit closeRequested();
}

// The move pad.

void KeypadSession::move_clientClick(const QString &Sender)
{
    setShown(QStringLiteral("Panel1"), false);
    setShown(QStringLiteral("Panel4"), true);
    kataxorisi(Sender);
}

void KeypadSession::Button3Click(const QString &)
{
    setShown(QStringLiteral("Panel1"), true);
    setShown(QStringLiteral("Panel4"), false);
    if (!m_channel->writeRawLine(QStringLiteral("move_client")))
        showMessage(Messages::refusal());
}

void KeypadSession::moveLClick(const QString &Sender)
{
    kataxorisi(QStringLiteral("SpeedButton25"));
    if (m_channel->lastOutcome() == CommandChannel::Outcome::Confirmed)
        emit flashed(Sender);
}

void KeypadSession::moveRClick(const QString &Sender)
{
    kataxorisi(QStringLiteral("SpeedButton31"));
    if (m_channel->lastOutcome() == CommandChannel::Outcome::Confirmed)
        emit flashed(Sender);
}

// The server link.

void KeypadSession::kataxorisi(const QString &control)
{
    using Outcome = CommandChannel::Outcome;
    switch (m_channel->send(control)) {
    case Outcome::Confirmed:
        // A user who is not looking at the server's screen still sees that the sign arrived.
        emit flashed(control);
        break;
    case Outcome::Accepted:
        break;
    case Outcome::Refused:
        showMessage(Messages::refusal());
        m_channel->disconnectFromServer();
        resumeSearch();
        break;
    case Outcome::LinkLost:
        // The connection is left as it is: discovery or the button brings the link back.
        resumeSearch();
        emit connectedChanged(false);
        showMessage(Messages::noConnection());
        break;
    case Outcome::NotConnected:
        showMessage(Messages::noConnection());
        resumeSearch();
        emit connectedChanged(false);
        break;
    }
}

void KeypadSession::connectAttempt()
{
    if (m_channel->connectTo(m_host, m_port) == CommandChannel::ConnectResult::Failed)
        showMessage(Messages::notFound());
}

void KeypadSession::ConnectDisconnectClick(const QString &)
{
    if (m_channel->isConnected()) {
        m_channel->disconnectFromServer();
    } else {
        if (m_discovery)
            m_discovery->stop();
        connectAttempt();
    }
}

void KeypadSession::IdTCPClient1Connected()
{
    emit logLine(Messages::clientConnected());
    emit connectedChanged(true);
}

void KeypadSession::IdTCPClient1Disconnected()
{
    emit logLine(Messages::clientDisconnected());
    emit connectedChanged(false);
    resumeSearch();
}

// Discovery.

void KeypadSession::Timer1Timer()
{
    if (m_discovery)
        m_discovery->tick();
}

void KeypadSession::IdUDPServer1UDPRead(const QByteArray &data)
{
    if (m_discovery)
        m_discovery->handleReply(data);
}

void KeypadSession::con_SpeedButtonClick(const QString &)
{
    if (m_discovery)
        m_discovery->restart();
    else
        emit searchWanted();
}
