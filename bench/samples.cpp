// SPDX-License-Identifier: GPL-3.0-or-later

#include "samples.h"

#include <algorithm>
#include <cmath>

qint64 Samples::percentile(double p) const
{
    if (m_values.isEmpty())
        return 0;
    QList<qint64> sorted = m_values;
    const auto rank = qsizetype(std::ceil(p / 100.0 * double(sorted.size())));
    const qsizetype index = std::clamp<qsizetype>(rank - 1, 0, sorted.size() - 1);
    std::nth_element(sorted.begin(), sorted.begin() + index, sorted.end());
    return sorted.at(index);
}

QString Samples::resultLine(const QString &key, const QString &pinning) const
{
    return QStringLiteral("result %1 %2 %3 %4 %5")
        .arg(key, pinning)
        .arg(size())
        .arg(median())
        .arg(percentile(99));
}
