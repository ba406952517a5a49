// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QSize>

class ShapeList;

// A picture's shapes as an SVG document of its design size, so that a browser draws the
// same outlines as the window, sharp at any size.
namespace ShapeSvg {

QByteArray document(const ShapeList &shapes, QSize size);

} // namespace ShapeSvg
