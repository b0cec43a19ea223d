#include "appwindows.h"
#include "chmviewer.h"
#include "fakes.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <signal.h>

// The whole program on a real display with its real boxes and help viewer; only the clock and
// the random numbers are scripted. The user answers every box: the next answer, then Enter, or
// a click on OK once clickOk is set.
struct Program
{
    ScratchDir dir;
    FakeServices fs;
    QtDialogs dialogs;
    ChmViewer help;
    AppWindows windows;
    Services services {dialogs, fs, fs, fs, windows, help};
    QStringList answers;
    bool clickOk = false;
    QTimer user;

    Program()
    {
        // A stand-in for xchm that notes its process id and the file it shows, and stays open.
        ScratchDir::write("xchm",
                          "#!/bin/sh\necho $$ >>xchm.pids\necho \"$1\" >>xchm.files\n"
                          "exec sleep 600 </dev/null >/dev/null 2>&1\n");
        QFile::setPermissions("xchm", QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(QDir::currentPath()) + ':' + qgetenv("PATH"));
        windows.setServices(services);
        user.callOnTimeout([this] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            if (auto *answer = box->findChild<QLineEdit *>())
                answer->setText(answers.takeFirst());
            for (auto *button : box->findChildren<QAbstractButton *>())
                if (clickOk && button->text() == "OK")
                    button->click();
            if (box->isVisible())
                QTest::keyClick(box, Qt::Key_Return);
        });
        user.start(10);
    }
    QWidget *find(AppWindow window, const char *name)
    {
        return windows.loaded(window)->findChild<QWidget *>(name);
    }
    void press(const char *button)
    {
        QMetaObject::invokeMethod(find(AppWindow::Settings, button), "click");
    }
    // Shows the first window and runs the steps once the program runs; they end it with End.
    bool run(AppWindow first, const std::function<void()> &steps)
    {
        QTimer::singleShot(0, qApp, [this, first, steps] {
            windows.show(first);
            steps();
        });
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec() == 0;
    }
};

class TestProgram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The first arrow key in the item list picks the first item, the next one the second; Enter
    // on the question keeps it, a click on OK deletes it.
    void deletingByKeyboard()
    {
        Program p;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",1\r\n");
        ScratchDir::write("b.txt", "");
        QVERIFY(ZRVM::LoadItemList().ok());
        QVERIFY(p.run(AppWindow::Settings, [&] {
            for (int down = 1; down <= 2; ++down)
                QTest::keyClick(p.find(AppWindow::Settings, "lstKoumoku"), Qt::Key_Down);
            p.press("cmdDel");
            QCOMPARE(ScratchDir::read(kList), "\"a\",1\r\n\"b\",1\r\n");
            p.clickOk = true;
            p.press("cmdDel");
            p.press("cmdEnd");
        }));
        QCOMPARE(texts(ScratchDir::entries()), Texts({"xchm", kList}));
        QCOMPARE(ScratchDir::read(kList), "\"a\",1\r\n");
    }

    // The data folder's own help comes first; pressing ヘルプ again raises the viewer it
    // started, and End closes it.
    void helpAndEnd()
    {
        Program p;
        ScratchDir::write(kList, "\"a\",1\r\n");
        ScratchDir::write("QvHelp.chm", "ITSF");
        QVERIFY(ZRVM::LoadItemList().ok());
        QVERIFY(p.run(AppWindow::Settings, [&] {
            p.press("cmdHelp");
            p.press("cmdHelp");
            QTRY_COMPARE(ScratchDir::read("xchm.pids").count('\n'), 1);
            // A round started on a list emptied meanwhile says 項目無し and comes back here;
            // the program goes on while that box is open.
            ScratchDir::write(kList, "");
            p.press("cmdAgain");
            QTimer::singleShot(0, qApp, [&] { p.press("cmdEnd"); });
        }));
        const QString shown = QDir::current().filePath("QvHelp.chm");
        QCOMPARE(ScratchDir::read("xchm.files"), QFile::encodeName(shown) + '\n');
        QCOMPARE(::kill(ScratchDir::read("xchm.pids").trimmed().toInt(), 0), -1);
    }
};

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
