// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "accessibilitypublisher.h"
#include "bitmaplistanimation.h"
#include "commandchannel.h"
#include "imagecontrolitem.h"
#include "keypadsession.h"
#include "logmemo.h"
#include "messageboxes.h"
#include "pairpanels.h"
#include "panelitem.h"
#include "pointerrouter.h"
#include "pressrules.h"
#include "tmainclient.h"

#include <QGraphicsItem>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <memory>

// Options that keep a test window off the machine's real ports and files: the listener
// takes a free port, discovery requests go to a loopback socket of the test, and the
// settings file lives in a temporary folder.
struct TestEnvironment
{
    TestEnvironment() { requests.bind(QHostAddress::LocalHost, 0); }

    TMainClient::Options options(int replyWaitMs = 150, quint16 listenPort = 0) const
    {
        TMainClient::Options o;
        o.replyWaitMs = replyWaitMs;
        o.discovery.listenPort = listenPort;
        o.discovery.requestDestinations
            = [] { return QList {QHostAddress(QHostAddress::LocalHost)}; };
        o.discovery.requestPort = requests.localPort();
        o.settingsPath = settingsPath();
        // Pictures are drawn anew for every test window, not taken from an earlier run.
        o.pictureCacheFolder = folder.filePath(QStringLiteral("pictures"));
        return o;
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("ZP.INI")); }

    QTemporaryDir folder;
    QUdpSocket requests; // receives the window's discovery requests
};

// A keypad window for tests: boxes are recorded instead of shown, and replies are awaited
// briefly so that a silent server does not slow the suite down.
struct WindowFixture
{
    explicit WindowFixture(int replyWaitMs = 150, quint16 listenPort = 0)
        : window(std::make_unique<TMainClient>(env.options(replyWaitMs, listenPort)))
    {
        recordBoxes();
    }

    // A new window over the same settings file, as after a restart.
    void restart()
    {
        window.reset();
        window = std::make_unique<TMainClient>(env.options());
        recordBoxes();
    }

    void recordBoxes()
    {
        window->messageBoxes()->setMessageFunction(
            [this](const QString &text) { messages << text; });
        window->messageBoxes()->setErrorFunction([this](const QString &text) { errors << text; });
    }

    TMainClient *operator->() const { return window.get(); }

    // Shows the window at this size; false when it never reaches the screen.
    bool showAt(QSize size) const
    {
        window->resize(size);
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // The centre of a control, in window pixels.
    QPoint centreOf(QStringView name) const
    {
        QGraphicsItem *item = window->item(name);
        return item->mapToScene(item->boundingRect().center()).toPoint();
    }

    void press(QStringView name) const
    {
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {}, centreOf(name));
    }

    // Connects the way a user does on the settings screen; false when it did not connect.
    bool connectTo(quint16 port) const
    {
        window->Edit2->setText(QStringLiteral("127.0.0.1"));
        window->Edit3->setText(QString::number(port));
        window->session()->ConnectDisconnectClick({});
        return window->session()->channel()->isConnected();
    }

    // The state string of the seven pairs as the screen shows them.
    QString pairState() const
    {
        return ::pairState([this](const char *panel) {
            return window->item(QString::fromLatin1(panel))->isVisible();
        });
    }

    bool showsConnectedPicture() const
    {
        auto *image = dynamic_cast<ImageControlItem *>(window->item(u"ImageControl1"));
        return window->BitmapListAnimation2->isEnabled()
            && !window->BitmapListAnimation1->isEnabled() && !image->artwork().isNull()
            && image->artwork() == window->BitmapListAnimation2->frame();
    }

    bool showsNotConnectedPicture() const
    {
        auto *image = dynamic_cast<ImageControlItem *>(window->item(u"ImageControl1"));
        return window->BitmapListAnimation1->isEnabled()
            && !window->BitmapListAnimation2->isEnabled() && !image->artwork().isNull()
            && image->artwork() == window->BitmapListAnimation1->frame();
    }

    // The panels of the seven pairs that are shown, by their own flags: the main screen
    // itself may be hidden behind a chart.
    QStringList shownPairPanels() const
    {
        QStringList shown;
        for (const PressRules::TogglePair &pair : PressRules::togglePairs()) {
            for (const char *name : {pair.primary, pair.alternate}) {
                if (window->item(QString::fromLatin1(name))->isVisibleTo(window->Panel1))
                    shown << QString::fromLatin1(name);
            }
        }
        return shown;
    }

    TestEnvironment env;
    std::unique_ptr<TMainClient> window;
    QStringList messages;
    QStringList errors;
};
