// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>

class ShapeList;

// A picture of the keypad kept as the shapes that draw it rather than pixels, so that it is drawn
// at the number of device pixels it covers, as sharp at 4K as at its design size. Stretched
// to its target, the aspect ratio not kept, as the design stretched its bitmaps.
class Artwork
{
public:
    Artwork() = default;

    // Whether the resources hold a picture for this component, without reading it.
    static bool exists(const QString &name);
    // The picture drawn for a component, in the pixels of the bitmap size the layout gives
    // it; null when there is none or it cannot be read.
    static Artwork load(const QString &name, QSize designSize);

    bool isNull() const { return !m_picture; }
    QSize designSize() const { return m_designSize; }
    // The shapes that draw it; null for a null picture.
    const ShapeList *shapes() const { return m_picture.get(); }

    // The picture filling size pixels, laid on background (transparent when invalid).
    QImage render(QSize size, const QColor &background = {}) const;

    // The same loaded picture.
    friend bool operator==(const Artwork &, const Artwork &) = default;

private:
    std::shared_ptr<const ShapeList> m_picture;
    QSize m_designSize;
};
