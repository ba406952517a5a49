// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QSize>

class ShapeList;

// A picture's shapes as an SVG document of its design size, so that a browser draws the
// same outlines as the window, sharp at any size.
namespace ShapeSvg {

QByteArray document(const ShapeList &shapes, QSize size);

struct Picture
{
    QByteArray name; // the view's id, as in "sheet.svg#Image5"
    const ShapeList *shapes;
    QSize size;
};

// Several pictures in one document, each shown through the view of its name, stretched to
// its rectangle as its own document would be. A browser then reads and sets up one document
// for all of them. They are stacked apart, so that nothing a picture draws beyond its
// rectangle shows in another's view.
QByteArray sheet(const QList<Picture> &pictures);

} // namespace ShapeSvg
