#pragma once

class Clock;
class Dialogs;
class EventPump;
class HelpViewer;
class RandomSource;
class WindowManager;

// Everything a window needs of the platform, handed in by whoever creates the window.
struct Services
{
    Dialogs &dialogs;
    Clock &clock;
    RandomSource &random;
    EventPump &events;
    WindowManager &windows;
    HelpViewer &help;
};
