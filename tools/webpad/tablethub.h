// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "tabletsession.h"
#include "webserver.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QThread;

// The tablets of one zp-webpad: a keypad model for each open WebSocket, each on a thread of
// its own so that one tablet waiting for the ZP server does not hold the others. It reads
// the page's messages, hands presses to the tablet's model, and gives every model that lost
// its link the server's address again at each retry.
class TabletHub : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        WebServer::Limits limits;
        KeypadSession::Options session; // the models' time limits
        int retryMs = 2000; // as often as the keypad's own search asks the network
        int nameChars = 64; // no control's name is longer
    };

    TabletHub(const WebServer::Files &files, const Options &options, QObject *parent = nullptr);
    ~TabletHub() override;

    WebServer *server() const { return m_server; }

    // Where the tablets' models connect; a model without a link tries it at once.
    void setServerAddress(const QString &host, const QString &portText);
    QString serverHost() const { return m_host; }
    QString serverPort() const { return m_port; }

    // "address (linked)" or "address" per tablet, for the window.
    QStringList tablets() const;
    int linkedTablets() const;

signals:
    void tabletsChanged();
    // A model lost its link: the server may have moved.
    void serverWanted();

private:
    struct Tablet
    {
        QThread *thread = nullptr;
        TabletSession *session = nullptr;
        QString peer;
        bool linked = false;
        bool wantsServer = true;
    };

    void open(quint64 id, const QString &peer);
    void received(quint64 id, const QByteArray &text);
    void closed(quint64 id);
    void retry();
    void stop(Tablet &tablet);

    Options m_options;
    WebServer *m_server;
    QHash<quint64, Tablet> m_tablets;
    QString m_host;
    QString m_port;
    QTimer m_retry;
};
