// SPDX-License-Identifier: GPL-3.0-or-later

#include "roundtripbench.h"

#include "benchkeypad.h"
#include "commandchannel.h"
#include "hitareaitem.h"
#include "keypadsession.h"
#include "layout.h"
#include "logmemo.h"
#include "messageboxes.h"
#include "peerprocess.h"
#include "posixpeers.h"
#include "samples.h"
#include "tmainclient.h"
#include "wireformat.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointingDevice>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <QtGui/qtestsupport_gui.h>
#include <memory>

namespace {

// The floor and the keypad take turns in blocks, so that a slow spell of the machine
// falls on both.
constexpr int Blocks = 10;
constexpr int WarmUp = 2000;
// Longer than a sign's flash, so that each command finds the last one's flash over.
constexpr int IdleMs = HitAreaItem::FlashMs + 20;
// The pressed sign: a hit area of the ascent chart, whose rule sends and then resets the charts.
constexpr auto Sign = u"a6";
constexpr int Width = 1920;
constexpr int Height = 1080;

} // namespace

RoundTripBench::RoundTripBench(const QString &peerProgram, const QString &pinning, Counts counts)
    : m_peerProgram(peerProgram)
    , m_pinning(pinning)
    , m_counts(counts)
{ }

bool RoundTripBench::run(QTextStream &out)
{
    PeerProcess server(m_peerProgram, {QStringLiteral("ok-server")});
    if (!server.start()) {
        out << "note " << m_pinning << " the ok server did not start" << Qt::endl;
        return false;
    }

    BenchKeypad keypad;
    TMainClient *window = keypad.window();
    if (!keypad.show(Width, Height) || !keypad.connectTo(server.port())) {
        out << "note " << m_pinning << " the keypad did not connect" << Qt::endl;
        return false;
    }
    QObject *sign = window->component(Sign);
    const QByteArray line = WireFormat::encodeCommandLine(sign->objectName());
    const std::string floorLine(line.constData(), size_t(line.size()));
    const int floor = PosixPeers::connectTcp("127.0.0.1", server.port());
    if (floor < 0) {
        out << "note " << m_pinning << " the floor client did not connect" << Qt::endl;
        return false;
    }

    int failures = 0;
    Samples floorSamples;
    Samples keypadSamples;
    const auto floorBlock = [&](int count, Samples *samples) {
        for (int i = 0; i < count; ++i) {
            const std::int64_t start = PosixPeers::nowNs();
            const bool ok = PosixPeers::roundTrip(floor, floorLine);
            const std::int64_t end = PosixPeers::nowNs();
            if (!ok)
                ++failures;
            if (samples)
                samples->add(end - start);
        }
    };
    const auto keypadBlock = [&](int count, Samples *samples) {
        for (int i = 0; i < count; ++i) {
            const std::int64_t start = PosixPeers::nowNs();
            window->session()->kataxorisi(sign->objectName());
            const std::int64_t end = PosixPeers::nowNs();
            if (window->session()->channel()->lastOutcome() != CommandChannel::Outcome::Confirmed)
                ++failures;
            if (samples)
                samples->add(end - start);
            // What the window has to do after a command (repaints, the flash ending) is done
            // outside the measurement, as it would be between two taps.
            QCoreApplication::processEvents();
        }
    };

    floorBlock(WarmUp, nullptr);
    keypadBlock(WarmUp, nullptr);

    // A real tap comes after the flash of the last one has ended, so each command here does
    // too; the floor's commands come after as long an idle spell. The event loop runs
    // through the idle spells: the flash ends and its repaint is done there.
    auto *area = qobject_cast<HitAreaItem *>(sign);
    // A real event loop, asleep in the system until the time is up, as the program is
    // between taps (QTest::qWait would wake it every ten milliseconds).
    const auto idle = [] {
        QEventLoop loop;
        QTimer::singleShot(IdleMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    };
    floorSamples.reserve(m_counts.roundTrips);
    keypadSamples.reserve(m_counts.roundTrips);
    for (int i = 0; i < m_counts.roundTrips; ++i) {
        idle();
        if (area->isFlashing())
            ++failures;
        keypadBlock(1, &keypadSamples);
        idle();
        floorBlock(1, &floorSamples);
    }

    // Whole presses: a real press and release on the viewport, through the view's hit
    // testing, the press rule and kataxorisi; what they leave to paint is painted after.
    // They come in quick succession, as do the floor's commands they are set against.
    int clicks = 0;
    QObject::connect(area, &HitAreaItem::clicked, area, [&clicks] { ++clicks; });
    QWidget *viewport = window->viewport();
    const QPoint centre = keypad.centreOf(Sign);
    Samples pressSamples;
    Samples pressFloorSamples;
    const auto pressBlock = [&](int count, Samples *samples) {
        for (int i = 0; i < count; ++i) {
            const int clicksBefore = clicks;
            const std::int64_t start = PosixPeers::nowNs();
            QTest::mousePress(viewport, Qt::LeftButton, {}, centre);
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre);
            const std::int64_t end = PosixPeers::nowNs();
            if (clicks != clicksBefore + 1
                || window->session()->channel()->lastOutcome()
                    != CommandChannel::Outcome::Confirmed)
                ++failures;
            if (samples)
                samples->add(end - start);
            QCoreApplication::processEvents();
        }
    };
    pressBlock(WarmUp / 10, nullptr);
    const int pressesPerBlock = qMax(1, m_counts.presses / Blocks);
    for (int block = 0; block < Blocks; ++block) {
        floorBlock(pressesPerBlock, &pressFloorSamples);
        pressBlock(pressesPerBlock, &pressSamples);
    }
    PosixPeers::closeSocket(floor);

    // Two fingers on two signs, the second landing before the first lifts, against the same
    // two signs tapped one after the other with the mouse, in turns. The signs are ones the
    // offscreen screen holds: touch points are placed by where they lie on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QStringList pair;
    for (const Layout::Row &row : Layout::rows()) {
        if (row.handler != Layout::Handler::c3Click || pair.size() == 2)
            continue;
        const QString name = QString::fromLatin1(row.name);
        if (window->item(name)->isVisible()
            && screen.contains(window->mapToGlobal(keypad.centreOf(name))))
            pair << name;
    }
    Samples touchSamples;
    Samples mouseSamples;
    if (pair.size() == 2) {
        const std::unique_ptr<QPointingDevice> fingers(QTest::createTouchDevice());
        const QPoint first = keypad.centreOf(pair.at(0));
        const QPoint second = keypad.centreOf(pair.at(1));
        const auto confirmed = [&] {
            return window->session()->channel()->lastOutcome()
                == CommandChannel::Outcome::Confirmed;
        };
        // Handed to the window system layer as a touch screen's driver would, without the
        // millisecond that QTest's touch sequences sleep before each event.
        QWindow *handle = window->windowHandle();
        const auto point = [&](int id, QEventPoint::State state, const QPoint &at) {
            return QEventPoint(id, state, at, window->mapToGlobal(at));
        };
        int mouseTime = 0;
        using State = QEventPoint::State;
        const QList<QList<QEventPoint>> overlappingTap {
            {point(0, State::Pressed, first)},
            {point(0, State::Stationary, first), point(1, State::Pressed, second)},
            {point(0, State::Released, first), point(1, State::Stationary, second)},
            {point(1, State::Released, second)},
        };
        for (int i = 0; i < WarmUp / 10 + m_counts.presses / 2; ++i) {
            std::int64_t start = PosixPeers::nowNs();
            for (const QList<QEventPoint> &points : overlappingTap)
                qt_handleTouchEvent(handle, fingers.get(), points);
            std::int64_t end = PosixPeers::nowNs();
            if (!confirmed())
                ++failures;
            if (i >= WarmUp / 10)
                touchSamples.add(end - start);
            QCoreApplication::processEvents();

            // The mouse taps enter where the touch points do, at the window system layer,
            // so that both pay for the toolkit's routing to the view. Each tap is a second
            // after the last, so that none is taken for a double click.
            start = PosixPeers::nowNs();
            for (const QPoint &at : {first, second}) {
                mouseTime += 1000;
                qt_handleMouseEvent(handle, at, window->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, QEvent::MouseButtonPress, {}, mouseTime);
                qt_handleMouseEvent(handle, at, window->mapToGlobal(at), Qt::NoButton,
                    Qt::LeftButton, QEvent::MouseButtonRelease, {}, mouseTime);
            }
            end = PosixPeers::nowNs();
            if (!confirmed())
                ++failures;
            if (i >= WarmUp / 10)
                mouseSamples.add(end - start);
            QCoreApplication::processEvents();
        }
    }

    const QStringList messages = keypad.messages();
    if (failures > 0 || !messages.isEmpty()) {
        out << "note " << m_pinning << " round trips and presses: " << failures
            << " failed, messages: " << messages.join(u"; ") << Qt::endl;
        return false;
    }
    out << floorSamples.resultLine(QStringLiteral("roundtrip.floor"), m_pinning) << Qt::endl;
    out << keypadSamples.resultLine(QStringLiteral("roundtrip.keypad"), m_pinning) << Qt::endl;
    out << pressFloorSamples.resultLine(QStringLiteral("press.floor"), m_pinning) << Qt::endl;
    out << pressSamples.resultLine(QStringLiteral("press.keypad"), m_pinning) << Qt::endl;
    if (pair.size() == 2) {
        out << mouseSamples.resultLine(QStringLiteral("touch.mouse"), m_pinning) << Qt::endl;
        out << touchSamples.resultLine(QStringLiteral("touch.keypad"), m_pinning) << Qt::endl;
    } else {
        out << "note " << m_pinning << " no two signs lie on the screen: touch not measured"
            << Qt::endl;
    }
    return true;
}
