#include "failuretexts.h"
#include "fakes.h"
#include "folderlock.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "history.h"
#include "itemlist.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QApplication>
#include <QListWidget>
#include <QLockFile>
#include <QProcess>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using Step = std::function<IoStatus(ItemTable &)>;
using Records = QMap<QString, int>; // file name: records in it
Q_DECLARE_METATYPE(Step)

// File modes mean nothing to root, so as root the current test (or row) runs again as nobody.
static void runAsNobody()
{
    QProcess child;
    const QString tag = QTest::currentDataTag() ? QString(":") + QTest::currentDataTag() : "";
    child.start("setpriv",
                {"--reuid=nobody", "--regid=nogroup", "--clear-groups", qApp->applicationFilePath(),
                 QTest::currentTestFunction() + tag});
    if (!child.waitForStarted())
        QSKIP("needs setpriv to run as nobody: file modes mean nothing to root");
    QVERIFY(child.waitForFinished(60000));
    QVERIFY2(child.exitCode() == 0, child.readAll().constData());
}

class TestIntegrity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { alarm(30); } // a wait on a pipe fails instead of hanging

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
            << QByteArray::fromHex("EF BB BF 22 E8 85 95 E7 AB 8B E3 81 A6 22 2C 35 0D 0A") << "file" << save << ""
            << QByteArray::fromHex("22 98 72 97 A7 82 C4 22 2C 35 0D 0A");
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

    void unreadableListsAreNeverRewritten_data()
    {
        QTest::addColumn<QString>("list"); // a pipe, or a number of records
        QTest::addColumn<QString>("told"); // the reason the message gives
        // clang-format off
        const QString notAFile = "通常のファイルではありません（パイプ、デバイスまたはフォルダ）。";
        QTest::newRow("a pipe") << "pipe" << notAFile;
        QTest::newRow("32,768 records would count as negative") << "32768" << "項目が32767件を超えています。";
        // clang-format on
    }
    // The counting window tells the user and goes on to the settings window with no items: none
    // from an earlier round stands in for the list.
    void unreadableListsAreNeverRewritten()
    {
        QFETCH(QString, list);
        ScratchDir dir;
        ScratchDir::write(kList, "\"an earlier round's\",1\r\n");
        QVERIFY(ZRVM::LoadItemList().ok());
        QVERIFY(QFile::remove(kList));
        if (list == "pipe")
            QVERIFY(::mkfifo(QFile::encodeName(kList), 0600) == 0);
        else
            ScratchDir::write(kList, QByteArray("\"a\",1\r\n").repeated(list.toInt()));
        FakeServices fs;
        frmMain counting(fs.services);
        counting.Form_Load();
        QCOMPARE(fs.titles(), Texts {"読み込みエラー"});
        QCOMPARE(fs.windowsShown, QList {AppWindow::Settings});
        QCOMPARE(ZRVM::items.count(), 0);
        QTEST(FailureTexts::text(ZRVM::LoadItemList()).section('\n', 1), "told");
        QCOMPARE(ItemList::save(ZRVM::items).problem(), IoProblem::NotReadYet);
    }

    void historyFileNames_data()
    {
        QTest::addColumn<QStringList>("files"); // each with one record
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("told"); // a failure's title
        QTest::addColumn<Records>("after"); // each file with its records
        // clang-format off
        QTest::newRow("Situps appends to situps.txt") << QStringList {"situps.txt"} << "Situps" << "append" << "" << Records {{"situps.txt", 2}};
        QTest::newRow("two case matches: only Situps.txt is Situps's") << QStringList {"SITUPS.TXT", "situps.txt"} << "Situps" << "append" << "" << Records {{"SITUPS.TXT", 1}, {"Situps.txt", 1}, {"situps.txt", 1}};
        // Each undecodable byte turned into U+FFFD in the file name, so "\x85@" and "\x86@" met.
        QTest::newRow("undecodable 85 40 appends nowhere") << QStringList {"\uFFFD@.txt"} << QChar(0xDC85) + QString("@") << "append" << "項目名エラー" << Records {{"\uFFFD@.txt", 1}};
        QTest::newRow("undecodable 86 40 deletes nothing") << QStringList {"\uFFFD@.txt"} << QChar(0xDC86) + QString("@") << "delete" << "" << Records {{"\uFFFD@.txt", 1}};
        // clang-format on
    }
    void historyFileNames()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, item);
        QFETCH(QString, operation);
        ScratchDir dir;
        for (const QString &file : files)
            ScratchDir::write(file, "1\r\n");
        IoStatus status = IoStatus::success();
        if (operation == "append")
            status = History::appendSetRecord(item, 1, FakeServices());
        else
            History::remove(item);
        QTEST(status.ok() ? "" : FailureTexts::title(status), "told");
        Records after;
        for (const QString &name : ScratchDir::entries())
            after[name] = int(History::parse(ScratchDir::read(name)).size());
        QTEST(after, "after");
    }

    // A name leading out of the folder is refused at registration and at save and touches
    // nothing, not even a file's time (the name check's other refusals are data rows); a disk full
    // at the limit leaves every file as it was, here and in the parent, and a first record that
    // could not be written leaves no history file behind.
    void nothingLostOrTouched_data()
    {
        QTest::addColumn<QString>("button"); // cmdNew asks for a name, cmdHozon saves it as item b
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sizeLimit"); // bytes a file may reach, -1 for none
        QTest::addColumn<bool>("listReadable"); // or only writable, so that the windows read none
        QTest::addColumn<QString>("box");
        // clang-format off
        QTest::newRow("a history record on a full disk") << "cmdNext" << "" << 10 << true << "書き込みエラー";
        QTest::newRow("registering on a full disk") << "cmdNew" << "c" << 20 << true << "書き込みエラー";
        QTest::newRow("saving on a full disk") << "cmdHozon" << "c" << 10 << true << "書き込みエラー";
        QTest::newRow("registering on a list that could not be read") << "cmdNew" << "c" << -1 << false << "読み込みエラー";
        QTest::newRow("deleting on a list that could not be read") << "cmdDel" << "c" << -1 << false << "項目未選定";
        QTest::newRow("registering a name that leads out of the folder") << "cmdNew" << "../outside" << -1 << true << "項目名エラー";
        QTest::newRow("saving a name that leads out of the folder") << "cmdHozon" << "../outside" << -1 << true << "項目名エラー";
        // clang-format on
    }
    void nothingLostOrTouched()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);
        QFETCH(int, sizeLimit);
        QFETCH(bool, listReadable);
        if (geteuid() == 0 && !listReadable)
            return runAsNobody();
        ScratchDir dir;
        for (const char *file : {"outside.txt", "項目一覧.txt"})
            ScratchDir::write(file, "keep");
        QVERIFY(QDir().mkdir("work") && QDir::setCurrent("work"));
        ScratchDir::write("項目一覧.txt", "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("b.txt", "\"d\",\"t\",1\r\n");
        if (!listReadable)
            QVERIFY(QFile::setPermissions("項目一覧.txt", QFile::WriteOwner | QFile::WriteUser));
        const QStringList before = snapshot("..", sizeLimit < 0);
        FakeServices fs;
        QWidget both;
        frmMain counting(fs.services, &both);
        frmSettei settings(fs.services, &both);
        counting.Form_Load();
        settings.Form_Load();
        both.findChild<QWidget *>("lstKoumoku")->setProperty("currentRow", 1);
        both.findChild<QWidget *>("txtKoumoku")->setProperty("text", name);
        fs.inputAnswers << name << "4";
        rlimit old {}, full {sizeLimit < 0 ? RLIM_INFINITY : rlim_t(sizeLimit), RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(prlimit(0, RLIMIT_FSIZE, &full, &old) == 0);
        QMetaObject::invokeMethod(both.findChild<QWidget *>(button), "click");
        setrlimit(RLIMIT_FSIZE, &old);
        QTEST(fs.boxes.value(fs.boxes.size() - 1).title, "box"); // the last box
        QCOMPARE(snapshot("..", sizeLimit < 0), before);
    }

    // While this copy counts, the list is edited by hand and saved without its last line end:
    // Next keeps the edit; Save is refused and the settings window shows the list as it now is;
    // a registration starts on a line of its own. A second copy is not let in.
    void handEditWhileCountingAndASecondCopy()
    {
        ScratchDir dir;
        const QByteArray edited = "\"a\",1\r\n\"b\",1\r\n\"kensui\",5";
        ScratchDir::write(kList, edited.left(14));
        FakeServices fs;
        QWidget both;
        frmMain counting(fs.services, &both);
        counting.Form_Load();
        ScratchDir::write(kList, edited);
        QMetaObject::invokeMethod(both.findChild<QWidget *>("cmdNext"), "click");
        frmSettei settings(fs.services, &both);
        settings.Form_Load();
        auto *items = settings.findChild<QListWidget *>("lstKoumoku");
        items->setCurrentRow(0);
        fs.inputAnswers << "abc"
                        << "5";
        QMetaObject::invokeMethod(settings.findChild<QWidget *>("cmdHozon"), "click");
        QMetaObject::invokeMethod(settings.findChild<QWidget *>("cmdNew"), "click");
        QCOMPARE(fs.titles(), Texts({"書き込みエラー", "新規登録終了"}));
        QCOMPARE(items->count(), 4); // reloaded after the refusal: a, b, kensui, then abc
        QCOMPARE(ScratchDir::read(kList), edited + "\r\n\"abc\",5\r\n");
        QLockFile running(".zorvex.lock"); // held as a running copy holds it
        QVERIFY(running.tryLock(0));
        QLockFile lock(".zorvex.lock");
        QCOMPARE(lockDataFolder(lock, fs), false);
        QCOMPARE(fs.titles().last(), "二重起動");
        running.unlock(); // a copy that was killed left a lock naming a process that is gone
        ScratchDir::write(".zorvex.lock", "999999999\n\n\n");
        QCOMPARE(lockDataFolder(lock, fs), true);
    }
};

QTEST_MAIN(TestIntegrity)
#include "tst_integrity.moc"
