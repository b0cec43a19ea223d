#pragma once

// Runs the window system's events for a while, so that a handler that waits stays painted.
class EventPump
{
public:
    virtual ~EventPump() = default;
    // Dispatches every event that arrives within the next ms milliseconds, sleeping while
    // there is none, and returns after that time at the latest.
    virtual void dispatchFor(int ms) = 0;
};

class QtEventPump final : public EventPump
{
public:
    void dispatchFor(int ms) override;
};
