#include "appwindows.h"
#include "chmviewer.h"
#include "fakes.h"
#include "scratchdir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <signal.h>

// The whole program on a real display with its real boxes and help viewer; only the clock and
// the random numbers are scripted. The user answers every box: the next answer, then Enter.
class TestProgram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstDayFromAnEmptyFolder()
    {
        ScratchDir dir;
        // A stand-in for xchm that notes its process id and stays open.
        ScratchDir::write(
            "xchm", "#!/bin/sh\necho $$ >>xchm.pids\nexec sleep 600 </dev/null >/dev/null 2>&1\n");
        QVERIFY(QFile::setPermissions("xchm", QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", QFile::encodeName(QDir::currentPath()) + ':' + qgetenv("PATH"));
        FakeServices fs;
        QtDialogs dialogs;
        ChmViewer help;
        AppWindows windows;
        Services services {dialogs, fs, fs, fs, windows, help};
        windows.setServices(services);
        QStringList answers {"腹筋", "1", "腕立て", "1"};
        bool clickOk = false; // the next box is answered with a click on OK rather than Enter
        QTimer user;
        user.callOnTimeout([&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                if (auto *answer = box->findChild<QLineEdit *>())
                    answer->setText(answers.takeFirst());
                if (!std::exchange(clickOk, false))
                    QTest::keyClick(box, Qt::Key_Return);
                for (auto *button : box->findChildren<QAbstractButton *>())
                    if (button->text() == "OK" && box->isVisible())
                        button->click();
            }
        });
        user.start(10);
        const auto find = [&](AppWindow window, const char *name) {
            return windows.loaded(window)->findChild<QWidget *>(name);
        };
        const auto press = [&](const char *button) {
            QMetaObject::invokeMethod(find(AppWindow::Settings, button), "click");
        };
        bool ended = false; // by End, after all that went before
        QTimer::singleShot(0, qApp, [&] {
            windows.show(AppWindow::Counting); // 項目無し, then the settings window
            press("cmdNew");
            press("cmdNew");
            press("cmdAgain");
            QWidget *counting = windows.loaded(AppWindow::Counting);
            QVERIFY(QTest::qWaitForWindowExposed(counting));
            QVERIFY(!windows.loaded(AppWindow::Settings));
            for (Qt::Key arrow : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}) // the 1 becomes 2
                QTest::keyClick(find(AppWindow::Counting, "hsbKaisu"), arrow);
            QTest::keyClicks(find(AppWindow::Counting, "txtKaisu"), "5\r"); // 25
            QTest::keyClick(find(AppWindow::Counting, "cmdCut"), Qt::Key_Return);
            QVERIFY(windows.loaded(AppWindow::Settings)); // the round ended, with no record
            QCOMPARE(ScratchDir::read("腕立て.txt"), "");
            for (int down = 1; down <= 2; ++down) // the first item, then the second
                QTest::keyClick(find(AppWindow::Settings, "lstKoumoku"), Qt::Key_Down);
            press("cmdDel"); // Enter on the question keeps the item
            QCOMPARE(ScratchDir::entries(), QStringList({"xchm", "腕立て.txt", "腹筋.txt", kList}));
            clickOk = true;
            press("cmdDel");
            QCOMPARE(ScratchDir::entries(), QStringList({"xchm", "腹筋.txt", kList}));
            QCOMPARE(ScratchDir::read("腹筋.txt"), kStamp + "25\r\n");
            press("cmdHelp"); // no help file: no viewer
            ScratchDir::write("QvHelp.chm", "ITSF");
            press("cmdHelp");
            press("cmdHelp"); // raises the viewer the first press started
            QTRY_COMPARE(ScratchDir::read("xchm.pids").count('\n'), 1);
            // Another round on an emptied list: its load shows 項目無し while no window is
            // open, and the program goes on to the settings window.
            ScratchDir::write(kList, "");
            press("cmdAgain");
            QTimer::singleShot(0, qApp, [&] {
                ended = true;
                press("cmdEnd");
            });
        });
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(ended);
        QCOMPARE(::kill(ScratchDir::read("xchm.pids").trimmed().toInt(), 0), -1); // closed by End
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
