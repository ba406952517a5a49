// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPoint>
#include <QStringList>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <memory>

class TMainClient;

// A keypad window kept off the machine's real ports and files: its listener takes a free
// port, its discovery requests go to a loopback port, its settings file lives in a
// temporary folder, and its message boxes are recorded instead of shown.
class BenchKeypad
{
public:
    // requestPort 0: the requests go to a socket of this object that nobody reads.
    explicit BenchKeypad(quint16 requestPort = 0);
    ~BenchKeypad();

    TMainClient *window() const { return m_window.get(); }
    QStringList messages() const { return m_messages; }
    // Also writes each message to the error stream as it comes.
    void echoMessages() { m_echo = true; }

    // Shows the window at this size and waits until it is on the screen.
    bool show(int width, int height);
    // Connects to a loopback server the way a user does on the settings screen.
    bool connectTo(quint16 port);
    // The centre of a control, in window pixels.
    QPoint centreOf(QStringView name) const;

private:
    QTemporaryDir m_folder;
    QUdpSocket m_requests;
    std::unique_ptr<TMainClient> m_window;
    QStringList m_messages;
    bool m_echo = false;
};
