// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBrush>
#include <QByteArray>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <optional>

class QPainter;

// A picture as the filled shapes that make it up, in the pixels of its design size, every
// stroke already turned into the outline it covers. Drawing it at any size is then only
// filling paths, the cheapest thing a painter does, and reading it is copying numbers.
class ShapeList
{
public:
    struct Shape
    {
        QPainterPath path;
        QBrush brush;
        float opacity = 1;
        bool antialiased = true;
    };

    QList<Shape> shapes;

    // Empty when a shape lies too far out to be kept (thousands of pixels).
    QByteArray toBytes() const;
    // Null for bytes that are not a shape list of this version, or are cut short.
    static std::optional<ShapeList> fromBytes(const QByteArray &bytes);

    // Paints the shapes in the painter's units: scale the painter to draw at another size.
    void paint(QPainter &painter) const;
    QRectF boundingRect() const;
};
