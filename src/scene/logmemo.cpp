// SPDX-License-Identifier: GPL-3.0-or-later

#include "logmemo.h"

LogMemo::LogMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
}

void LogMemo::appendPlainText(const QString &text)
{
    if (isVisible())
        QPlainTextEdit::appendPlainText(text);
    else
        m_waiting << text;
}

QString LogMemo::toPlainText() const
{
    QString text = QPlainTextEdit::toPlainText();
    for (const QString &line : m_waiting) {
        // As appending does: a line break before every line but the first of an empty log.
        if (!text.isEmpty())
            text += u'\n';
        text += line;
    }
    return text;
}

void LogMemo::showEvent(QShowEvent *event)
{
    // In before the first paint, so that the log scrolls to its end as it would have.
    for (const QString &line : std::as_const(m_waiting))
        QPlainTextEdit::appendPlainText(line);
    m_waiting.clear();
    QPlainTextEdit::showEvent(event);
}
