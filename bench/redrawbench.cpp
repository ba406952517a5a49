// SPDX-License-Identifier: GPL-3.0-or-later

#include "redrawbench.h"

#include "benchkeypad.h"
#include "fullwindowpixmap.h"
#include "posixpeers.h"
#include "pressrules.h"
#include "samples.h"
#include "tmainclient.h"

#include <QCoreApplication>
#include <QGraphicsItem>
#include <QTest>

namespace {

constexpr int WarmUpRounds = 2;

qint64 timedRepaint(QWidget *surface)
{
    const std::int64_t start = PosixPeers::nowNs();
    surface->repaint();
    return PosixPeers::nowNs() - start;
}

} // namespace

RedrawBench::RedrawBench(const QString &pinning, int count)
    : m_pinning(pinning)
    , m_count(count)
{ }

bool RedrawBench::run(QTextStream &out, int width, int height)
{
    BenchKeypad keypad;
    TMainClient *window = keypad.window();
    if (!keypad.show(width, height)) {
        out << "note " << m_pinning << " the keypad window was not exposed" << Qt::endl;
        return false;
    }
    QCoreApplication::processEvents();

    FullWindowPixmap floor(window->grab());
    floor.setGeometry(0, 0, width, height);
    floor.show();
    if (!QTest::qWaitForWindowExposed(&floor)) {
        out << "note " << m_pinning << " the floor window was not exposed" << Qt::endl;
        return false;
    }

    // Every toggle in turn, each press a real click on the toggle through the view.
    QList<QPoint> toggles;
    for (const PressRules::TogglePair &pair : PressRules::togglePairs())
        toggles << keypad.centreOf(QString::fromLatin1(pair.toggle));
    const auto visibleAlternates = [window] {
        int count = 0;
        for (const PressRules::TogglePair &pair : PressRules::togglePairs())
            count += window->item(QString::fromLatin1(pair.alternate))->isVisible() ? 1 : 0;
        return count;
    };

    Samples keypadSamples;
    Samples floorSamples;
    int failures = 0;
    const qsizetype warmUp = WarmUpRounds * toggles.size();
    for (qsizetype i = 0; i < warmUp + m_count; ++i) {
        const int before = visibleAlternates();
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {}, toggles.at(i % toggles.size()));
        if (visibleAlternates() == before)
            ++failures;
        // The viewport fills the window; a repaint of the window itself would leave it out.
        const qint64 keypadTime = timedRepaint(window->viewport());
        QCoreApplication::processEvents();
        const qint64 floorTime = timedRepaint(&floor);
        QCoreApplication::processEvents();
        if (i < warmUp)
            continue;
        keypadSamples.add(keypadTime);
        floorSamples.add(floorTime);
    }

    if (failures > 0 || !keypad.messages().isEmpty()) {
        out << "note " << m_pinning << " redraw " << width << "x" << height << ": " << failures
            << " toggles swapped nothing" << Qt::endl;
        return false;
    }
    const QString size = QString::number(height);
    out << floorSamples.resultLine(QStringLiteral("redraw.%1.floor").arg(size), m_pinning)
        << Qt::endl;
    out << keypadSamples.resultLine(QStringLiteral("redraw.%1.keypad").arg(size), m_pinning)
        << Qt::endl;
    return true;
}
