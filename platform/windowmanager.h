#pragma once

class QWidget;

enum class AppWindow { Counting, Settings };

// Showing and unloading the two windows, and ending the program.
//
// show() creates the window if it is not loaded and runs its load handler before it returns.
// unload() may be called from a handler of the window itself: the window disappears at
// once and is destroyed only after the handler has returned. The program ends when no
// window is open and no handler is running, or at once through endProgram().
class WindowManager
{
public:
    virtual ~WindowManager() = default;
    virtual void show(AppWindow which) = 0;
    virtual void unload(QWidget *window) = 0;
    virtual void endProgram() = 0;
};
