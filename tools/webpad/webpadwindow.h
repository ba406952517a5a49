// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

// The small window beside the tablets: the address to open, its QR code, the ZP server's
// state and the tablets connected, and the button that makes a new key.
class WebpadWindow : public QWidget
{
    Q_OBJECT

public:
    explicit WebpadWindow(QWidget *parent = nullptr);

    void setAddress(const QString &url);
    void setServerStatus(const QString &status);
    void setTablets(const QStringList &tablets);

signals:
    void newKeyWanted();

private:
    QLabel *m_url;
    QLabel *m_code;
    QLabel *m_server;
    QListWidget *m_tablets;
};
