// SPDX-License-Identifier: GPL-3.0-or-later

#include "report.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

enum class Unit { Microseconds, Milliseconds, Megabytes, Wakeups };

struct RowDefinition
{
    const char *number;
    const char *what;
    const char *key;
    const char *floorKey;
    Unit unit;
    double goal; // the largest ratio, or for memory and wakeups the most above the floor
    const char *secondFloorKey = nullptr; // shown beside the goal's floor, for comparison
};

const RowDefinition rowDefinitions[] = {
    {"1", "Command round trip, kataxorisi, each after the flash is over", "roundtrip.keypad",
        "roundtrip.floor", Unit::Microseconds, 1.3},
    {"2",
        "Whole presses on a hit area in quick succession, 1920 × 1080 (floor: row 1's client "
        "in quick succession)",
        "press.keypad", "press.floor", Unit::Microseconds, 2},
    {"2t", "Two-finger overlapping tap on two signs (floor: the same two tapped with the mouse)",
        "touch.keypad", "touch.mouse", Unit::Microseconds, 1.0},
    {"2x", "Tap to wire on a real X server, Xvfb 1920 × 1080 (floor: a minimal window)",
        "xtap.keypad", "xtap.floor", Unit::Microseconds, 1.15},
    {"2y", "CPU per tap of row 2x, the program and its X server", "xtapcpu.keypad", "xtapcpu.floor",
        Unit::Microseconds, 2},
    {"3a", "Start to first frame, Xvfb 1280 × 800", "start.xcb.800.keypad", "start.xcb.800.fair",
        Unit::Milliseconds, 1.3, "start.xcb.800.empty"},
    {"3b", "Start to first frame, Xvfb 1920 × 1080", "start.xcb.1080.keypad", "start.xcb.1080.fair",
        Unit::Milliseconds, 1.3, "start.xcb.1080.empty"},
    {"3c", "Start to first frame, Xvfb 3840 × 2160", "start.xcb.2160.keypad", "start.xcb.2160.fair",
        Unit::Milliseconds, 1.3, "start.xcb.2160.empty"},
    {"3d", "Start to first frame, offscreen 1280 × 800", "start.offscreen.800.keypad",
        "start.offscreen.800.fair", Unit::Milliseconds, 1.3, "start.offscreen.800.empty"},
    {"3e", "Start to first frame, offscreen 1920 × 1080", "start.offscreen.1080.keypad",
        "start.offscreen.1080.fair", Unit::Milliseconds, 1.3, "start.offscreen.1080.empty"},
    {"3f", "Start to first frame, offscreen 3840 × 2160", "start.offscreen.2160.keypad",
        "start.offscreen.2160.fair", Unit::Milliseconds, 1.3, "start.offscreen.2160.empty"},
    {"3g", "Peak memory, Xvfb 1280 × 800", "memory.xcb.800.keypad", "memory.xcb.800.fair",
        Unit::Megabytes, 10, "memory.xcb.800.empty"},
    {"3h", "Peak memory, Xvfb 1920 × 1080", "memory.xcb.1080.keypad", "memory.xcb.1080.fair",
        Unit::Megabytes, 10, "memory.xcb.1080.empty"},
    {"3i", "Peak memory, Xvfb 3840 × 2160", "memory.xcb.2160.keypad", "memory.xcb.2160.fair",
        Unit::Megabytes, 10, "memory.xcb.2160.empty"},
    {"3j", "Peak memory, offscreen 1280 × 800", "memory.offscreen.800.keypad",
        "memory.offscreen.800.fair", Unit::Megabytes, 10, "memory.offscreen.800.empty"},
    {"3k", "Peak memory, offscreen 1920 × 1080", "memory.offscreen.1080.keypad",
        "memory.offscreen.1080.fair", Unit::Megabytes, 10, "memory.offscreen.1080.empty"},
    {"3l", "Peak memory, offscreen 3840 × 2160", "memory.offscreen.2160.keypad",
        "memory.offscreen.2160.fair", Unit::Megabytes, 10, "memory.offscreen.2160.empty"},
    {"4a", "Redraw after a toggle, whole window 1920 × 1080", "redraw.1080.keypad",
        "redraw.1080.floor", Unit::Milliseconds, 1.5},
    {"4b", "Redraw after a toggle, whole window 3840 × 2160", "redraw.2160.keypad",
        "redraw.2160.floor", Unit::Milliseconds, 1.5},
    {"5", "Discovery: reply sent to connection accepted", "discovery.keypad", "discovery.floor",
        Unit::Microseconds, 2},
    {"6",
        "Wakeups in a minute connected and idle after the taps of row 2x, Xvfb (floor: the "
        "minimal window of row 2x)",
        "idle.keypad", "idle.floor", Unit::Wakeups, 0},
    {"W1",
        "Tap to wire through the browser, headless Chromium 1180 × 820: pointerup to the line at "
        "the server (floor: a minimal page and Beast server)",
        "webtap.keypad", "webtap.floor", Unit::Milliseconds, 1.3},
    {"W2",
        "Page load to first complete paint, headless Chromium 1180 × 820 (floor: a page showing "
        "one full-viewport SVG)",
        "webload.keypad", "webload.floor", Unit::Milliseconds, 1.5},
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
    case Unit::Wakeups:
        return QString::number(value);
    }
    return {};
}

// The ratio, or for memory and wakeups the difference (megabytes, wakeups).
double compare(const Report::Result &measured, const Report::Result &floor, Unit unit)
{
    if (unit == Unit::Megabytes)
        return double(measured.median - floor.median) / 1024;
    if (unit == Unit::Wakeups)
        return double(measured.median - floor.median);
    return floor.median > 0 ? double(measured.median) / double(floor.median) : 0;
}

