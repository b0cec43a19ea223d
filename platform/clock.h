#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate currentDate() const = 0;
    virtual QTime currentTime() const = 0;
    // The date and the time of one instant. A clock that answers both from one fixed instant,
    // as a scripted one does, need not override it; a running clock must, or a reading right at
    // midnight could pair the old day's date with the new day's time.
    virtual QDateTime currentDateTime() const { return QDateTime(currentDate(), currentTime()); }
    // Milliseconds since an arbitrary fixed start; never goes back, not even at midnight.
    virtual qint64 monotonicMs() const = 0;
};

class SystemClock final : public Clock
{
public:
    SystemClock();
    QDate currentDate() const override;
    QTime currentTime() const override;
    QDateTime currentDateTime() const override;
    qint64 monotonicMs() const override;

private:
    qint64 m_start;
};
