// SPDX-License-Identifier: GPL-3.0-or-later

#include "discoverybench.h"

#include "benchkeypad.h"
#include "commandchannel.h"
#include "keypadsession.h"
#include "logmemo.h"
#include "messageboxes.h"
#include "peerprocess.h"
#include "samples.h"
#include "tmainclient.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

namespace {

// Rounds of floor and keypad in turn, so that a slow spell of the machine falls on both.
constexpr int Rounds = 2;
// Time for a client to take in the server's close before the next reply.
constexpr int SettleMs = 20;

} // namespace

DiscoveryBench::DiscoveryBench(
    const QString &benchProgram, const QString &peerProgram, const QString &pinning, int count)
    : m_benchProgram(benchProgram)
    , m_peerProgram(peerProgram)
    , m_pinning(pinning)
    , m_count(count)
{ }

bool DiscoveryBench::run(QTextStream &out)
{
    Samples floorSamples;
    Samples keypadSamples;
    for (int round = 0; round < Rounds; ++round) {
        if (!measure({m_peerProgram, QStringLiteral("discovery-floor")}, &floorSamples, out)
            || !measure({m_benchProgram, QStringLiteral("discovery-keypad")}, &keypadSamples, out))
            return false;
    }
    out << floorSamples.resultLine(QStringLiteral("discovery.floor"), m_pinning) << Qt::endl;
    out << keypadSamples.resultLine(QStringLiteral("discovery.keypad"), m_pinning) << Qt::endl;
    return true;
}

bool DiscoveryBench::measure(const QStringList &client, Samples *samples, QTextStream &out)
{
    const int count = qMax(1, m_count / Rounds);
    PeerProcess server(m_peerProgram,
        {QStringLiteral("discovery-server"), QString::number(count), QString::number(SettleMs)});
    if (!server.start()) {
        out << "note " << m_pinning << " the discovery server did not start" << Qt::endl;
        return false;
    }
    QProcess clientProcess;
    clientProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    clientProcess.start(client.first(), {client.last(), QString::number(server.port())});
    const QList<qint64> values = server.waitForSamples(count * (SettleMs + 1000) + 15000);
    clientProcess.kill();
    clientProcess.waitForFinished();
    if (values.size() != count) {
        out << "note " << m_pinning << " discovery with " << client.last()
            << " failed: " << server.errors() << Qt::endl;
        return false;
    }
    for (const qint64 value : values)
        samples->add(value);
    return true;
}

int DiscoveryBench::runKeypad(quint16 requestPort)
{
    BenchKeypad keypad(requestPort);
    keypad.echoMessages();
    if (!keypad.show(1920, 1080))
        return 1;
    // A connected keypad takes no more replies: each connection is given up again shortly
    // after it was made, as after a failed tap, so that the next reply is taken. The pause
    // keeps that work out of the time the server measures.
    CommandChannel *channel = keypad.window()->session()->channel();
    QObject::connect(channel, &CommandChannel::connected, channel, [channel] {
        QTimer::singleShot(SettleMs / 4, channel, &CommandChannel::disconnectFromServer);
    });
    return QCoreApplication::exec();
}
