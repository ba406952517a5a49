// SPDX-License-Identifier: GPL-3.0-or-later

#include "benchkeypad.h"

#include "commandchannel.h"
#include "keypadsession.h"
#include "logmemo.h"
#include "messageboxes.h"
#include "tmainclient.h"

#include <QGraphicsItem>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

BenchKeypad::BenchKeypad(quint16 requestPort)
{
    m_requests.bind(QHostAddress::LocalHost, 0);
    TMainClient::Options options;
    options.discovery.listenPort = 0;
    options.discovery.requestDestinations
        = [] { return QList {QHostAddress(QHostAddress::LocalHost)}; };
    options.discovery.requestPort = requestPort ? requestPort : m_requests.localPort();
    options.settingsPath = m_folder.filePath(QStringLiteral("ZP.INI"));
    m_window = std::make_unique<TMainClient>(options);
    const auto record = [this](const QString &text) {
        m_messages << text;
        if (m_echo)
            std::fprintf(stderr, "keypad message: %s\n", qPrintable(text));
    };
    m_window->messageBoxes()->setMessageFunction(record);
    m_window->messageBoxes()->setErrorFunction(record);
}

BenchKeypad::~BenchKeypad() = default;

bool BenchKeypad::show(int width, int height)
{
    m_window->setGeometry(0, 0, width, height);
    m_window->show();
    return QTest::qWaitForWindowExposed(m_window.get());
}

bool BenchKeypad::connectTo(quint16 port)
{
    m_window->Edit2->setText(QStringLiteral("127.0.0.1"));
    m_window->Edit3->setText(QString::number(port));
    m_window->session()->ConnectDisconnectClick({});
    return m_window->session()->channel()->isConnected();
}

QPoint BenchKeypad::centreOf(QStringView name) const
{
    const QGraphicsItem *item = m_window->item(name);
    return item->mapToScene(item->boundingRect().center()).toPoint();
}
