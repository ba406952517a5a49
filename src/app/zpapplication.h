// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QApplication>

// Reports an error that escapes any event handler in the window's error box, and goes on.
class ZpApplication : public QApplication
{
    Q_OBJECT

public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override;
};
