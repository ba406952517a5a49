// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "layout.h"

#include <QList>
#include <QPointF>
#include <QRectF>

// Where a picture's hit areas fall in its bitmap. The window stretches each bitmap to its
// picture's rectangle, so a hit area maps through that rectangle to bitmap pixels.
namespace PictureGeometry {

// The hit areas lying over a picture: flat buttons, or transparent round push buttons, with
// the picture's container whose rectangles intersect the picture's.
QList<const Layout::Row *> hitAreas(const Layout::Row &picture);

// A rectangle in the container's units, in the picture's bitmap pixels.
QRectF toPixels(const Layout::Row &picture, const QRectF &rect);

// How large one bitmap pixel appears on its screen, in screen design units, each panel's
// own scale included.
QPointF unitsPerPixel(const Layout::Row &picture);

} // namespace PictureGeometry
