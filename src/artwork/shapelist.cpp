// SPDX-License-Identifier: GPL-3.0-or-later
#include "shapelist.h"

#include <QDataStream>
#include <QIODevice>
#include <QPainter>
#include <cstdlib>

namespace {

constexpr quint32 Magic = 0x5A505348; // "ZPSH"
constexpr quint16 Version = 1;

// A path's elements as one block of types and one of coordinates. A coordinate is kept in
// sixteenths of a pixel, as the step from the element before: the steps are small numbers,
// which keeps the files small, and sixteenths are finer than a device pixel at any size
// the keypad draws at.
constexpr qreal Steps = 16;

bool writePath(QDataStream &out, const QPainterPath &path)
{
    const int count = path.elementCount();
    QByteArray types(count, Qt::Uninitialized);
    QList<qint16> steps(2 * count);
    QPoint last;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPoint at(qRound(e.x * Steps), qRound(e.y * Steps));
        const QPoint step = at - last;
        if (std::abs(step.x()) > 32767 || std::abs(step.y()) > 32767)
            return false;
        types[i] = char(e.type);
        steps[2 * i] = qint16(step.x());
        steps[2 * i + 1] = qint16(step.y());
        last = at;
    }
    out << quint8(path.fillRule()) << quint32(count);
    out.writeRawData(types.constData(), count);
    out.writeRawData(
        reinterpret_cast<const char *>(steps.constData()), int(steps.size() * sizeof(qint16)));
    return true;
}

std::optional<QPainterPath> readPath(QDataStream &in)
{
    quint8 fillRule = 0;
    quint32 count = 0;
    in >> fillRule >> count;
    // A path of a picture holds thousands of elements, not millions: a larger count is a
    // damaged file, not a reason to allocate.
    if (in.status() != QDataStream::Ok || count > (1u << 22) || fillRule > Qt::WindingFill)
        return std::nullopt;
    QByteArray types(qsizetype(count), Qt::Uninitialized);
    QList<qint16> steps(qsizetype(2 * count));
    const int stepBytes = int(steps.size() * sizeof(qint16));
    if (in.readRawData(types.data(), int(count)) != int(count)
        || in.readRawData(reinterpret_cast<char *>(steps.data()), stepBytes) != stepBytes)
        return std::nullopt;

    QList<QPointF> points(count);
    QPoint at;
    for (quint32 i = 0; i < count; ++i) {
        at += QPoint(steps[2 * i], steps[2 * i + 1]);
        points[i] = QPointF(at) / Steps;
    }
    QPainterPath path;
    path.setFillRule(Qt::FillRule(fillRule));
    path.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        switch (QPainterPath::ElementType(types[i])) {
        case QPainterPath::MoveToElement:
            path.moveTo(points[i]);
            break;
        case QPainterPath::LineToElement:
            path.lineTo(points[i]);
            break;
        case QPainterPath::CurveToElement:
            // A curve's two control points follow it as data elements.
            if (i + 2 >= count || types[i + 1] != char(QPainterPath::CurveToDataElement)
                || types[i + 2] != char(QPainterPath::CurveToDataElement))
                return std::nullopt;
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
            break;
        default:
            return std::nullopt;
        }
    }
    return path;
}

} // namespace

QByteArray ShapeList::toBytes() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << Magic << Version << quint32(shapes.size());
    for (const Shape &shape : shapes) {
        out << shape.brush << shape.opacity << shape.antialiased;
        if (!writePath(out, shape.path))
            return {};
    }
    return bytes;
}

std::optional<ShapeList> ShapeList::fromBytes(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint16 version = 0;
    quint32 count = 0;
    in >> magic >> version >> count;
    if (in.status() != QDataStream::Ok || magic != Magic || version != Version
        || count > quint32(bytes.size()))
        return std::nullopt;
    ShapeList list;
    list.shapes.reserve(count);
    for (quint32 i = 0; i < count; ++i) {
        Shape shape;
        in >> shape.brush >> shape.opacity >> shape.antialiased;
        std::optional<QPainterPath> path = readPath(in);
        if (!path || in.status() != QDataStream::Ok)
            return std::nullopt;
        shape.path = std::move(*path);
        list.shapes.append(std::move(shape));
    }
    if (!in.atEnd())
        return std::nullopt;
    return list;
}

void ShapeList::paint(QPainter &painter) const
{
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const Shape &shape : shapes) {
        painter.setOpacity(shape.opacity);
        painter.setRenderHint(QPainter::Antialiasing, shape.antialiased);
        painter.fillPath(shape.path, shape.brush);
    }
    painter.restore();
}

QRectF ShapeList::boundingRect() const
{
    QRectF bounds;
    for (const Shape &shape : shapes)
        bounds |= shape.path.boundingRect();
    return bounds;
}
