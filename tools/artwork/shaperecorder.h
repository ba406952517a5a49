// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shapelist.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QSize>
#include <memory>

// A paint device that keeps what is painted on it as filled shapes in its own pixels: a
// fill as its path, a stroke as the outline the pen covers. Text and bitmaps are not kept;
// painting either marks the recording as failed, as the pictures must be drawn of outlines.
class ShapeRecorder : public QPaintDevice
{
public:
    explicit ShapeRecorder(QSize size);
    ~ShapeRecorder() override;

    QPaintEngine *paintEngine() const override;
    const ShapeList &shapes() const;
    bool failed() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    QSize m_size;
    std::unique_ptr<Engine> m_engine;
};
