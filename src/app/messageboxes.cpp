// SPDX-License-Identifier: GPL-3.0-or-later

#include "messageboxes.h"

#include <QMessageBox>

namespace {

MessageBoxes::ShowFunction modalBox(QWidget *window, QMessageBox::Icon icon)
{
    return [window, icon](const QString &text) {
        QMessageBox box(icon, window->windowTitle(), text, QMessageBox::Ok, window);
        box.exec();
    };
}

} // namespace

MessageBoxes::MessageBoxes(QWidget *window)
    : m_message(modalBox(window, QMessageBox::NoIcon))
    , m_error(modalBox(window, QMessageBox::Critical))
{ }

void MessageBoxes::showMessage(const QString &text)
{
    ++m_shown;
    m_message(text);
}

void MessageBoxes::showError(const QString &message)
{
    ++m_shown;
    m_error(errorBoxText(message));
}

QString MessageBoxes::errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}
