// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// A discovery reply names the host and the port of the server's command channel, separated
// by a lower-case "m". The port stays text: the connect attempt converts and checks it.
struct DiscoveryReply
{
    QString host;
    QString port;
};

QString decodeDiscoveryReply(QByteArrayView bytes);

// Splits at the first "m": the host may come out empty, and the port keeps any further "m".
// Without an "m" the text is no reply at all.
std::optional<DiscoveryReply> splitDiscoveryReply(QStringView text);
