// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <stdexcept>

// An error that a handler lets escape: the window reports it in its error box. The kind
// names the error in the start-up failure box.
class AppError : public std::runtime_error
{
public:
    AppError(const QString &kind, const QString &message)
        : std::runtime_error(message.toStdString())
        , m_kind(kind)
    { }

    QString kind() const { return m_kind; }
    QString message() const { return QString::fromStdString(what()); }

private:
    QString m_kind;
};
