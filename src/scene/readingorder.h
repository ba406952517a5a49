// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRectF>

// The order in which a reader goes over controls laid out on a screen: line by line from the
// top, each line from the left. The rows of a chart are not exact (a tile may stand a few
// units higher than its neighbours), so a line is everything whose middle lies above the
// bottom edge of the line's first control rather than everything at one height.
namespace ReadingOrder {

// The indices of rects, in reading order.
QList<qsizetype> sort(const QList<QRectF> &rects);

} // namespace ReadingOrder
