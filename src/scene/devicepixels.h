// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPainter>
#include <QRect>
#include <QTransform>

// Pictures and looks kept as pixmaps are copied pixel for pixel: their place in whole device
// pixels, and the size from the size alone, so that a move never stretches them again.
inline QRect sizedDeviceRect(const QTransform &toDevice, const QRectF &rect)
{
    const QRectF mapped = toDevice.mapRect(rect);
    return QRect(QPoint(qRound(mapped.left()), qRound(mapped.top())),
        QSize(qRound(mapped.width()), qRound(mapped.height())));
}

// While it lives, one unit of the painter is one device pixel, the device pixel ratio of a
// high-density screen and a paint redirection included.
class DevicePixelScope
{
public:
    explicit DevicePixelScope(QPainter *painter)
        : m_painter(painter)
        , m_world(painter->worldTransform())
    {
        painter->setWorldTransform(painter->deviceTransform().inverted() * m_world);
    }
    ~DevicePixelScope() { m_painter->setWorldTransform(m_world); }
    DevicePixelScope(const DevicePixelScope &) = delete;
    DevicePixelScope &operator=(const DevicePixelScope &) = delete;

private:
    QPainter *m_painter;
    QTransform m_world;
};
