// SPDX-License-Identifier: GPL-3.0-or-later
#include "shapesvg.h"

#include "shapelist.h"

#include <QGradient>
#include <QTransform>

namespace {

// Hundredths of a picture's pixel: finer than a device pixel at any size a screen shows the
// pictures, and a quarter smaller than the shapes' exact sixteenths.
QByteArray number(qreal value)
{
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray pathData(const QPainterPath &path)
{
    QByteArray d;
    d.reserve(path.elementCount() * 12);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            d += 'M';
            break;
        case QPainterPath::LineToElement:
            d += 'L';
            break;
        case QPainterPath::CurveToElement:
            d += 'C';
            break;
        case QPainterPath::CurveToDataElement:
            d += ' ';
            break;
        }
        d += number(e.x) + ' ' + number(e.y);
    }
    return d;
}

QByteArray colourAttributes(const char *name, const QColor &colour)
{
    QByteArray text = QByteArray(" ") + name + "=\"" + colour.name(QColor::HexRgb).toLatin1() + '"';
    if (colour.alpha() < 255)
        text += QByteArray(" ") + name + "-opacity=\"" + number(colour.alphaF()) + '"';
    return text;
}

QByteArray matrix(const QTransform &t)
{
    return "matrix(" + number(t.m11()) + ' ' + number(t.m12()) + ' ' + number(t.m21()) + ' '
        + number(t.m22()) + ' ' + number(t.dx()) + ' ' + number(t.dy()) + ')';
}

// A gradient brush as a definition the shape refers to; empty for a plain colour.
QByteArray gradientDefinition(const QBrush &brush, const QByteArray &id)
{
    const QGradient *gradient = brush.gradient();
    if (!gradient)
        return {};
    QByteArray element;
    if (gradient->type() == QGradient::LinearGradient) {
        const auto *linear = static_cast<const QLinearGradient *>(gradient);
        element = "<linearGradient id=\"" + id + "\" x1=\"" + number(linear->start().x())
            + "\" y1=\"" + number(linear->start().y()) + "\" x2=\""
            + number(linear->finalStop().x()) + "\" y2=\"" + number(linear->finalStop().y()) + '"';
    } else if (gradient->type() == QGradient::RadialGradient) {
        const auto *radial = static_cast<const QRadialGradient *>(gradient);
        element = "<radialGradient id=\"" + id + "\" cx=\"" + number(radial->center().x())
            + "\" cy=\"" + number(radial->center().y()) + "\" r=\"" + number(radial->radius())
            + "\" fx=\"" + number(radial->focalPoint().x()) + "\" fy=\""
            + number(radial->focalPoint().y()) + '"';
    } else {
        return {};
    }
    element += " gradientUnits=\"userSpaceOnUse\"";
    if (!brush.transform().isIdentity())
        element += " gradientTransform=\"" + matrix(brush.transform()) + '"';
    element += '>';
    for (const QGradientStop &stop : gradient->stops())
        element += "<stop offset=\"" + number(stop.first) + '"'
            + colourAttributes("stop-color", stop.second) + "/>";
    element += gradient->type() == QGradient::LinearGradient ? "</linearGradient>"
                                                             : "</radialGradient>";
    return element;
}

} // namespace

namespace ShapeSvg {

QByteArray document(const ShapeList &shapes, QSize size)
{
    QByteArray defs;
    QByteArray body;
    int gradients = 0;
    for (const ShapeList::Shape &shape : shapes.shapes) {
        body += "<path d=\"" + pathData(shape.path) + '"';
        const QByteArray id = "g" + QByteArray::number(gradients);
        const QByteArray gradient = gradientDefinition(shape.brush, id);
        if (!gradient.isEmpty()) {
            defs += gradient;
            ++gradients;
            body += " fill=\"url(#" + id + ")\"";
        } else {
            body += colourAttributes("fill", shape.brush.color());
        }
        if (shape.path.fillRule() == Qt::OddEvenFill)
            body += " fill-rule=\"evenodd\"";
        if (shape.opacity < 1)
            body += " opacity=\"" + number(shape.opacity) + '"';
        if (!shape.antialiased)
            body += " shape-rendering=\"crispEdges\"";
        body += "/>";
    }
    const QByteArray w = QByteArray::number(size.width());
    const QByteArray h = QByteArray::number(size.height());
    // The picture is stretched to its rectangle, as the window does, aspect ratio or not.
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + w + ' ' + h + "\" width=\""
        + w + "\" height=\"" + h + "\" preserveAspectRatio=\"none\">"
        + (defs.isEmpty() ? QByteArray() : "<defs>" + defs + "</defs>") + body + "</svg>";
}

} // namespace ShapeSvg
