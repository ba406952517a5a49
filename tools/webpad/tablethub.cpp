// SPDX-License-Identifier: GPL-3.0-or-later
#include "tablethub.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

TabletHub::TabletHub(const WebServer::Files &files, const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_server(new WebServer(files, options.limits, this))
{
    connect(m_server, &WebServer::tabletOpened, this, &TabletHub::open);
    connect(m_server, &WebServer::tabletMessage, this, &TabletHub::received);
    connect(m_server, &WebServer::tabletClosed, this, &TabletHub::closed);
    m_retry.setInterval(options.retryMs);
    connect(&m_retry, &QTimer::timeout, this, &TabletHub::retry);
    m_retry.start();
}

TabletHub::~TabletHub()
{
    // The server's thread first, so that no message arrives for a model that is gone.
    delete m_server;
    for (Tablet &tablet : m_tablets)
        stop(tablet);
}

void TabletHub::setServerAddress(const QString &host, const QString &portText)
{
    m_host = host;
    m_port = portText;
    retry();
}

QStringList TabletHub::tablets() const
{
    QStringList list;
    for (const Tablet &tablet : m_tablets)
        list.append(tablet.linked ? tablet.peer + QStringLiteral(" (linked)") : tablet.peer);
    list.sort();
    return list;
}

int TabletHub::linkedTablets() const
{
    return int(std::count_if(
        m_tablets.cbegin(), m_tablets.cend(), [](const Tablet &tablet) { return tablet.linked; }));
}

void TabletHub::open(quint64 id, const QString &peer)
{
    Tablet tablet;
    tablet.peer = peer;
    tablet.thread = new QThread(this);
    tablet.session = new TabletSession(m_options.session);
    tablet.session->moveToThread(tablet.thread);
    connect(tablet.thread, &QThread::finished, tablet.session, &QObject::deleteLater);

    WebServer *server = m_server;
    // Straight from the session's thread to the server's: sending is safe from any thread.
    connect(
        tablet.session, &TabletSession::outgoing, tablet.session,
        [server, id](const QByteArray &json) { server->send(id, json); }, Qt::DirectConnection);
    connect(tablet.session, &TabletSession::serverWanted, this, [this, id] {
        const auto found = m_tablets.find(id);
        if (found == m_tablets.end())
            return;
        found->wantsServer = true;
        emit serverWanted();
    });
    connect(tablet.session, &TabletSession::linkChanged, this, [this, id](bool linked) {
        const auto found = m_tablets.find(id);
        if (found == m_tablets.end())
            return;
        found->linked = linked;
        found->wantsServer = !linked;
        emit tabletsChanged();
    });
    connect(tablet.session, &TabletSession::closeRequested, this, [this, id] {
        m_server->send(id, QByteArrayLiteral(R"({"t":"closed"})"));
        m_server->close(id);
    });
    tablet.thread->setObjectName(QStringLiteral("tablet %1").arg(id));
    tablet.thread->start();
    tablet.wantsServer = false; // the first attempt is the session's start
    QMetaObject::invokeMethod(
        tablet.session,
        [session = tablet.session, host = m_host, port = m_port] { session->start(host, port); },
        Qt::QueuedConnection);
    m_tablets.insert(id, tablet);
    emit tabletsChanged();
}

void TabletHub::received(quint64 id, const QByteArray &text)
{
    const auto found = m_tablets.constFind(id);
    if (found == m_tablets.cend())
        return;
    const QJsonObject message = QJsonDocument::fromJson(text).object();
    const QString type = message.value(QLatin1String("t")).toString();
    if (type == u"ping") {
        m_server->send(id, QByteArrayLiteral(R"({"t":"pong"})"));
    } else if (type == u"press") {
        const QString name = message.value(QLatin1String("name")).toString();
        if (name.isEmpty() || name.size() > m_options.nameChars)
            return;
        TabletSession *session = found->session;
        QMetaObject::invokeMethod(
            session, [session, name] { session->press(name); }, Qt::QueuedConnection);
    }
}

void TabletHub::closed(quint64 id)
{
    const auto found = m_tablets.find(id);
    if (found == m_tablets.end())
        return;
    stop(*found);
    m_tablets.erase(found);
    emit tabletsChanged();
}

// The models that lost their link try the server's address again, as the keypad's search
// would find it again.
void TabletHub::retry()
{
    if (m_host.isEmpty())
        return;
    for (Tablet &tablet : m_tablets) {
        if (!tablet.wantsServer)
            continue;
        tablet.wantsServer = false;
        QMetaObject::invokeMethod(
            tablet.session,
            [session = tablet.session, host = m_host, port = m_port] {
                session->connectTo(host, port);
            },
            Qt::QueuedConnection);
    }
}

void TabletHub::stop(Tablet &tablet)
{
    tablet.thread->quit();
    tablet.thread->wait();
    delete tablet.thread;
    tablet.thread = nullptr;
}
