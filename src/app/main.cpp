// SPDX-License-Identifier: GPL-3.0-or-later

#include "apperror.h"
#include "tmainclient.h"
#include "zpapplication.h"

#include <QMessageBox>
#include <QScreen>
#include <cstdio>

namespace {

// Start-up failed before the window could show: say why, in a box where there is a screen
// to show it on, and always on the error stream.
void showStartupError(const QString &kind, const QString &message)
{
    const QString text = QStringLiteral("%1: %2").arg(kind, message);
    std::fprintf(stderr, "Application Error: %s\n", qPrintable(text));
    const QString platform = QGuiApplication::platformName();
    if (platform == u"offscreen" || platform == u"minimal")
        return;
    QMessageBox box(
        QMessageBox::Critical, QStringLiteral("Application Error"), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    ZpApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("ZP Client"));
    app.setApplicationVersion(QStringLiteral("2.1.2.0"));

    try {
        TMainClient window;
        // On the window, not the application: every widget of the scene has a hidden window
        // of its own, and an application icon is decoded and handed to each of them.
        window.setWindowIcon(ZpApplication::programIcon());
        // Without a window manager the full-screen request alone leaves the window at its
        // old size, so it is also given the screen's whole geometry.
        window.setGeometry(window.screen()->geometry());
        window.showFullScreen();
        return app.exec();
    } catch (const AppError &error) {
        showStartupError(error.kind(), error.message());
    } catch (const std::exception &error) {
        showStartupError(QStringLiteral("Exception"), QString::fromStdString(error.what()));
    }
    return 1;
}
