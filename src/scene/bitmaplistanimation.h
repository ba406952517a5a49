// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "artwork.h"

#include <QObject>

class ImageControlItem;

// A one-frame animation: switching it on paints its frame into the image control, which
// keeps showing it. Switching it on again while on, or off, changes nothing on screen.
class BitmapListAnimation : public QObject
{
    Q_OBJECT

public:
    BitmapListAnimation(
        const QString &name, const Artwork &frame, ImageControlItem *target, QObject *parent);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    Artwork frame() const { return m_frame; }

private:
    Artwork m_frame;
    ImageControlItem *m_target;
    bool m_enabled = false;
};
