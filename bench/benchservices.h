#pragma once

#include "fakes.h"

#include <QCoreApplication>

// The tests' stand-ins, left unscripted so that they answer at once: every box is confirmed, and
// the clock and the event pump only pretend to wait, so that a benchmark times the program and
// not a user or a wall clock. What is pending still runs during a wait, as in a real one.
struct BenchServices
{
    explicit BenchServices(WindowManager &windows)
        : services {dialogs, clock, random, events, windows, help}
    {
        events.duringDispatch = [] {
            QCoreApplication::processEvents();
        };
    }

    FakeDialogs dialogs;
    FakeClock clock;
    FakeRandom random;
    FakeEventPump events {clock};
    FakeHelp help;
    Services services;
};

using BenchClock = FakeClock;
// The window benchmarks drive one window at a time; its requests are only noted.
using BenchNoWindows = FakeWindows;
