// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHostAddress>
#include <QTcpServer>

// A loopback TCP port that was free a moment ago, so that a connect there is refused.
inline quint16 closedTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
