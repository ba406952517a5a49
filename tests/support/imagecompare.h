// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <algorithm>
#include <cstdlib>

// How many pixels of two images of one size differ by more than tolerance (0 to 255) in any
// channel, premultiplied: two drawings of one picture smooth their edges a little apart, and
// a shape missing or moved shows as many such pixels.
inline int differingPixels(const QImage &a, const QImage &b, int tolerance)
{
    const QImage first = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage second = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int differing = 0;
    for (int y = 0; y < first.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(first.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(second.constScanLine(y));
        for (int x = 0; x < first.width(); ++x) {
            const int most = std::max(
                {std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                    std::abs(qBlue(p[x]) - qBlue(q[x])), std::abs(qAlpha(p[x]) - qAlpha(q[x]))});
            differing += most > tolerance;
        }
    }
    return differing;
}
