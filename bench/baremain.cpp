// SPDX-License-Identifier: GPL-3.0-or-later

#include <QApplication>
#include <QScreen>
#include <QWidget>

// The floor of a start: an empty full-screen window, shown the way the keypad shows its own.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setGeometry(window.screen()->geometry());
    window.showFullScreen();
    return app.exec();
}
