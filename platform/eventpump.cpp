#include "eventpump.h"

#include <QEventLoop>
#include <QTimer>

void QtEventPump::dispatchFor(int ms)
{
    if (ms <= 0)
        return;
    // A local loop sleeps in the window system's poll until an event or the timer comes, so the
    // wait paints and takes input without spinning a core.
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
