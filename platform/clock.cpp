#include "clock.h"

#include <QDateTime>
#include <QElapsedTimer>

namespace {
qint64 monotonicNowMs()
{
    QElapsedTimer t;
    t.start();
    return t.msecsSinceReference();
}
} // namespace

SystemClock::SystemClock()
    : m_start(monotonicNowMs())
{ }

QDate SystemClock::currentDate() const
{
    return QDate::currentDate();
}

QTime SystemClock::currentTime() const
{
    return QTime::currentTime();
}

QDateTime SystemClock::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::monotonicMs() const
{
    return monotonicNowMs() - m_start;
}
