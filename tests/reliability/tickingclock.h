#pragma once

#include "clock.h"

#include <QDateTime>

// A clock that moves on by a millisecond at every reading, as a real one does between two
// readings; its monotonic time stands still.
struct TickingClock final : Clock
{
    explicit TickingClock(const QDateTime &start)
        : m_now(start)
    { }
    QDate currentDate() const override { return tick().date(); }
    QTime currentTime() const override { return tick().time(); }
    QDateTime currentDateTime() const override { return tick(); }
    qint64 monotonicMs() const override { return 0; }

private:
    QDateTime tick() const { return std::exchange(m_now, m_now.addMSecs(1)); }
    mutable QDateTime m_now;
};
