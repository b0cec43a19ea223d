#pragma once

#include "fakes.h"

#include <QCoreApplication>

// The tests' stand-ins, left unscripted so that they answer at once: every box is confirmed, and
// the clock and the event pump only pretend to wait, so that a benchmark times the program and
// not a user or a wall clock. What is pending still runs during a wait, as in a real one.
struct BenchServices
{
    explicit BenchServices(WindowManager &windows)
        : services {fake, fake, fake, fake, windows, fake}
    {
        fake.duringDispatch = [] {
            QCoreApplication::processEvents();
        };
    }

    FakeServices fake;
    Services services;
};

using BenchClock = FakeServices;
// The window benchmarks drive one window at a time; its requests are only noted.
using BenchNoWindows = FakeServices;
