// SPDX-License-Identifier: GPL-3.0-or-later

#include "xvfb.h"

QString startXvfb(QProcess &xvfb, int width, int height)
{
    xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // -displayfd: the server picks a free display and names it once it takes connections.
    xvfb.start(QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
            QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(width).arg(height),
            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    while (!xvfb.canReadLine() && xvfb.waitForReadyRead(10000)) { }
    const QByteArray display = xvfb.readLine().trimmed();
    return display.isEmpty() ? QString() : QStringLiteral(":") + QString::fromLatin1(display);
}
