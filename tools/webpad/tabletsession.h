// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "keypadsession.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// One browser's keypad: its own model with its own connection to the ZP server, living on a
// thread of its own, since a press waits there for the server's reply. What the page must
// draw comes out as the JSON messages of the web protocol.
class TabletSession : public QObject
{
    Q_OBJECT

public:
    // The model's time limits; zp-webpad runs one search for all tablets, so the model's
    // own discovery is left out whatever the options say.
    explicit TabletSession(const KeypadSession::Options &options, QObject *parent = nullptr);

    // Each of these runs on the session's thread: call them queued.
    void start(const QString &host, const QString &portText);
    void press(const QString &control);
    // Another try at the server, after serverWanted().
    void connectTo(const QString &host, const QString &portText);

signals:
    // A message for the page, from the session's thread.
    void outgoing(const QByteArray &json);
    // The model lost or never had its link: it waits for an address to try.
    void serverWanted();
    void linkChanged(bool connected);
    // The power tile: this tablet's keypad ends.
    void closeRequested();

private:
    QByteArray state() const;
    void stateChanged();

    KeypadSession::Options m_options;
    KeypadSession *m_session = nullptr;
    bool m_statePending = false;
};
