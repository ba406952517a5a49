// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <limits>

// The rounds of a long test loop: a number of them and, under an emulator (Wine), a time bound
// as well. There a round costs many times what it costs natively, the more the busier the
// machine, while Qt Test still gives a test function five minutes.
class LoopBudget
{
public:
    LoopBudget(int rounds, [[maybe_unused]] qint64 emulatorBoundMs)
        : m_rounds(rounds)
#ifdef ZP_TESTS_UNDER_EMULATOR
        , m_boundMs(emulatorBoundMs)
#endif
    {
        m_clock.start();
    }

    // Whether another round is due; it is then counted.
    bool next()
    {
        if (m_started >= m_rounds || m_clock.elapsed() >= m_boundMs)
            return false;
        ++m_started;
        return true;
    }

    int started() const
    {
        return m_started;
    }

private:
    int m_rounds;
    qint64 m_boundMs = std::numeric_limits<qint64>::max();
    int m_started = 0;
    QElapsedTimer m_clock;
};
