#pragma once

#include <QRandomGenerator>

class Clock;

class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void reseedFromClock() = 0;
    // Uniform in [0, 1).
    virtual float nextFraction() = 0;
};

class ClockSeededRandom final : public RandomSource
{
public:
    explicit ClockSeededRandom(const Clock &clock);
    void reseedFromClock() override;
    float nextFraction() override;

private:
    const Clock &m_clock;
    QRandomGenerator m_generator;
};
