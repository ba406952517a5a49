// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Turns the result lines of a bench run into the table of RESULTS.md.
//
// A row may be measured several times in one bench run: the n-th result of a key is paired
// with the n-th result of its floor, each pair gives one ratio, and the row reports the
// median of those ratios and their spread.
class Report
{
public:
    // Lines "result KEY PINNING COUNT MEDIAN P99", "note PINNING TEXT" and "info TEXT";
    // anything else is ignored.
    void addLine(const QString &line);

    QString markdown() const;

    struct Result
    {
        qint64 count = 0;
        qint64 median = 0;
        qint64 p99 = 0;
    };

private:
    QList<Result> find(const QString &key, const QString &pinning) const;

    QHash<QString, QList<Result>> m_results; // by "key pinning", in the order measured
    QStringList m_notes;
    QStringList m_info;
};
