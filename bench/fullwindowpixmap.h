// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>
#include <QWidget>

// The floor of a redraw: a window that draws one pixmap of its own size, nothing else.
class FullWindowPixmap : public QWidget
{
    Q_OBJECT

public:
    explicit FullWindowPixmap(const QPixmap &pixmap);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_pixmap;
};
