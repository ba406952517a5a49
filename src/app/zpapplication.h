// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>
#include <QIcon>

// Reports an error that escapes any event handler in the window's error box, and goes on.
class ZpApplication : public QApplication
{
    Q_OBJECT

public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override;

    // The picture of the keypad's window in its title bar and task bar. It is built into the
    // program, so that the window has it wherever the program runs, with or without an
    // icon theme.
    static QIcon programIcon();
};
