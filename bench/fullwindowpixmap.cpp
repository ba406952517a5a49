// SPDX-License-Identifier: GPL-3.0-or-later

#include "fullwindowpixmap.h"

#include <QPainter>

FullWindowPixmap::FullWindowPixmap(const QPixmap &pixmap)
    : m_pixmap(pixmap)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void FullWindowPixmap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}
