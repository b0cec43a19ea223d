#include "benchservices.h"

#include <QCoreApplication>

void BenchEventPump::dispatchFor(int ms)
{
    // What is pending still runs, as in a real wait; only the waiting itself is skipped.
    QCoreApplication::processEvents();
    m_clock.monotonic += ms;
}
