// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Turns the result lines of a bench run into the table of RESULTS.md.
class Report
{
public:
    // Lines "result KEY PINNING COUNT MEDIAN P99", "note PINNING TEXT" and "info TEXT";
    // anything else is ignored.
    void addLine(const QString &line);

    QString markdown() const;

private:
    struct Result
    {
        qint64 count = 0;
        qint64 median = 0;
        qint64 p99 = 0;
    };

    const Result *find(const QString &key, const QString &pinning) const;

    QHash<QString, Result> m_results; // by "key pinning"
    QStringList m_notes;
    QStringList m_info;
};
