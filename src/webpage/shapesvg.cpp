// SPDX-License-Identifier: GPL-3.0-or-later
#include "shapesvg.h"

#include "shapelist.h"

#include <QGradient>
#include <QHash>
#include <QTransform>
#include <QtMath>
#include <optional>

namespace {

// The shapes are kept in sixteenths of a pixel, so in a space sixteen times larger every
// coordinate is a whole number: written as the step from the point before, most take two or
// three digits, and nothing is rounded. A browser parses every digit of a picture before it
// can draw the first screen.
constexpr qreal Steps = 16;

int steps(qreal value)
{
    return qRound(value * Steps);
}

// Numbers that are not coordinates (opacities, gradient stops): hundredths are plenty.
QByteArray number(qreal value)
{
    QByteArray text = QByteArray::number(value, 'f', 2);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArray("0") : text;
}

// Path data with nothing a parser does not need: a command letter only when the command
// changes, and a space between numbers only where no minus sign separates them.
class PathWriter
{
public:
    explicit PathWriter(qsizetype elements) { m_d.reserve(elements * 8); }

    void command(char letter)
    {
        // After a move, further pairs would be lines: a move is never left implicit.
        if (letter == m_last && letter != 'm')
            return;
        m_d += letter;
        m_last = letter;
        m_afterLetter = true;
    }

    void pair(int x, int y)
    {
        add(x);
        add(y);
    }

    QByteArray take() { return std::move(m_d); }

private:
    void add(int value)
    {
        if (!m_afterLetter && value >= 0)
            m_d += ' ';
        m_d += QByteArray::number(value);
        m_afterLetter = false;
    }

    QByteArray m_d;
    char m_last = 0;
    bool m_afterLetter = false;
};

// Whether a line from b onwards by step continues the line that came to b by before: then
// the point between them changes no edge of the fill, and a browser need not read it. The
// pictures' outlines are strokes turned into polygons, with a quarter of their points such.
bool continues(QPoint before, QPoint step)
{
    return qint64(before.x()) * step.y() == qint64(before.y()) * step.x()
        && qint64(before.x()) * step.x() + qint64(before.y()) * step.y() > 0;
}

QByteArray pathData(const QPainterPath &path)
{
    PathWriter d(path.elementCount());
    QPoint current; // where the segments written so far end, in sixteenths
    std::optional<QPoint> lineEnd; // a line from current, held back in case the next goes on
    const auto writeLine = [&] {
        if (!lineEnd)
            return;
        d.command('l');
        d.pair(lineEnd->x() - current.x(), lineEnd->y() - current.y());
        current = *lineEnd;
        lineEnd.reset();
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPoint at(steps(e.x), steps(e.y));
        switch (e.type) {
        case QPainterPath::MoveToElement:
            writeLine();
            d.command('m');
            d.pair(at.x() - current.x(), at.y() - current.y());
            current = at;
            break;
        case QPainterPath::LineToElement: {
            const QPoint step = at - lineEnd.value_or(current);
            if (step.isNull())
                break; // the same point again
            if (lineEnd && continues(*lineEnd - current, step)) {
                lineEnd = at;
                break;
            }
            writeLine();
            lineEnd = at;
            break;
        }
        case QPainterPath::CurveToElement:
            writeLine();
            // A curve's control points and end are all measured from where it starts.
            d.command('c');
            d.pair(at.x() - current.x(), at.y() - current.y());
            for (int k = 1; k <= 2 && i + 1 < path.elementCount(); ++k) {
                const QPainterPath::Element data = path.elementAt(++i);
                d.pair(steps(data.x) - current.x(), steps(data.y) - current.y());
                if (k == 2)
                    current = {steps(data.x), steps(data.y)};
            }
            break;
        case QPainterPath::CurveToDataElement:
            break; // taken with its curve
        }
    }
    writeLine();
    return d.take();
}

QByteArray colourAttributes(const char *name, const QColor &colour)
{
    QByteArray text = QByteArray(" ") + name + "=\"" + colour.name(QColor::HexRgb).toLatin1() + '"';
    if (colour.alpha() < 255)
        text += QByteArray(" ") + name + "-opacity=\"" + number(colour.alphaF()) + '"';
    return text;
}

QByteArray coordinate(qreal value)
{
    return number(value * Steps);
}

// The brush's transform carried into the space of sixteenths: its linear part is the same
// there, its translation sixteen times larger.
QByteArray matrix(const QTransform &t)
{
    return "matrix(" + number(t.m11()) + ' ' + number(t.m12()) + ' ' + number(t.m21()) + ' '
        + number(t.m22()) + ' ' + coordinate(t.dx()) + ' ' + coordinate(t.dy()) + ')';
}

// A gradient brush's definition without its id: the element's name, and what follows the
// name up to the closing tag (attributes and stops).
struct GradientDefinition
{
    QByteArray name;
    QByteArray content;
};

// Empty for a plain colour.
std::optional<GradientDefinition> gradientDefinition(const QBrush &brush)
{
    const QGradient *gradient = brush.gradient();
    if (!gradient)
        return std::nullopt;
    GradientDefinition definition;
    if (gradient->type() == QGradient::LinearGradient) {
        const auto *linear = static_cast<const QLinearGradient *>(gradient);
        definition.name = "linearGradient";
        definition.content = " x1=\"" + coordinate(linear->start().x()) + "\" y1=\""
            + coordinate(linear->start().y()) + "\" x2=\"" + coordinate(linear->finalStop().x())
            + "\" y2=\"" + coordinate(linear->finalStop().y()) + '"';
    } else if (gradient->type() == QGradient::RadialGradient) {
        const auto *radial = static_cast<const QRadialGradient *>(gradient);
        definition.name = "radialGradient";
        definition.content = " cx=\"" + coordinate(radial->center().x()) + "\" cy=\""
            + coordinate(radial->center().y()) + "\" r=\"" + coordinate(radial->radius())
            + "\" fx=\"" + coordinate(radial->focalPoint().x()) + "\" fy=\""
            + coordinate(radial->focalPoint().y()) + '"';
    } else {
        return std::nullopt;
    }
    QByteArray &content = definition.content;
    content += " gradientUnits=\"userSpaceOnUse\"";
    if (!brush.transform().isIdentity())
        content += " gradientTransform=\"" + matrix(brush.transform()) + '"';
    content += '>';
    for (const QGradientStop &stop : gradient->stops())
        content += "<stop offset=\"" + number(stop.first) + '"'
            + colourAttributes("stop-color", stop.second) + "/>";
    return definition;
}

// Each distinct gradient defined once, however many shapes fill with it.
class Gradients
{
public:
    // The id of the brush's gradient, or empty for a plain colour.
    QByteArray idFor(const QBrush &brush)
    {
        const std::optional<GradientDefinition> definition = gradientDefinition(brush);
        if (!definition)
            return {};
        const QByteArray key = definition->name + definition->content;
        auto found = m_ids.constFind(key);
        if (found != m_ids.cend())
            return *found;
        const QByteArray id = 'g' + QByteArray::number(m_ids.size());
        m_ids.insert(key, id);
        m_defs += '<' + definition->name + " id=\"" + id + '"' + definition->content + "</"
            + definition->name + '>';
        return id;
    }

