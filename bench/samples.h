// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>

// Durations in nanoseconds (or any other unit, as long as one series keeps to it).
class Samples
{
public:
    void reserve(qsizetype count) { m_values.reserve(count); }
    void add(qint64 value) { m_values.append(value); }
    void append(const Samples &other) { m_values.append(other.m_values); }
    qsizetype size() const { return m_values.size(); }
    bool isEmpty() const { return m_values.isEmpty(); }

    // The nearest-rank percentile, 0 < p <= 100; 0 for no samples.
    qint64 percentile(double p) const;
    qint64 median() const { return percentile(50); }

    // "result KEY PINNING COUNT MEDIAN P99", the line the report reads.
    QString resultLine(const QString &key, const QString &pinning) const;

private:
    QList<qint64> m_values;
};
