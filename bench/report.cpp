// SPDX-License-Identifier: GPL-3.0-or-later

#include "report.h"

using namespace Qt::StringLiterals;

namespace {

enum class Unit { Microseconds, Milliseconds, Megabytes };

struct RowDefinition
{
    const char *number;
    const char *what;
    const char *key;
    const char *floorKey;
    Unit unit;
    double goal; // the largest ratio, or for memory the most megabytes above the floor
};

const RowDefinition rowDefinitions[] = {
    {"1", "Command round trip, kataxorisi", "roundtrip.keypad", "roundtrip.floor",
        Unit::Microseconds, 1.5},
    {"2", "Whole press on a hit area, 1920 × 1080 (floor of row 1)", "press.keypad",
        "roundtrip.floor", Unit::Microseconds, 3},
    {"2t", "Two-finger overlapping tap on two signs (floor: the same two tapped with the mouse)",
        "touch.keypad", "touch.mouse", Unit::Microseconds, 1.0},
    {"3a", "Start to first frame, Xvfb 1920 × 1080", "start.xcb.keypad", "start.xcb.floor",
        Unit::Milliseconds, 1.3},
    {"3b", "Start to first frame, offscreen 1920 × 1080", "start.offscreen.keypad",
        "start.offscreen.floor", Unit::Milliseconds, 1.3},
    {"3c", "Peak memory, Xvfb", "memory.xcb.keypad", "memory.xcb.floor", Unit::Megabytes, 20},
    {"3d", "Peak memory, offscreen", "memory.offscreen.keypad", "memory.offscreen.floor",
        Unit::Megabytes, 20},
    {"4a", "Redraw after a toggle, whole window 1920 × 1080", "redraw.1080.keypad",
        "redraw.1080.floor", Unit::Milliseconds, 2},
    {"4b", "Redraw after a toggle, whole window 3840 × 2160", "redraw.2160.keypad",
        "redraw.2160.floor", Unit::Milliseconds, 2},
    {"5", "Discovery: reply sent to connection accepted", "discovery.keypad", "discovery.floor",
        Unit::Microseconds, 2},
};

QString format(qint64 value, Unit unit)
{
    switch (unit) {
    case Unit::Microseconds:
        return QStringLiteral("%1 µs").arg(double(value) / 1e3, 0, 'f', 1);
    case Unit::Milliseconds:
        return QStringLiteral("%1 ms").arg(double(value) / 1e6, 0, 'f', 2);
    case Unit::Megabytes:
        return QStringLiteral("%1 MB").arg(double(value) / 1024, 0, 'f', 1);
    }
    return {};
}

// The ratio, or for memory the difference in megabytes.
double compare(qint64 measured, qint64 floor, Unit unit)
{
    if (unit == Unit::Megabytes)
        return double(measured - floor) / 1024;
    return floor > 0 ? double(measured) / double(floor) : 0;
}

QString formatComparison(double value, Unit unit)
{
    if (unit == Unit::Megabytes)
        return QStringLiteral("%1%2 MB").arg(value >= 0 ? "+" : "").arg(value, 0, 'f', 1);
    return QStringLiteral("%1×").arg(value, 0, 'f', 2);
}

QString formatGoal(const RowDefinition &row)
{
    if (row.unit == Unit::Megabytes)
        return QStringLiteral("≤ floor + %1 MB").arg(row.goal);
    return QStringLiteral("≤ %1×").arg(row.goal);
}

} // namespace

void Report::addLine(const QString &line)
{
    const QStringList words = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    if (words.size() == 6 && words.first() == u"result") {
        m_results.insert(words.at(1) + u' ' + words.at(2),
            Result {words.at(3).toLongLong(), words.at(4).toLongLong(), words.at(5).toLongLong()});
    } else if (words.size() >= 2 && words.first() == u"note") {
        m_notes << QStringLiteral("%1 (%2)").arg(words.mid(2).join(u' '), words.at(1));
    } else if (words.size() >= 2 && words.first() == u"info") {
        m_info << words.mid(1).join(u' ');
    }
}

const Report::Result *Report::find(const QString &key, const QString &pinning) const
{
    const auto it = m_results.constFind(key + u' ' + pinning);
    return it == m_results.cend() ? nullptr : &*it;
}

QString Report::markdown() const
{
    QString text;
    text += QStringLiteral(
        "| # | What | Median | p99 | Floor median | Floor p99 | Ratio | Goal | Met | "
        "Unpinned median | Unpinned p99 | Unpinned floor | Unpinned ratio |\n"
        "|---|---|---:|---:|---:|---:|---:|---|---|---:|---:|---:|---:|\n");
    for (const RowDefinition &row : rowDefinitions) {
        const QString key = QString::fromLatin1(row.key);
        const QString floorKey = QString::fromLatin1(row.floorKey);
        const Result *pinned = find(key, QStringLiteral("pinned"));
        const Result *pinnedFloor = find(floorKey, QStringLiteral("pinned"));
        const Result *unpinned = find(key, QStringLiteral("unpinned"));
        const Result *unpinnedFloor = find(floorKey, QStringLiteral("unpinned"));

        QStringList cells {QString::fromLatin1(row.number)};
        const qint64 count = pinned ? pinned->count : unpinned ? unpinned->count : 0;
        cells << QStringLiteral("%1 (n = %2)").arg(QString::fromUtf8(row.what)).arg(count);
        if (pinned && pinnedFloor) {
            const double ratio = compare(pinned->median, pinnedFloor->median, row.unit);
            cells << format(pinned->median, row.unit) << format(pinned->p99, row.unit)
                  << format(pinnedFloor->median, row.unit) << format(pinnedFloor->p99, row.unit)
                  << formatComparison(ratio, row.unit) << formatGoal(row)
                  << (ratio <= row.goal ? u"yes"_s : u"**no**"_s);
        } else {
            cells << u"not measured"_s << QString() << QString() << QString() << QString()
                  << formatGoal(row) << u"—"_s;
        }
        if (unpinned && unpinnedFloor) {
            cells << format(unpinned->median, row.unit) << format(unpinned->p99, row.unit)
                  << format(unpinnedFloor->median, row.unit)
                  << formatComparison(
                         compare(unpinned->median, unpinnedFloor->median, row.unit), row.unit);
        } else {
            cells << u"not measured"_s << QString() << QString() << QString();
        }
        text += u"| "_s + cells.join(u" | "_s) + u" |\n"_s;
    }
    if (!m_notes.isEmpty())
        text += u"\nNotes:\n\n- "_s + m_notes.join(u"\n- "_s) + u'\n';
    if (!m_info.isEmpty())
        text += u"\nRun:\n\n- "_s + m_info.join(u"\n- "_s) + u'\n';
    return text;
}
