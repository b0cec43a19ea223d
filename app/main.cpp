// Zorvex starts by showing its counting window; from there the two windows hand over to each
// other until one is closed with nothing else open, or the settings window's exit command runs.
// main() builds the real platform services and hands them to the windows; the tests hand in
// scripted ones instead.

#include "appwindows.h"
#include "clock.h"
#include "dialogs.h"
#include "eventpump.h"
#include "randomsource.h"
#include "services.h"

#ifdef Q_OS_WIN
#include "htmlhelpviewer_win.h"
using PlatformHelpViewer = HtmlHelpViewer;
#else
#include "chmviewer.h"
using PlatformHelpViewer = ChmViewer;
#endif

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvex"));
    QApplication::setApplicationVersion(QStringLiteral(ZORVEX_VERSION));

    SystemClock clock;
    ClockSeededRandom random(clock);
    QtDialogs dialogs;
    QtEventPump events;
    PlatformHelpViewer help;
    AppWindows windows;
    Services services {dialogs, clock, random, events, windows, help};
    windows.setServices(services);

    windows.show(AppWindow::Counting);
    if (!windows.loaded(AppWindow::Counting) && !windows.loaded(AppWindow::Settings))
        return 0;
    return app.exec();
}