    QByteArray defs() const
    {
        return m_defs.isEmpty() ? QByteArray() : "<defs>" + m_defs + "</defs>";
    }

private:
    QHash<QByteArray, QByteArray> m_ids;
    QByteArray m_defs;
};

// A picture's shapes as path elements, their gradients defined in gradients.
QByteArray paths(const ShapeList &shapes, Gradients &gradients)
{
    QByteArray body;
    for (const ShapeList::Shape &shape : shapes.shapes) {
        body += "<path d=\"" + pathData(shape.path) + '"';
        const QByteArray id = gradients.idFor(shape.brush);
        if (!id.isEmpty())
            body += " fill=\"url(#" + id + ")\"";
        else
            body += colourAttributes("fill", shape.brush.color());
        if (shape.path.fillRule() == Qt::OddEvenFill)
            body += " fill-rule=\"evenodd\"";
        if (shape.opacity < 1)
            body += " opacity=\"" + number(shape.opacity) + '"';
        if (!shape.antialiased)
            body += " shape-rendering=\"crispEdges\"";
        body += "/>";
    }
    return body;
}

QByteArray svgElement(QSize size)
{
    const QByteArray w = QByteArray::number(size.width());
    const QByteArray h = QByteArray::number(size.height());
    // A picture is stretched to its rectangle, as the window does, aspect ratio or not.
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + w + ' ' + h + "\" width=\""
        + w + "\" height=\"" + h + "\" preserveAspectRatio=\"none\">";
}

const QByteArray ToSteps = "scale(" + QByteArray::number(1 / Steps) + ')';

} // namespace

namespace ShapeSvg {

QByteArray document(const ShapeList &shapes, QSize size)
{
    Gradients gradients;
    const QByteArray body = paths(shapes, gradients);
    return svgElement(size) + gradients.defs() + "<g transform=\"" + ToSteps + "\">" + body
        + "</g></svg>";
}

QByteArray sheet(const QList<Picture> &pictures)
{
    Gradients gradients;
    QByteArray body;
    int width = 0;
    int below = 0; // the sheet's height so far: nothing drawn reaches below it
    for (const Picture &picture : pictures) {
        // Room for whatever a picture draws beyond its rectangle, and a unit more, so that
        // no neighbour shows in a picture's view, nor is smoothed into its edge.
        const QRectF drawn = picture.shapes->boundingRect();
        const int top = below + qCeil(qMax(0.0, -drawn.top())) + 1;
        const QByteArray w = QByteArray::number(picture.size.width());
        const QByteArray h = QByteArray::number(picture.size.height());
        body += "<view id=\"" + picture.name + "\" viewBox=\"0 " + QByteArray::number(top) + ' ' + w
            + ' ' + h + "\" preserveAspectRatio=\"none\"/><g transform=\"translate(0 "
            + QByteArray::number(top) + ") " + ToSteps + "\">" + paths(*picture.shapes, gradients)
            + "</g>";
        below = top + qCeil(qMax(qreal(picture.size.height()), drawn.bottom())) + 1;
        width = qMax(width, picture.size.width());
    }
    return svgElement(QSize(width, below)) + gradients.defs() + body + "</svg>";
}

} // namespace ShapeSvg
