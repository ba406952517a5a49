// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPlainTextEdit>
#include <QStringList>

// The connection log. It is seen only on the settings screen, yet a line comes in at every
// connect and disconnect, and laying a line out is dearer than the connect itself. A hidden
// log keeps its new lines aside and takes them in when it is shown; its text, read through
// this class, always has them all.
class LogMemo : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(QString plainText READ toPlainText)

public:
    explicit LogMemo(QWidget *parent = nullptr);

    // Adds text as a new line (as lines, when it holds line breaks) at the end.
    void appendPlainText(const QString &text);
    QString toPlainText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QStringList m_waiting;
};
