// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QRect>
#include <QTransform>

class QPainter;

// What a picture lies on: a plain fill of one colour over a known area. A picture that lies
// wholly inside it can be laid on that colour instead of being blended over it.
class Backdrop
{
public:
    virtual ~Backdrop() = default;

    // The device pixels the fill covers under this transform of the backdrop's own units.
    virtual QRect filledDeviceRect(const QTransform &toDevice) const = 0;
    virtual QColor fillColour() const = 0;

    // Whether all that shows over these device pixels is the backdrop's own fill and outline,
    // and painting that there: a picture that lies partly on the outline is laid on it.
    virtual bool showsOnlyItself(const QTransform &toDevice, const QRect &area) const = 0;
    virtual void paintBeneath(
        QPainter *painter, const QTransform &toDevice, const QRect &area) const = 0;
};
