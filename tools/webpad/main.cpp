// SPDX-License-Identifier: GPL-3.0-or-later

#include "pagefiles.h"
#include "pairingkey.h"
#include "qrcode.h"
#include "serverfinder.h"
#include "settingsfile.h"
#include "tablethub.h"
#include "webpadwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QNetworkInterface>
#include <cstdio>
#include <memory>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

constexpr quint16 DefaultPort = 8094;

// A line for the terminal. A Windows console shows bytes in its own code page, which has no
// block characters for the QR code, so it is given the text itself; a file or a pipe gets
// UTF-8, as on other systems.
void print(std::FILE *stream, const QString &line)
{
    const QString text = line + u'\n';
#ifdef Q_OS_WIN
    const HANDLE console = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(console, &mode)) {
        std::fflush(stream);
        DWORD written = 0;
        WriteConsoleW(console, text.utf16(), DWORD(text.size()), &written, nullptr);
        return;
    }
#endif
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

void say(const QString &line)
{
    print(stdout, line);
}

void fail(const QString &line)
{
    print(stderr, QStringLiteral("zp-webpad: ") + line);
}

// The address a tablet of the local network reaches this machine by.
QString lanAddress()
{
    for (const QNetworkInterface &candidate : QNetworkInterface::allInterfaces()) {
        const auto flags = candidate.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp)
            || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : candidate.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
    }
    return QStringLiteral("127.0.0.1");
}

WebServer::Files pageFiles()
{
    WebServer::Files files;
    for (const PageFiles::File &file : PageFiles::all())
        files.insert(file.path, {file.body, file.contentType});
    return files;
}

} // namespace

int main(int argc, char *argv[])
{
    // Without a window, and for the help, no display is needed.
    bool headless = false;
    bool windowless = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        headless |= arg == "--headless";
        windowless |= arg == "--headless" || arg == "--help" || arg == "-h" || arg == "--help-all"
            || arg == "--version" || arg == "-v";
    }
    std::unique_ptr<QCoreApplication> app = windowless
        ? std::make_unique<QCoreApplication>(argc, argv)
        : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ZP Client"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.1.2.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the ZP Client keypad to the browsers of tablets and phones."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption headlessOption(QStringLiteral("headless"),
        QStringLiteral("No window: print the address, its QR code and the state to the terminal."));
    const QCommandLineOption portOption(QStringLiteral("port"),
        QStringLiteral("The port the tablets connect to (default %1; 0 takes a free one).")
            .arg(DefaultPort),
        QStringLiteral("port"), QString::number(DefaultPort));
    const QCommandLineOption listenOption(QStringLiteral("listen"),
        QStringLiteral("The address to serve on (default all of this machine's)."),
        QStringLiteral("address"), QStringLiteral("0.0.0.0"));
    const QCommandLineOption serverOption(QStringLiteral("server"),
        QStringLiteral("The ZP server's address, instead of searching for it and of ZP.INI."),
        QStringLiteral("host:port"));
    const QCommandLineOption urlHostOption(QStringLiteral("url-host"),
        QStringLiteral("The host name or address the QR code gives the tablets."),
        QStringLiteral("host"));
    const QCommandLineOption keyFileOption(QStringLiteral("key-file"),
        QStringLiteral("Where the pairing key is kept (default %1).")
            .arg(PairingKey::defaultPath()),
        QStringLiteral("file"), PairingKey::defaultPath());
    const QCommandLineOption settingsOption(QStringLiteral("settings"),
        QStringLiteral("The ZP.INI to read the server's address from (default %1).")
            .arg(SettingsFile::defaultPath()),
        QStringLiteral("file"));
    parser.addOptions({headlessOption, portOption, listenOption, serverOption, urlHostOption,
        keyFileOption, settingsOption});
    parser.process(*app);

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    const QHostAddress listenAddress(parser.value(listenOption));
    if (!portOk || port > 65535 || listenAddress.isNull()) {
        fail(QStringLiteral("bad --port or --listen"));
        return 2;
    }
    ServerFinder::Options finderOptions;
    finderOptions.settingsPath
        = parser.isSet(settingsOption) ? parser.value(settingsOption) : SettingsFile::defaultPath();
    if (parser.isSet(serverOption)) {
        const QString server = parser.value(serverOption);
        const qsizetype colon = server.lastIndexOf(u':');
        if (colon <= 0) {
            fail(QStringLiteral("--server wants host:port"));
            return 2;
        }
        finderOptions.fixedHost = server.left(colon);
        finderOptions.fixedPort = server.mid(colon + 1);
    }

    const QString keyFile = parser.value(keyFileOption);
    const QByteArray key = PairingKey::loadOrCreate(keyFile);
    if (key.isEmpty()) {
        fail(QStringLiteral("cannot write the pairing key to %1").arg(keyFile));
        return 1;
    }

    TabletHub hub(pageFiles(), {});
    hub.server()->setKey(key);
    if (!hub.server()->listen(listenAddress, quint16(port))) {
        fail(QStringLiteral("cannot serve on port %1: %2")
                 .arg(port)
                 .arg(hub.server()->errorString()));
        return 1;
    }
    const QString urlHost
        = parser.isSet(urlHostOption) ? parser.value(urlHostOption) : lanAddress();
    const auto urlFor = [&hub, urlHost](const QByteArray &k) {
        return QStringLiteral("http://%1:%2/%3/")
            .arg(urlHost)
            .arg(hub.server()->port())
            .arg(QString::fromLatin1(k));
    };

    ServerFinder finder(finderOptions);
    QObject::connect(&finder, &ServerFinder::addressChanged, &hub, &TabletHub::setServerAddress);
    QObject::connect(&hub, &TabletHub::serverWanted, &finder, &ServerFinder::searchAgain);

    std::unique_ptr<WebpadWindow> window;
    if (headless) {
        const QString url = urlFor(key);
        say(QStringLiteral("Open on the tablet: %1").arg(url));
        say(QrCode(url.toUtf8()).text());
        QObject::connect(&finder, &ServerFinder::statusChanged, &finder,
            [](const QString &status) { say(QStringLiteral("ZP server: %1").arg(status)); });
        QObject::connect(&hub, &TabletHub::tabletsChanged, &hub, [&hub] {
            const QStringList tablets = hub.tablets();
            say(QStringLiteral("Tablets: %1")
                    .arg(tablets.isEmpty() ? QStringLiteral("none") : tablets.join(u", ")));
        });
    } else {
        window = std::make_unique<WebpadWindow>();
        window->setAddress(urlFor(key));
        window->setTablets({});
        QObject::connect(
            &finder, &ServerFinder::statusChanged, window.get(), &WebpadWindow::setServerStatus);
        QObject::connect(&hub, &TabletHub::tabletsChanged, window.get(),
            [&hub, &window] { window->setTablets(hub.tablets()); });
        QObject::connect(window.get(), &WebpadWindow::newKeyWanted, &hub, [&] {
            const QByteArray renewed = PairingKey::renew(keyFile);
            if (renewed.isEmpty()) {
                window->setServerStatus(
                    QStringLiteral("Cannot write a new key to %1").arg(keyFile));
                return;
            }
            hub.server()->setKey(renewed);
            window->setAddress(urlFor(renewed));
        });
        window->show();
#ifdef Q_OS_WIN
        // Started from the Start menu, the program gets a console window of its own, which the
        // window has no use for; a console it shares with a command prompt stays.
        DWORD consoleProcesses[2];
        if (GetConsoleProcessList(consoleProcesses, 2) == 1)
            FreeConsole();
#endif
    }
    finder.start();
    return app->exec();
}
