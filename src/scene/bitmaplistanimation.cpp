// SPDX-License-Identifier: GPL-3.0-or-later

#include "bitmaplistanimation.h"

#include "imagecontrolitem.h"

BitmapListAnimation::BitmapListAnimation(
    const QString &name, const Artwork &frame, ImageControlItem *target, QObject *parent)
    : QObject(parent)
    , m_frame(frame)
    , m_target(target)
{
    setObjectName(name);
}

void BitmapListAnimation::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    // Every step of a one-frame run paints the same frame, so the run is its last step.
    if (enabled && m_target)
        m_target->setArtwork(m_frame);
}
