#pragma once

#include <QDate>
#include <QTime>

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate currentDate() const = 0;
    virtual QTime currentTime() const = 0;
    // Milliseconds since an arbitrary fixed start; never goes back, not even at midnight.
    virtual qint64 monotonicMs() const = 0;
};

class SystemClock final : public Clock
{
public:
    SystemClock();
    QDate currentDate() const override;
    QTime currentTime() const override;
    qint64 monotonicMs() const override;

private:
    qint64 m_start;
};
