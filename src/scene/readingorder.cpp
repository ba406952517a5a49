// SPDX-License-Identifier: GPL-3.0-or-later
#include "readingorder.h"

#include <algorithm>
#include <iterator>
#include <numeric>

namespace ReadingOrder {

QList<qsizetype> sort(const QList<QRectF> &rects)
{
    QList<qsizetype> order(rects.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&rects](qsizetype a, qsizetype b) {
        return rects[a].center().y() < rects[b].center().y();
    });
    auto lineStart = order.begin();
    while (lineStart != order.end()) {
        const qreal bottom = rects[*lineStart].bottom();
        const auto lineEnd = std::find_if(std::next(lineStart), order.end(),
            [&rects, bottom](qsizetype i) { return rects[i].center().y() > bottom; });
        std::stable_sort(lineStart, lineEnd,
            [&rects](qsizetype a, qsizetype b) { return rects[a].left() < rects[b].left(); });
        lineStart = lineEnd;
    }
    return order;
}

} // namespace ReadingOrder
