#pragma once

#include "appwindows.h"
#include "fakes.h"

// The real window lifetime with scripted boxes, clock and random numbers: the program as a
// user runs it, short of main(). For tests that link zorvex_appwindows.
struct RealProgram
{
    FakeServices fs;
    AppWindows windows;
    Services services {fs.dialogs, fs.clock, fs.random, fs.events, windows, fs.help};

    RealProgram() { windows.setServices(services); }
    // Starts as main() does and gives the counting window, if it stayed loaded.
    QWidget *start()
    {
        windows.show(AppWindow::Counting);
        return windows.loaded(AppWindow::Counting);
    }
};