QString formatComparison(double value, Unit unit)
{
    const QString sign = value >= 0 ? u"+"_s : QString();
    switch (unit) {
    case Unit::Megabytes:
        return QStringLiteral("%1%2 MB").arg(sign).arg(value, 0, 'f', 1);
    case Unit::Wakeups:
        return QStringLiteral("%1%2").arg(sign).arg(value, 0, 'f', 0);
    default:
        return QStringLiteral("%1×").arg(value, 0, 'f', 2);
    }
}

QString formatGoal(const RowDefinition &row)
{
    if (row.unit == Unit::Megabytes)
        return QStringLiteral("≤ floor + %1 MB").arg(row.goal);
    if (row.unit == Unit::Wakeups)
        return QStringLiteral("≤ floor + %1").arg(row.goal);
    return QStringLiteral("≤ %1×").arg(row.goal);
}

// The runs of a row, each set against the floor of the same run.
struct Comparison
{
    qsizetype runs = 0;
    qsizetype medianRun = -1;
    double median = 0;
    double least = 0;
    double most = 0;
};

Comparison compareRuns(
    const QList<Report::Result> &measured, const QList<Report::Result> &floor, Unit unit)
{
    Comparison comparison;
    QList<QPair<double, qsizetype>> values;
    for (qsizetype run = 0; run < qMin(measured.size(), floor.size()); ++run)
        values.append({compare(measured.at(run), floor.at(run), unit), run});
    if (values.isEmpty())
        return comparison;
    std::sort(values.begin(), values.end());
    const auto &middle = values.at((values.size() - 1) / 2);
    comparison.runs = values.size();
    comparison.median = middle.first;
    comparison.medianRun = middle.second;
    comparison.least = values.first().first;
    comparison.most = values.last().first;
    return comparison;
}

QString formatSpread(const Comparison &comparison, Unit unit)
{
    if (comparison.runs < 2)
        return u"—"_s;
    return formatComparison(comparison.least, unit) + u" – "_s
        + formatComparison(comparison.most, unit);
}

} // namespace

void Report::addLine(const QString &line)
{
    const QStringList words = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    if (words.size() == 6 && words.first() == u"result") {
        m_results[words.at(1) + u' ' + words.at(2)].append(
            Result {words.at(3).toLongLong(), words.at(4).toLongLong(), words.at(5).toLongLong()});
    } else if (words.size() >= 2 && words.first() == u"note") {
        m_notes << QStringLiteral("%1 (%2)").arg(words.mid(2).join(u' '), words.at(1));
    } else if (words.size() >= 2 && words.first() == u"info") {
        m_info << words.mid(1).join(u' ');
    }
}

QList<Report::Result> Report::find(const QString &key, const QString &pinning) const
{
    return m_results.value(key + u' ' + pinning);
}

QString Report::markdown() const
{
    QString text;
    text += QStringLiteral(
        "| # | What | Runs | Median | p99 | Floor median | Floor p99 | Ratio | Spread | Goal | "
        "Met | Against the empty window | Unpinned ratio |\n"
        "|---|---|---:|---:|---:|---:|---:|---:|---|---|---|---:|---:|\n");
    for (const RowDefinition &row : rowDefinitions) {
        const QString key = QString::fromLatin1(row.key);
        const QString floorKey = QString::fromLatin1(row.floorKey);
        const QList<Result> pinned = find(key, u"pinned"_s);
        const Comparison comparison = compareRuns(pinned, find(floorKey, u"pinned"_s), row.unit);

        QStringList cells {QString::fromLatin1(row.number)};
        const qint64 count = pinned.isEmpty() ? 0 : pinned.first().count;
        cells << QStringLiteral("%1 (n = %2)").arg(QString::fromUtf8(row.what)).arg(count);
        if (comparison.runs > 0) {
            const Result &measured = pinned.at(comparison.medianRun);
            const Result &floor = find(floorKey, u"pinned"_s).at(comparison.medianRun);
            cells << QString::number(comparison.runs) << format(measured.median, row.unit)
                  << format(measured.p99, row.unit) << format(floor.median, row.unit)
                  << format(floor.p99, row.unit) << formatComparison(comparison.median, row.unit)
                  << formatSpread(comparison, row.unit) << formatGoal(row)
                  << (comparison.median <= row.goal ? u"yes"_s : u"**no**"_s);
        } else {
            cells << u"0"_s << u"not measured"_s << QString() << QString() << QString() << QString()
                  << QString() << formatGoal(row) << u"—"_s;
        }
        if (row.secondFloorKey) {
            const Comparison second = compareRuns(
                pinned, find(QString::fromLatin1(row.secondFloorKey), u"pinned"_s), row.unit);
            cells << (second.runs > 0 ? formatComparison(second.median, row.unit) : QString());
        } else {
            cells << QString();
        }
        const Comparison unpinned
            = compareRuns(find(key, u"unpinned"_s), find(floorKey, u"unpinned"_s), row.unit);
        cells << (unpinned.runs > 0 ? formatComparison(unpinned.median, row.unit)
                                    : u"not measured"_s);
        text += u"| "_s + cells.join(u" | "_s) + u" |\n"_s;
    }
    if (!m_notes.isEmpty())
        text += u"\nNotes:\n\n- "_s + m_notes.join(u"\n- "_s) + u'\n';
    if (!m_info.isEmpty())
        text += u"\nRun:\n\n- "_s + m_info.join(u"\n- "_s) + u'\n';
    return text;
}
