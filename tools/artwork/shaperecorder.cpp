// SPDX-License-Identifier: GPL-3.0-or-later
#include "shaperecorder.h"

#include <QPainter>
#include <QPainterPathStroker>

namespace {

// A stroke's outline as it comes from the stroker is a heap of overlapping curved pieces,
// which costs a painter several times more to fill than the shape they cover. Merged into
// one outline of short lines, worked out four times finer than the picture's pixels so that
// the lines stay shorter than a pixel at the largest size the keypad shows.
QPainterPath simplified(const QPainterPath &outline)
{
    constexpr qreal fine = 4;
    const QTransform up = QTransform::fromScale(fine, fine);
    return up.inverted().map(up.map(outline).simplified());
}

// A gradient follows the shapes into the picture's pixels. A plain colour is left without a
// transform: a painter fills a transformed brush the slow way, even a plain one.
QBrush placed(const QBrush &brush, const QTransform &toDevice)
{
    if (brush.style() == Qt::SolidPattern)
        return QBrush(brush.color());
    QBrush moved = brush;
    moved.setTransform(brush.transform() * toDevice);
    return moved;
}

} // namespace

class ShapeRecorder::Engine : public QPaintEngine
{
public:
    // Every feature claimed, so that the painter hands over paths, transforms and brushes
    // as they are instead of emulating them.
    Engine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    { }

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override { }
    Type type() const override { return User; }

    void drawPath(const QPainterPath &path) override { record(path, true); }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (count < 2)
            return;
        QPainterPath path(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode != PolylineMode)
            path.closeSubpath();
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        record(path, mode != PolylineMode);
    }

    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { failed = true; }
    void drawTextItem(const QPointF &, const QTextItem &) override { failed = true; }

    ShapeList shapes;
    bool failed = false;

private:
    void record(const QPainterPath &path, bool filled)
    {
        const QPainter *p = painter();
        const QTransform toDevice = p->combinedTransform();
        const float opacity = float(p->opacity());
        const bool antialiased = p->testRenderHint(QPainter::Antialiasing);
        if (filled && p->brush().style() != Qt::NoBrush) {
            shapes.shapes.append({toDevice.map(path), placed(p->brush(), toDevice), opacity,
                antialiased});
        }
        const QPen pen = p->pen();
        if (pen.style() == Qt::NoPen || pen.brush().style() == Qt::NoBrush)
            return;
        // A cosmetic pen is as wide in device pixels whatever the transform.
        QPainterPath outline;
        if (pen.isCosmetic()) {
            QPainterPathStroker stroker(pen);
            stroker.setWidth(qMax(pen.widthF(), 1.0));
            outline = stroker.createStroke(toDevice.map(path));
        } else {
            outline = toDevice.map(QPainterPathStroker(pen).createStroke(path));
        }
        shapes.shapes.append(
            {simplified(outline), placed(pen.brush(), toDevice), opacity, antialiased});
    }
};

ShapeRecorder::ShapeRecorder(QSize size)
    : m_size(size)
    , m_engine(std::make_unique<Engine>())
{ }

ShapeRecorder::~ShapeRecorder() = default;

QPaintEngine *ShapeRecorder::paintEngine() const
{
    return m_engine.get();
}

const ShapeList &ShapeRecorder::shapes() const
{
    return m_engine->shapes;
}

bool ShapeRecorder::failed() const
{
    return m_engine->failed;
}

int ShapeRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return qRound(m_size.width() * 25.4 / 96);
    case PdmHeightMM:
        return qRound(m_size.height() * 25.4 / 96);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
}
