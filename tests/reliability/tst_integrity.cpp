#include "folderlock.h"
#include "history.h"
#include "itemlist.h"
#include "textfile.h"
#include "windows.h"

#include <QApplication>
#include <QLockFile>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// What a start finds in the folder's lock and what it does.
struct LockCase
{
    QByteArray found = {}; // the lock file's bytes
    bool running = false; // held by a copy that runs instead
    bool asked = false; // that question came
    bool told = false; // 二重起動 came
    bool started = false;
};

Q_DECLARE_METATYPE(LockCase)

// A write that fails part way, and how.
struct FailedWrite
{
    const char *button;
    QByteArray history = {}; // item a's, before
    enum { DiskFull, RecordNotSynced, FolderNotSynced } failure = DiskFull;
    QString file; // named in the box
    bool filesKept = true;
};

Q_DECLARE_METATYPE(FailedWrite)

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

// Whether the process has a handler of its own for the signal, as /proc tells.
static bool catches(qint64 pid, int signal)
{
    const QByteArray status = ScratchDir::read(QString("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("\nSigCgt:");
    return at >= 0
        && (status.mid(at + 9, 17).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
}

class TestIntegrity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { alarm(30); } // a wait on a pipe fails instead of hanging

    // A list behind a symbolic link is written through it, and stays a link.
    void aLinkedListIsWrittenThroughIt()
    {
        ScratchDir dir;
        ScratchDir::write("real.txt", "\"a\",1\r\n");
        QVERIFY(QFile::link("real.txt", kList));
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        t.setItem(1, "a", 2);
        QVERIFY(ItemList::save(t).ok());
        QVERIFY(QFileInfo(kList).isSymLink());
        QCOMPARE(ScratchDir::read("real.txt"), "\"a\",2\r\n");
    }

    // A list that could not be read opens the settings window on an empty table, and that table
    // is never written over the list. A pipe in its place, which would block a plain open, is one.
    void unreadableListsAreNeverRewritten()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"an earlier round's\",1\r\n");
        QVERIFY(ZRVM::LoadItemList().ok());
        QVERIFY(QFile::remove(kList));
        QVERIFY(::mkfifo(QFile::encodeName(kList), 0600) == 0);
        Run run;
        run.counting.Form_Load();
        QCOMPARE(run.fs.boxes,
                 QList({Box {.title = "読み込みエラー",
                             .text = kList
                                 + " を読み込めませんでした。\n通常のファイルではありません"
                                   "（パイプ、デバイスまたはフォルダ）。"}}));
        QCOMPARE(run.fs.windowsShown, QList {AppWindow::Settings});
        QCOMPARE(ZRVM::items.count(), 0);
        QCOMPARE(ItemList::save(ZRVM::items).problem(), IoProblem::NotReadYet);
        QVERIFY(QFileInfo(kList).exists() && !QFileInfo(kList).isFile());
    }

    // A round and every settings command on a folder as users bring it, with files of their own
    // beside the data files, and a list and a history an editor saved as UTF-8, with a name code
    // page 932 lacks. Nothing is deleted, rewritten or re-encoded but the records asked for, and
    // no warning comes up: none of the commands, each run on the list the one before wrote, finds
    // the list changed elsewhere. Next to the end; register c with target 3, give the first item
    // the target 6 and clear it, delete the second, then give the first item the target 7.
    void aDayOnFoldersAsUsersKeepThem()
    {
        const QByteArray mark = QByteArray::fromHex("EF BB BF");
        ScratchDir dir;
        ScratchDir::write(kList, mark + QString("\"腹筋\",4\r\n\"Müller\",3\r\n").toUtf8());
        ScratchDir::write("腹筋.txt",
                          mark + QString("\"12月30日\",\"06時00分00秒\",3\r\n").toUtf8());
        for (const char *mine :
             {"項目一覧.txt.backup", "項目一覧.txt.241208", "項目一覧.txt.old001",
              "項目一覧.txt.bak", "a.txt.bak", "a.txt.241208", "腹筋.txt.old"})
            ScratchDir::write(mine, mine);
        const QStringList unchanged = snapshot(".", true).filter(".txt.");
        const QStringList list = snapshot(".", true).filter("/" + kList + ' ');
        Run run;
        run.counting.Form_Load();
        for (int k = ZRVM::items.count(); k > 0; --k)
            run.click("cmdNext");
        QCOMPARE(run.fs.boxes, QList<Box>());
        QCOMPARE(snapshot(".", true).filter("/" + kList + ' '), list); // not written at all
        run.settings.Form_Load();
        run.fs.inputAnswers.append({"c", "3"});
        run.click("cmdNew");
        run.pick(0);
        run.type("txtKaisu", "6");
        run.click("cmdHozon");
        run.click("cmdClear");
        run.pick(1);
        run.click("cmdDel");
        run.pick(0);
        run.type("txtKaisu", "7");
        run.click("cmdHozon");
        QCOMPARE(run.fs.titles(),
                 Texts({"新規登録終了", "設定更新終了", "クリア確認", "クリア終了", "クリア確認",
                        "削除終了", "設定更新終了"}));
        for (const Box &box : run.fs.boxes)
            QVERIFY2(!box.text.contains("ほかで変更"), qPrintable(box.title + u' ' + box.text));
        QCOMPARE(run.files(),
                 Files({{kList, mark + QString("\"腹筋\",7\r\n\"c\",3\r\n").toUtf8()},
                        {"腹筋.txt", mark},
                        {"c.txt", ""}}));
        QCOMPARE(snapshot(".", true).filter(".txt."), unchanged); // the user's, the same files
    }

    // A folder the user may not write, with files that are the user's: the program starts without
    // a lock, a set is recorded and a history cleared in place without a word; a new name for an
    // item, which needs a new list file in the folder, is refused, naming the folder. Once the
    // folder may be written, a list the user may not write (mode 0444) is still not replaced.
    void readOnlyFolderWithOwnFiles()
    {
        if (geteuid() == 0)
            return runAsNobody();
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        ScratchDir::write("a.txt", "");
        QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::ExeOwner));
        Run run;
        FolderLock lock; // no room for one: the program runs without it
        QVERIFY(lock.take(run.fs));
        run.counting.Form_Load();
        run.click("cmdNext");
        QCOMPARE(ScratchDir::read("a.txt"), kStamp + "1\r\n");
        run.settings.Form_Load();
        run.pick(0);
        run.type("txtKoumoku", "b");
        run.type("txtKaisu", "5");
        run.click("cmdHozon");
        run.click("cmdClear"); // still item a: the refused name was not kept
        QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(
            QFile::setPermissions(kList, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QStringList before = snapshot(".", false);
        run.click("cmdHozon");
        QCOMPARE(snapshot(".", false), before); // byte for byte, mode for mode, the same file
        const Box refused {.title = "書き込みエラー",
                           .text = kList + " に書き込めませんでした。\nフォルダ「"
                               + QDir::currentPath()
                               + "」に書き込む権限がないため、ファイルを置き換えられません。"};
        const Box notWritable {.title = "書き込みエラー",
                               .text = kList
                                   + " に書き込めませんでした。\n"
                                     "ディスクの空き容量と書き込み権限を確認してください。"};
        QCOMPARE(run.fs.boxes.value(0), refused);
        QCOMPARE(run.fs.boxes.value(3), notWritable);
        QCOMPARE(run.fs.titles(),
                 Texts({"書き込みエラー", "クリア確認", "クリア終了", "書き込みエラー"}));
        QCOMPARE(run.files(), Files({{kList, "\"a\",1\r\n"}, {"a.txt", ""}}));
    }

    // The list is edited by hand while the settings window shows it, the last line left without
    // its line end. 登録 adds to the list as it now is, on a line of its own; after a second
    // edit, 保存 saves nothing. Each time the window shows the list as the file has it.
    void handEditsAreKept()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        Run run;
        QVERIFY(run.openSettings());
        const QByteArray edited = "\"x\",1\r\n\"a\",1\r\n\"b\",2";
        ScratchDir::write(kList, edited);
        run.fs.inputAnswers.append({"c", "3"});
        run.click("cmdNew");
        QCOMPARE(ScratchDir::read(kList), edited + "\r\n\"c\",3\r\n");
        QCOMPARE(run.items(), QStringList({"x", "a", "b", "c"}));
        const QByteArray editedAgain = "\"y\",1\r\n" + edited + "\r\n\"c\",3\r\n";
        ScratchDir::write(kList, editedAgain);
        run.pick(1);
        run.type("txtKaisu", "5");
        run.click("cmdHozon");
        const Box registered {.title = "新規登録終了",
                              .text
                              = "c の設定を新規登録しました\n項目一覧がほかで変更されていたため、"
                                "変更後の項目一覧の最後に追加し、読み込み直しました。",
                              .icon = MessageIcon::Information};
        const Box notSaved {.title = "書き込みエラー",
                            .text = kList
                                + " に書き込めませんでした。\n項目一覧がほかで変更されたため、"
                                  "上書きしませんでした。"};
        QCOMPARE(run.fs.boxes, QList({registered, notSaved}));
        QCOMPARE(run.files(), Files({{kList, editedAgain}, {"c.txt", ""}}));
        QCOMPARE(run.items(), QStringList({"y", "x", "a", "b", "c"}));
    }

    // What Linux input methods give for seven code page 932 characters is stored as those; a
    // decomposed name is stored composed; a character without a code page 932 form is named.
    void namesAsTyped()
    {
        ScratchDir dir;
        QVERIFY(ZRVM::LoadItemList().ok());
        Run run;
        run.fs.inputAnswers.append({"〜−‖¢£¬—", "1", "か\u3099", "1", "腹筋😀"});
        for (int k = 0; k < 3; ++k)
            run.click("cmdNew");
        QCOMPARE(ScratchDir::read(kList),
                 QByteArray::fromHex("22 81 60 81 7C 81 61 81 91 81 92 81 CA 81 5C 22 2C 31 0D 0A"
                                     "22 82 AA 22 2C 31 0D 0A"));
        QCOMPARE(Text(run.fs.boxes.value(0).text), "～－∥￠￡￢― の設定を新規登録しました");
        const QString refused
            = "項目名に使えない文字「😀」が含まれています（Shift_JISで表せない文字）。";
        QCOMPARE(run.fs.boxes.value(2), Box({.title = "項目名エラー", .text = refused}));
    }

    void locks_data()
    {
        QTest::addColumn<LockCase>("lock");
        QTest::newRow("an empty lock is taken over") << LockCase {.found = "", .started = true};
        QTest::newRow("a lock from another machine asks, and Cancel ends")
            << LockCase {.found = "4242\nzorvex\nyoga-laptop\n", .asked = true};
        QTest::newRow("a copy that runs keeps its lock")
            << LockCase {.running = true, .told = true};
    }
    void locks()
    {
        QFETCH(LockCase, lock);
        ScratchDir dir;
        QLockFile running(".zorvex.lock"); // held as a running copy holds it
        QVERIFY(!lock.running || running.tryLock(0));
        if (!lock.running)
            ScratchDir::write(".zorvex.lock", lock.found);
        const QByteArray found = ScratchDir::read(".zorvex.lock");
        FakeServices fs;
        fs.okAnswers << false; // Cancel to the question about another machine's lock
        FolderLock folder;
        QCOMPARE(folder.take(fs), lock.started);
        QList<Box> boxes;
        if (lock.asked) // the lock file and the machine named; Enter does not start
            boxes << Box {
                .title = "起動確認",
                .text = "このフォルダには、別のコンピュータ「yoga-laptop」で起動した"
                        "Zorvexのロックファイルがあります。\n"
                    + QDir::current().absoluteFilePath(".zorvex.lock")
                    + "\nそのZorvexが終了していれば、このまま起動できます。起動しますか？",
                .buttons = MessageButtons::OkCancel,
                .defaultButton = DefaultButton::Cancel};
        if (lock.told)
            boxes << Box {.title = "二重起動",
                          .text = "このフォルダではすでにZorvexが起動しています。\n"
                                  "先に起動したZorvexを使ってください。"};
        QCOMPARE(fs.boxes, boxes);
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        const QByteArray now = ScratchDir::read(".zorvex.lock");
        QCOMPARE(now == found, !lock.started); // a start takes the lock over
        QVERIFY(!lock.started || now.startsWith(pid));
    }

    // A link of the lock's name is not a lock, though the empty file it leads to would be taken
    // over as one: the link stays, and the copy runs without a lock.
    void aLinkAsLockIsLeftAlone()
    {
        ScratchDir dir;
        ScratchDir::write("mine.txt", "");
        QVERIFY(QFile::link("mine.txt", ".zorvex.lock"));
        FakeServices fs;
        {
            FolderLock folder;
            QVERIFY(folder.take(fs));
        }
        QCOMPARE(fs.boxes, QList<Box>());
        QVERIFY(QFileInfo(".zorvex.lock").isSymLink());
        QCOMPARE(ScratchDir::read("mine.txt"), "");
    }

    // A run that ends takes its lock away, but not a lock that another copy has put in its
    // place meanwhile, though the new file may well get the old one's number.
    void anEndTakesAwayOnlyItsOwnLock()
    {
        for (const bool replaced : {false, true}) {
            ScratchDir dir;
            FakeServices fs;
            const QByteArray other = "4242\nzorvex\nyoga-laptop\n";
            {
                FolderLock folder;
                QVERIFY(folder.take(fs));
                if (replaced) {
                    QVERIFY(QFile::remove(".zorvex.lock"));
                    ScratchDir::write(".zorvex.lock", other);
                }
            }
            QCOMPARE(ScratchDir::read(".zorvex.lock"), replaced ? other : QByteArray("<missing>"));
        }
    }

    // The program ended by a signal takes its lock away, but not a lock that another copy has
    // put in its place meanwhile.
    void aSignalTakesAwayOnlyItsOwnLock()
    {
        for (const bool replaced : {false, true}) {
            ScratchDir dir;
            ScratchDir::write(kList, "\"a\",1\r\n");
            QProcess program;
            qputenv("QT_QPA_PLATFORM", "offscreen");
            program.start(ZORVEX_PROGRAM, {});
            // The lock is there a moment before the handler that takes it away.
            QTRY_VERIFY(QFile::exists(".zorvex.lock") && catches(program.processId(), SIGTERM));
            const QByteArray other = "4242\nzorvex\nyoga-laptop\n";
            if (replaced) {
                QVERIFY(QFile::remove(".zorvex.lock"));
                ScratchDir::write(".zorvex.lock", other);
            }
            QVERIFY(::kill(pid_t(program.processId()), SIGTERM) == 0);
            QVERIFY(program.waitForFinished(10000));
            QCOMPARE(ScratchDir::read(".zorvex.lock"), replaced ? other : QByteArray("<missing>"));
        }
    }

    // A history that is a pipe is neither emptied nor deleted, and each says so.
    void pipeAsHistory()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        QVERIFY(::mkfifo("a.txt", 0600) == 0 && ZRVM::LoadItemList().ok());
        Run run;
        run.settings.Form_Load(); // 読み込みエラー for the history on view
        run.pick(0);
        run.click("cmdClear");
        run.click("cmdDel");
        QCOMPARE(run.fs.boxes.value(2), notAFile("a.txt"));
        QCOMPARE(run.fs.boxes.value(4), notAFile("a.txt"));
        QCOMPARE(run.fs.titles().last(), "削除終了");
        QVERIFY(QFileInfo("a.txt").exists() && !QFileInfo("a.txt").isFile());
    }

    // A 登録 cut by a power cut left the list's new line as NUL bytes. The round goes on with the
    // other items, the user hears once where the line is, and a save keeps its bytes.
    void damagedItemLineIsSkippedToldAndKept()
    {
        ScratchDir dir;
        // "腹筋",10 / 12 NUL bytes / "背筋",5
        const QByteArray damaged = QByteArray::fromHex("00000000000000000000000000");
        ScratchDir::write(kList,
                          QByteArray::fromHex("22 95 A0 8B D8 22 2C 31 30 0D 0A") + damaged
                              + QByteArray::fromHex("0D 0A 22 94 77 8B D8 22 2C 35 0D 0A"));
        Run run;
        for (int round = 0; round < 2; ++round)
            run.counting.Form_Load();
        const Box told {
            .title = "破損した行",
            .text = "項目一覧.txt の2行目に壊れた部分（停電などで書きかけになったデータ）"
                    "があるため、その部分を読み飛ばしました。ほかの記録はそのまま使え"
                    "ます。\n壊れた部分はファイルに残してあります。テキストエディターで確認して"
                    "ください。"};
        QCOMPARE(run.fs.boxes, QList<Box> {told});
        QCOMPARE(run.text("lblSnd(2)"), "2.背筋");

        run.settings.Form_Load();
        run.pick(1);
        run.type("txtKaisu", "7");
        run.click("cmdHozon");
        QCOMPARE(run.fs.titles().last(), "設定更新終了");
        QCOMPARE(ScratchDir::read(kList),
                 QByteArray::fromHex("22 95 A0 8B D8 22 2C 31 30 0D 0A") + damaged
                     + QByteArray::fromHex("0D 0A 22 94 77 8B D8 22 2C 37 0D 0A"));
    }

    void aFailedWriteIsToldAndUndone_data()
    {
        QTest::addColumn<FailedWrite>("write");
        QTest::newRow("Next on a full disk, the first record of a history")
            << FailedWrite {.button = "cmdNext", .file = "a.txt"};
        QTest::newRow("Next on a full disk, a record added to a history")
            << FailedWrite {.button = "cmdNext", .history = kStamp.left(12), .file = "a.txt"};
        QTest::newRow("登録 on a full disk") << FailedWrite {.button = "cmdNew", .file = kList};
        QTest::newRow("Next, the record's sync fails")
            << FailedWrite {.button = "cmdNext",
                            .history = kStamp + "12\r\n",
                            .failure = FailedWrite::RecordNotSynced,
                            .file = "a.txt"};
        QTest::newRow("登録, the sync of the list's folder fails")
            << FailedWrite {.button = "cmdNew",
                            .failure = FailedWrite::FolderNotSynced,
                            .file = kList,
                            .filesKept = false};
    }
    // A write fails part way: 書き込みエラー names the file, Next stays on the item, 登録 shows
    // no completion, and no file is left behind or cut short. (A list whose folder failed to
    // sync is in place already: only its name may not be on the disk.)
    void aFailedWriteIsToldAndUndone()
    {
        QFETCH(FailedWrite, write);
        ScratchDir dir;
        ScratchDir::write(kList, listBytes({{"a", 3}, {"c", 2}}));
        if (!write.history.isEmpty())
            ScratchDir::write("a.txt", write.history);
        const QStringList before = snapshot(".", false);
        Run run;
        run.fs.inputAnswers.append({"b", "4"});
        run.counting.Form_Load();
        run.settings.Form_Load();
        rlimit old {}, full {20, RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(write.failure != FailedWrite::DiskFull
                || prlimit(0, RLIMIT_FSIZE, &full, &old) == 0);
        const auto failing = [](int) {
            errno = EIO;
            return -1;
        };
        const auto data = std::exchange(
            TextFile::syncData,
            write.failure == FailedWrite::RecordNotSynced ? +failing : TextFile::syncData);
        const auto all = std::exchange(
            TextFile::syncAll,
            write.failure == FailedWrite::FolderNotSynced ? +failing : TextFile::syncAll);
        run.click(write.button);
        TextFile::syncData = data;
        TextFile::syncAll = all;
        if (write.failure == FailedWrite::DiskFull)
            setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(run.fs.boxes,
                 QList({Box {.title = "書き込みエラー",
                             .text = write.file
                                 + " に書き込めませんでした。\nディスクの空き容量と書き込み権限を"
                                   "確認してください。"}}));
        QCOMPARE(run.text("lblKoumoku"), "a");
        QCOMPARE(snapshot(".", false) == before, write.filesKept);
        QCOMPARE(ScratchDir::read("a.txt"), write.history.isEmpty() ? "<missing>" : write.history);
    }
};

QTEST_MAIN(TestIntegrity)
#include "tst_integrity.moc"
