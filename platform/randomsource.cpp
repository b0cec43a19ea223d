#include "randomsource.h"

#include "clock.h"

#include <QTime>

ClockSeededRandom::ClockSeededRandom(const Clock &clock)
    : m_clock(clock)
{
    reseedFromClock();
}

void ClockSeededRandom::reseedFromClock()
{
    // Time of day and the monotonic reading together: a new seed for every draw, as long as the
    // draws are at least a millisecond apart.
    const QTime now = m_clock.currentTime();
    const quint64 seed
        = (quint64(now.msecsSinceStartOfDay()) << 32) ^ quint64(m_clock.monotonicMs());
    m_generator.seed(quint32(seed ^ (seed >> 32)));
}

float ClockSeededRandom::nextFraction()
{
    // 24 random bits give every float in [0, 1) that the single-precision draw can hold.
    return float(m_generator.bounded(1u << 24)) / float(1u << 24);
}
