// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <functional>

class QWidget;

// The keypad's modal boxes, a message or an error over the window, each holding up what
// showed it until it is dismissed. They are counted, so that input that was under way can
// tell that a box overtook it; tests replace how a box is shown.
class MessageBoxes
{
public:
    using ShowFunction = std::function<void(const QString &text)>;

    explicit MessageBoxes(QWidget *window);

    void setMessageFunction(ShowFunction show) { m_message = std::move(show); }
    void setErrorFunction(ShowFunction show) { m_error = std::move(show); }

    void showMessage(const QString &text);
    // An error that escaped a handler, in the error box.
    void showError(const QString &message);
    static QString errorBoxText(const QString &message);

    // Boxes shown so far.
    int shown() const { return m_shown; }

private:
    ShowFunction m_message;
    ShowFunction m_error;
    int m_shown = 0;
};
