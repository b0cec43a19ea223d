// Zorvex starts by showing its counting window; from there the two windows hand over to each
// other until one is closed with nothing else open, or the settings window's exit command runs.
// main() builds the real platform services and hands them to the windows; the tests hand in
// scripted ones instead.

#include "appwindows.h"
#include "clock.h"
#include "dialogs.h"
#include "eventpump.h"
#include "folderlock.h"
#include "randomsource.h"
#include "services.h"
#include "uistyle.h"

#ifdef Q_OS_WIN
#include "htmlhelpviewer_win.h"
using PlatformHelpViewer = HtmlHelpViewer;
#else
#include "chmviewer.h"
using PlatformHelpViewer = ChmViewer;
#endif

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace {

// Every caption is Japanese: without a face that has its glyphs, each window shows rows of
// empty boxes and no message box could say why. The font list is read once in any case for
// the first paint, so asking it costs nothing measurable.
void warnWithoutJapaneseFont()
{
#ifndef ZORVEX_NO_FONT_CHECK
    if (QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        std::fputs("zorvex: no installed font can draw Japanese text; install one with: "
                   "sudo apt-get install fonts-ipafont-gothic\n",
                   stderr);
#endif
}

// Decoding the window icon's four pictures is no part of a window's first frame, as it draws
// nothing inside the window: the title bar and the task switcher take it once the first window
// has painted and what was waiting then has run.
class WindowIconAfterFirstPaint final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow()) {
            QCoreApplication::instance()->removeEventFilter(this);
            QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::LowEventPriority);
        }
        return QObject::eventFilter(watched, event);
    }
    void customEvent(QEvent *) override { QApplication::setWindowIcon(UiStyle::windowIcon()); }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvex"));
    QApplication::setApplicationVersion(QStringLiteral(ZORVEX_VERSION));
    // Qt's own texts (a text box's context menu, standard buttons) in the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    warnWithoutJapaneseFont();
    app.installEventFilter(new WindowIconAfterFirstPaint(&app));

    SystemClock clock;
    ClockSeededRandom random(clock);
    QtDialogs dialogs;
    FolderLock folderLock;
    if (!folderLock.take(dialogs))
        return 1;
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
