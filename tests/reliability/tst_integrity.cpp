#include "failuretexts.h"
#include "folderlock.h"
#include "itemlist.h"
#include "realprogram.h"
#include "scratchdir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QLockFile>
#include <QProcess>
#include <unistd.h>

using Step = std::function<IoStatus(ItemTable &)>;
Q_DECLARE_METATYPE(Step)

// File modes mean nothing to root, so as root the current test (or row) runs again as nobody,
// with a copy of the display's key that nobody may read.
static void runAsNobody()
{
    QTemporaryDir key;
    QFile::copy(qEnvironmentVariable("XAUTHORITY"), key.filePath("x")); // none offscreen
    QFile::setPermissions(key.path(), QFile::Permissions(0x7755));
    QFile::setPermissions(key.filePath("x"), QFile::Permissions(0x6644));
    QProcess child;
    child.setEnvironment(QProcess::systemEnvironment() << "XAUTHORITY=" + key.filePath("x"));
    const QString tag = QTest::currentDataTag() ? QString(":") + QTest::currentDataTag() : "";
    child.start("setpriv",
                {"--reuid=nobody", "--regid=nogroup", "--clear-groups", qApp->applicationFilePath(),
                 QTest::currentTestFunction() + tag});
    if (!child.waitForStarted())
        QSKIP("needs setpriv to run as nobody: file modes mean nothing to root");
    QVERIFY(child.waitForFinished(60000));
    QVERIFY2(child.exitCode() == 0, child.readAll().constData());
}

// Both windows for real with scripted boxes, started on a folder holding this item list.
struct Program : RealProgram
{
    ScratchDir dir;
    explicit Program(const QByteArray &list, int mode = 0x6644)
    {
        ScratchDir::write(kList, list);
        QFile::setPermissions(kList, QFile::Permissions(mode));
        start();
    }
    // Clicks the buttons once the window shows; gives the titles of all message boxes so far.
    QStringList click(AppWindow window, const QStringList &buttons)
    {
        QWidget *w = windows.loaded(window);
        for (const QString &button : buttons)
            if (QTest::qWaitForWindowExposed(w))
                w->findChild<QAbstractButton *>(button)->click();
        return fs.dialogs.shown;
    }
};

class TestIntegrity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dataLayer_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("kept"); // how the list file is kept
        QTest::addColumn<Step>("step"); // after reading the list into a table
        QTest::addColumn<QString>("told"); // the title and the line that names the cause
        QTest::addColumn<QByteArray>("after");
        const QByteArray a("\"a\",1\r\n");
        // clang-format off
        const Step save = [](ItemTable &t) { return ItemList::save(t); };
        QTest::newRow("a list behind a symbolic link is written through it") << a << "link"
            << Step([](ItemTable &t) { t.setItem(1, "a", 2); return ItemList::save(t); }) << "" << QByteArray("\"a\",2\r\n");
        QTest::newRow("a list an editor saved as UTF-8 goes back to code page 932, same names")
            << hex("EF BB BF 22 E8 85 95 E7 AB 8B E3 81 A6 22 2C 35 0D 0A") << "file" << save << ""
            << hex("22 98 72 97 A7 82 C4 22 2C 35 0D 0A");
        QTest::newRow("a name that would read back as another is not saved") << a << "file"
            << Step([](ItemTable &t) { t.setItem(1, "\uF86F", 1); return ItemList::save(t); }) << "書き込みエラー 項目名「\uF86F」は項目一覧にそのまま書けない文字を含みます。" << a;
        QTest::newRow("a read-only list is not replaced") << a << "read-only" << save
            << "書き込みエラー ディスクの空き容量と書き込み権限を確認してください。" << a;
        // clang-format on
    }
    void dataLayer()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, kept);
        QFETCH(Step, step);
        QFETCH(QByteArray, after);
        if (geteuid() == 0 && kept == "read-only")
            return runAsNobody();
        ScratchDir dir;
        ScratchDir::write(kept == "link" ? "real.txt" : kList, list);
        QVERIFY(kept != "link" || QFile::link("real.txt", kList));
        const int mode = kept == "read-only" ? 0x4444 : 0x6644;
        QVERIFY(QFile::setPermissions(kList, QFile::Permissions(mode)));
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        const QStringList before = snapshot(".", false);
        const IoStatus s = step(t);
        QTEST(s.ok() ? "" : FailureTexts::title(s) + ' ' + FailureTexts::text(s).section('\n', 1),
              "told");
        QCOMPARE(QFileInfo(kList).isSymLink(), kept == "link");
        if (after == list)
            QCOMPARE(snapshot(".", false), before); // byte for byte, mode for mode, the same file
        QCOMPARE(ScratchDir::read(kList), after);
    }

    void windowsNeverRewriteAListTheyCouldNotRead()
    {
        if (geteuid() == 0)
            return runAsNobody();
        Program p("\"a\",1\r\n\"b\",2\r\n", 0x2200); // writable, not readable
        const QStringList before = snapshot(".", true);
        p.fs.dialogs.inputAnswers.append({"x", "5"});
        QCOMPARE(p.click(AppWindow::Settings, {"cmdNew", "cmdHozon", "cmdClear", "cmdDel"}),
                 QStringList({"読み込みエラー", "読み込みエラー", "項目未選定", "項目未選定",
                              "項目未選定"}));
        QCOMPARE(snapshot(".", true), before);
    }

    // While this copy counts, the list is edited by hand and saved without its last line end:
    // Next keeps the edit; Save is refused and the settings window shows the list as it now is;
    // a registration starts on a line of its own. A second copy is not let in.
    void handEditWhileCountingAndASecondCopy()
    {
        const QByteArray edited = "\"a\",1\r\n\"b\",1\r\n\"kensui\",5";
        Program p(edited.left(14));
        ScratchDir::write(kList, edited);
        p.fs.dialogs.inputAnswers.append({"abc", "5"});
        QCOMPARE(p.click(AppWindow::Counting, {"cmdNext", "cmdCut"}), QStringList());
        auto *items = p.windows.loaded(AppWindow::Settings)->findChild<QListWidget *>("lstKoumoku");
        items->setCurrentRow(0);
        QCOMPARE(p.click(AppWindow::Settings, {"cmdHozon", "cmdNew"}),
                 QStringList({"書き込みエラー", "新規登録終了"}));
        QCOMPARE(items->count(), 4); // reloaded after the refusal: a, b, kensui, then abc
        QCOMPARE(ScratchDir::read(kList), edited + "\r\n\"abc\",5\r\n");
        QProcess other; // holds the folder's lock as a running copy does
        other.setWorkingDirectory(p.dir.path());
        other.start(qApp->applicationFilePath(), {"--hold-lock"});
        QVERIFY(other.waitForReadyRead(10000));
        QLockFile lock(".zorvex.lock");
        QCOMPARE(lockDataFolder(lock, p.fs.dialogs), false);
        QCOMPARE(p.fs.dialogs.shown.last(), "二重起動");
        other.kill(); // a killed copy's lock is taken over
        QVERIFY(other.waitForFinished(10000));
        QCOMPARE(lockDataFolder(lock, p.fs.dialogs), true);
    }
};

int main(int argc, char **argv)
{
    if (argc == 2 && QByteArray(argv[1]) == "--hold-lock") {
        QCoreApplication app(argc, argv);
        QLockFile lock(".zorvex.lock");
        return lock.tryLock(0) && write(STDOUT_FILENO, "locked", 6) == 6 ? pause() : 1;
    }
    QApplication app(argc, argv);
    TestIntegrity test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_integrity.moc"
