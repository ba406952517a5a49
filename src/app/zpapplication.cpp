// SPDX-License-Identifier: GPL-3.0-or-later

#include "zpapplication.h"

#include "messageboxes.h"
#include "tmainclient.h"

#include <QMessageBox>

bool ZpApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        const QString message = QString::fromStdString(error.what());
        if (MainClient)
            MainClient->reportError(message);
        else
            QMessageBox::critical(nullptr, applicationName(), MessageBoxes::errorBoxText(message));
        return false;
    }
}

QIcon ZpApplication::programIcon()
{
    return QIcon(QStringLiteral(":/assets/zp-client.png"));
}
