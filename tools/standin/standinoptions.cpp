// SPDX-License-Identifier: GPL-3.0-or-later

#include "standinoptions.h"

#include <QCommandLineParser>
#include <limits>

namespace {

// Digits only: QString::toInt would also take signs, blanks and other bases.
std::optional<int> parseCount(const QString &text, int max)
{
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > max)
        return std::nullopt;
    return int(value);
}

StandInArguments failure(const QString &message)
{
    StandInArguments result;
    result.outcome = StandInArguments::Outcome::Error;
    result.message = message;
    return result;
}

} // namespace

StandInArguments parseStandInArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Stand-in ZP server for trying and testing the keypad. It answers the discovery "
        "request \"zp\" and every command line, and prints each line it receives.");
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QString defaultPort = QString::number(LinkDefaults::ServerPort);
    const QString defaultDiscoveryPort = QString::number(LinkDefaults::DiscoveryRequestPort);
    const QCommandLineOption port("port",
        QStringLiteral("TCP port for command lines; 0 picks a free port (default: %1).")
            .arg(defaultPort),
        "N", defaultPort);
    const QCommandLineOption discoveryPort("discovery-port",
        QStringLiteral("UDP port for discovery requests; 0 picks a free port (default: %1).")
            .arg(defaultDiscoveryPort),
        "N", defaultDiscoveryPort);
    const QCommandLineOption noDiscovery(
        "no-discovery", "Do not answer discovery requests (default: answer them).");
    const QCommandLineOption announce("announce",
        "Host text of the discovery reply (default: the address of the interface whose subnet "
        "holds the requester, 127.0.0.1 for a local requester).",
        "HOST");
    const QCommandLineOption refuse("refuse",
        "Answer the command NAME with \"no\"; may be given several times (default: none).", "NAME");
    const QCommandLineOption reply("reply",
        "Answer every line with TEXT instead of \"ok\"; it may be empty (default: ok).", "TEXT",
        "ok");
    const QCommandLineOption silent("silent", "Never answer (default: answer every line).");
    const QCommandLineOption delay(
        "delay", "Answer each line after MS milliseconds (default: 0).", "MS", "0");
    const QCommandLineOption closeAfter("close-after",
        "Close a connection after its N-th line, answering that line first; 0 never closes "
        "(default: 0).",
        "N", "0");
    const QCommandLineOption oversizedAfter("oversized-after",
        "Answer a connection's N-th line with 16385 bytes 'x' before CR LF; 0 never does "
        "(default: 0).",
        "N", "0");
    const QCommandLineOption quiet("quiet",
        "Print only the first line and the summary at exit, not every line and connection "
        "(default: print them).");
    parser.addOptions({port, discoveryPort, noDiscovery, announce, refuse, reply, silent, delay,
        closeAfter, oversizedAfter, quiet});

    if (!parser.parse(arguments))
        return failure(parser.errorText());
    // addHelpOption() also adds --help-all; without Qt's own options it shows the same text.
    if (parser.isSet(helpOption) || parser.isSet("help-all")) {
        StandInArguments result;
        result.outcome = StandInArguments::Outcome::Help;
        result.message = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return failure(
            QString("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    StandInArguments result;
    StandInOptions &options = result.options;
    QString error;
    const auto number = [&](const QCommandLineOption &option, int max, const char *expected) {
        const QString text = parser.value(option);
        const std::optional<int> value = parseCount(text, max);
        if (!value && error.isEmpty())
            error = QString("Invalid value '%1' for --%2: expected %3.")
                        .arg(text, option.names().first(), expected);
        return value.value_or(0);
    };
    constexpr int anyCount = std::numeric_limits<int>::max();
    options.port = quint16(number(port, 65535, "a port from 0 to 65535"));
    options.discoveryPort = quint16(number(discoveryPort, 65535, "a port from 0 to 65535"));
    options.delayMs = number(delay, anyCount, "milliseconds from 0");
    options.closeAfter = number(closeAfter, anyCount, "a line count from 0");
    options.oversizedAfter = number(oversizedAfter, anyCount, "a line count from 0");
    if (!error.isEmpty())
        return failure(error);

    options.discovery = !parser.isSet(noDiscovery);
    if (parser.isSet(announce))
        options.announce = parser.value(announce);
    for (const QString &name : parser.values(refuse))
        options.refused.append(name.toUtf8());
    // Every answer is one line; a line feed inside the text would make it two.
    options.reply = parser.value(reply).toUtf8();
    if (options.reply.contains('\n'))
        return failure("Invalid value for --reply: it must not contain a line feed.");
    options.silent = parser.isSet(silent);
    options.quiet = parser.isSet(quiet);
    return result;
}
