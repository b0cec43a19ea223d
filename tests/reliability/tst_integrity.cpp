#include "clock.h"
#include "failuretexts.h"
#include "folderlock.h"
#include "history.h"
#include "itemlist.h"
#include "windows.h"

#include <QApplication>
#include <QLockFile>
#include <QProcess>
#include <QScreen>
#include <QSysInfo>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// A hand edit of the list while the settings window shows it, then one command.
struct HandEdit
{
    QByteArray edited; // the list after the edit
    const char *button; // clicked with item a chosen, registering c with target 3
    Box box; // the box that follows the command
    Files files; // afterwards
};

// What a start finds in the folder's lock and what it does.
struct LockCase
{
    QByteArray found = {}; // the lock file's bytes
    bool running = false; // held by a copy that runs instead
    bool readOnlyFolder = false;
    bool answer = true; // to the question about another machine's lock
    bool asked = false; // that question came
    bool told = false; // 二重起動 came
    bool started = false;
};

// A clock that moves on by a millisecond at every reading, as a real one does.
struct TickingClock final : Clock
{
    explicit TickingClock(const QDateTime &start)
        : now(start)
    { }
    mutable QDateTime now;
    QDateTime tick() const { return std::exchange(now, now.addMSecs(1)); }
    QDate currentDate() const override { return tick().date(); }
    QTime currentTime() const override { return tick().time(); }
    QDateTime currentDateTime() const override { return tick(); }
    qint64 monotonicMs() const override { return 0; }
};

Q_DECLARE_METATYPE(HandEdit)
Q_DECLARE_METATYPE(LockCase)

// Item a of a list is changed and saved, in a list file kept some way.
struct ListWrite
{
    bool link = false; // the list is a symbolic link to another file
    bool readOnly = false; // the list's mode is 0444
    QString name = "a";
    Text told = {}; // the box's title and the line that names the cause
    QByteArray after = "\"a\",1\r\n";
};
using Records = QMap<QString, int>; // file name: records in it

// A command on item b of a folder kept some way; nothing of the folder changes.
struct Untouched
{
    const char *button; // cmdNew registers c, cmdHozon saves c as item b's name
    int sizeLimit = -1; // bytes a file may reach, -1 for no limit
    bool listReadable = true; // or only writable, so that the windows read none
    Text box; // the title of the last box
};
Q_DECLARE_METATYPE(Untouched)
Q_DECLARE_METATYPE(ListWrite)

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
        QTest::addColumn<ListWrite>("write");
        QTest::newRow("a list behind a symbolic link is written through it")
            << ListWrite {.link = true, .after = "\"a\",2\r\n"};
        QTest::newRow("a name that would read back as another is not saved") << ListWrite {
            .name = "\uF86F",
            .told = "書き込みエラー 項目名「\uF86F」は項目一覧にそのまま書けない文字を"
                    "含みます。"};
        QTest::newRow("a read-only list is not replaced") << ListWrite {
            .readOnly = true,
            .told = "書き込みエラー ディスクの空き容量と書き込み権限を確認してください。"};
    }
    // Item a of the list "a",1 gets a name and the target 2, and the list is saved.
    void dataLayer()
    {
        QFETCH(ListWrite, write);
        if (geteuid() == 0 && write.readOnly)
            return runAsNobody();
        const QByteArray list = "\"a\",1\r\n";
        ScratchDir dir;
        ScratchDir::write(write.link ? "real.txt" : kList, list);
        QVERIFY(!write.link || QFile::link("real.txt", kList));
        if (write.readOnly)
            QVERIFY(QFile::setPermissions(
                kList, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther | QFile::ReadUser));
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        const QStringList before = snapshot(".", false);
        t.setItem(1, write.name, 2);
        const IoStatus s = ItemList::save(t);
        const QString told
            = s.ok() ? "" : FailureTexts::title(s) + ' ' + FailureTexts::text(s).section('\n', 1);
        QCOMPARE(Text(told), write.told);
        QCOMPARE(QFileInfo(kList).isSymLink(), write.link);
        if (write.after == list)
            QCOMPARE(snapshot(".", false), before); // byte for byte, mode for mode, the same file
        QCOMPARE(ScratchDir::read(kList), write.after);
    }

    void unreadableListsAreNeverRewritten_data()
    {
        QTest::addColumn<bool>("pipe"); // the list is a pipe, or else holds 32,768 records
        QTest::addColumn<QString>("told"); // the reason the message gives
        QTest::newRow("a pipe")
            << true << "通常のファイルではありません（パイプ、デバイスまたはフォルダ）。";
        QTest::newRow("32,768 records would count as negative")
            << false << "項目が32767件を超えています。";
    }
    void unreadableListsAreNeverRewritten()
    {
        QFETCH(bool, pipe);
        ScratchDir dir;
        ScratchDir::write(kList, "\"an earlier round's\",1\r\n");
        QVERIFY(ZRVM::LoadItemList().ok());
        QVERIFY(QFile::remove(kList));
        if (pipe)
            QVERIFY(::mkfifo(QFile::encodeName(kList), 0600) == 0);
        else
            ScratchDir::write(kList, QByteArray("\"a\",1\r\n").repeated(32768));
        FakeServices fs;
        frmMain counting(fs.services);
        counting.Form_Load();
        QCOMPARE(fs.titles(), Texts {"読み込みエラー"});
        QCOMPARE(fs.windowsShown, QList {AppWindow::Settings});
        QCOMPARE(ZRVM::items.count(), 0);
        QFETCH(QString, told);
        QCOMPARE(Text(FailureTexts::text(ZRVM::LoadItemList()).section('\n', 1)), Text(told));
        QCOMPARE(ItemList::save(ZRVM::items).problem(), IoProblem::NotReadYet);
    }

    void historyFileNames_data()
    {
        QTest::addColumn<QStringList>("files"); // each with one record
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("deleting"); // the history, or else a record appended to it
        QTest::addColumn<QString>("told"); // a failure's title
        QTest::addColumn<Records>("after"); // each file with its records
        QTest::newRow("two case matches: only Situps.txt is Situps's")
            << QStringList {"SITUPS.TXT", "situps.txt"} << "Situps" << false << ""
            << Records {{"SITUPS.TXT", 1}, {"Situps.txt", 1}, {"situps.txt", 1}};
        // Each undecodable byte turned into U+FFFD in the file name, so "\x85@" and "\x86@" met.
        QTest::newRow("undecodable 85 40 appends nowhere")
            << QStringList {"\uFFFD@.txt"} << QChar(0xDC85) + QString("@") << false
            << "項目名エラー" << Records {{"\uFFFD@.txt", 1}};
        QTest::newRow("undecodable 86 40 deletes nothing")
            << QStringList {"\uFFFD@.txt"} << QChar(0xDC86) + QString("@") << true << ""
            << Records {{"\uFFFD@.txt", 1}};
    }
    void historyFileNames()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, item);
        QFETCH(bool, deleting);
        ScratchDir dir;
        for (const QString &file : files)
            ScratchDir::write(file, "1\r\n");
        IoStatus status = IoStatus::success();
        if (deleting)
            History::remove(item);
        else
            status = History::appendSetRecord(item, 1, FakeServices());
        QFETCH(QString, told);
        QCOMPARE(Text(status.ok() ? "" : FailureTexts::title(status)), Text(told));
        Records after;
        for (const QString &name : ScratchDir::entries())
            after[name] = int(History::parse(ScratchDir::read(name)).size());
        QTEST(after, "after");
    }

    // A disk full at the limit leaves every file as it was, and a first record that could not be
    // written leaves no history file behind; a list that could not be read is not written, not
    // even its time changes.
    void nothingLostOrTouched_data()
    {
        QTest::addColumn<Untouched>("untouched");
        QTest::newRow("a history record on a full disk")
            << Untouched {.button = "cmdNext", .sizeLimit = 10, .box = "書き込みエラー"};
        QTest::newRow("registering on a full disk")
            << Untouched {.button = "cmdNew", .sizeLimit = 20, .box = "書き込みエラー"};
        QTest::newRow("saving on a full disk")
            << Untouched {.button = "cmdHozon", .sizeLimit = 10, .box = "書き込みエラー"};
        QTest::newRow("registering on a list that could not be read")
            << Untouched {.button = "cmdNew", .listReadable = false, .box = "読み込みエラー"};
    }
    void nothingLostOrTouched()
    {
        QFETCH(Untouched, untouched);
        if (geteuid() == 0 && !untouched.listReadable)
            return runAsNobody();
        ScratchDir dir;
        ScratchDir::write("項目一覧.txt", "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("b.txt", "\"d\",\"t\",1\r\n");
        if (!untouched.listReadable)
            QVERIFY(QFile::setPermissions("項目一覧.txt", QFile::WriteOwner | QFile::WriteUser));
        const bool times = untouched.sizeLimit < 0;
        const QStringList before = snapshot(".", times);
        Run run;
        run.counting.Form_Load();
        run.settings.Form_Load();
        run.pick(1);
        run.type("txtKoumoku", "c");
        run.fs.inputAnswers << "c"
                            << "4";
        rlimit old {}, full {times ? RLIM_INFINITY : rlim_t(untouched.sizeLimit), RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(prlimit(0, RLIMIT_FSIZE, &full, &old) == 0);
        run.click(untouched.button);
        setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(Text(run.fs.boxes.value(run.fs.boxes.size() - 1).title), untouched.box);
        QCOMPARE(snapshot(".", times), before);
    }

    // A round and every settings command on a folder as users bring it, with files of their own
    // beside the data files, and a list and a history an editor saved as UTF-8, with a name code
    // page 932 lacks. Nothing is deleted, rewritten or re-encoded but the records asked for, and
    // no warning comes up. Next to the end; register c with target 3, give the first item the
    // target 6 and clear it, delete the second.
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
        run.fs.inputAnswers << "c"
                            << "3";
        run.click("cmdNew");
        run.pick(0);
        run.type("txtKaisu", "6");
        run.click("cmdHozon");
        run.click("cmdClear");
        run.pick(1);
        run.click("cmdDel");
        QCOMPARE(run.fs.boxes.value(0),
                 Box({.title = "新規登録終了",
                      .text = "c の設定を新規登録しました",
                      .icon = MessageIcon::Information}));
        QCOMPARE(run.fs.titles(),
                 Texts({"新規登録終了", "設定更新終了", "クリア確認", "クリア終了", "クリア確認",
                        "削除終了"}));
        QCOMPARE(run.files(),
                 Files({{kList, mark + QString("\"腹筋\",6\r\n\"c\",3\r\n").toUtf8()},
                        {"腹筋.txt", mark},
                        {"c.txt", ""}}));
        QCOMPARE(snapshot(".", true).filter(".txt."), unchanged); // the user's, the same files
    }

    // A folder the user may not write, with files that are the user's: a set is recorded and a
    // history cleared in place without a word; a change of the list, which needs a new file in
    // the folder, is refused, naming the folder.
    void readOnlyFolderWithOwnFiles()
    {
        if (geteuid() == 0)
            return runAsNobody();
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        ScratchDir::write("a.txt", "");
        QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::ExeOwner));
        Run run;
        run.counting.Form_Load();
        run.click("cmdNext");
        QCOMPARE(ScratchDir::read("a.txt"), kStamp + "1\r\n");
        run.settings.Form_Load();
        run.pick(0);
        run.type("txtKaisu", "5");
        run.click("cmdHozon");
        run.click("cmdClear");
        QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const Box refused {.title = "書き込みエラー",
                           .text = kList + " に書き込めませんでした。\nフォルダ「"
                               + QDir::currentPath()
                               + "」に書き込む権限がないため、ファイルを置き換えられません。"};
        QCOMPARE(run.fs.boxes.value(0), refused);
        QCOMPARE(run.fs.titles(), Texts({"書き込みエラー", "クリア確認", "クリア終了"}));
        QCOMPARE(run.files(), Files({{kList, "\"a\",1\r\n"}, {"a.txt", ""}}));
    }

    void handEditsAreKept_data()
    {
        QTest::addColumn<HandEdit>("edit");
        const QByteArray top = "\"x\",1\r\n\"a\",1\r\n\"b\",2", kept = kStamp + "6\r\n";
        const QString note = "\n項目一覧がほかで変更されていたため、項目一覧は書き換えず、"
                             "変更後の内容を表示しています。";
        QTest::newRow("Register adds to the list as it now is, on a line of its own") << HandEdit {
            .edited = top,
            .button = "cmdNew",
            .box = {"新規登録終了",
                    "c の設定を新規登録しました\n項目一覧がほかで変更"
                    "されていたため、変更後の項目一覧の最後に追加し、読み込み直しました。",
                    MessageIcon::Information},
            .files = {{kList, top + "\r\n\"c\",3\r\n"}, {"a.txt", kept}, {"c.txt", ""}}};
        QTest::newRow("Save saves nothing")
            << HandEdit {.edited = top,
                         .button = "cmdHozon",
                         .box = {"書き込みエラー",
                                 kList
                                     + " に書き込めませんでした。\n項目一覧が"
                                       "ほかで変更されたため、上書きしませんでした。"},
                         .files = {{kList, top}, {"a.txt", kept}}};
        QTest::newRow("Clear empties the history and keeps the list")
            << HandEdit {.edited = top,
                         .button = "cmdClear",
                         .box = {"クリア終了", "a のカウント数と履歴データをクリアしました" + note,
                                 MessageIcon::Information},
                         .files = {{kList, top}, {"a.txt", ""}}};
        QTest::newRow("Delete keeps an item the edit still has, and its history")
            << HandEdit {.edited = top,
                         .button = "cmdDel",
                         .box = {"削除中止", "a を削除しませんでした。" + note},
                         .files = {{kList, top}, {"a.txt", kept}}};
        QTest::newRow("Delete of an item the edit took away deletes its history") << HandEdit {
            .edited = "\"x\",1\r\n\"b\",2",
            .button = "cmdDel",
            .box = {"削除終了", "a の履歴データを削除しました" + note, MessageIcon::Information},
            .files = {{kList, "\"x\",1\r\n\"b\",2"}}};
    }
    // The list "a", "b" is edited by hand while the settings window shows it, with a chosen;
    // afterwards the window's rows are the file's.
    void handEditsAreKept()
    {
        QFETCH(HandEdit, edit);
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", kStamp + "6\r\n");
        Run run;
        QVERIFY(run.openSettings());
        run.pick(0);
        ScratchDir::write(kList, edit.edited);
        run.fs.inputAnswers << "c"
                            << "3";
        run.click(edit.button);
        QCOMPARE(run.fs.boxes.value(run.fs.boxes.size() - 1), edit.box);
        QCOMPARE(run.files(), edit.files);
        QStringList names;
        for (const Item &item : ItemList::parse(edit.files[kList]))
            names << item.name;
        QCOMPARE(run.items(), names);
    }

    // A history that is a pipe is neither emptied nor deleted, and clearing says so.
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
        const Box refused {.title = "書き込みエラー",
                           .text = "a.txt に書き込めませんでした。\n通常のファイルではありません"
                                   "（パイプ、デバイスまたはフォルダ）。"};
        QCOMPARE(run.fs.boxes.value(2), refused);
        QCOMPARE(run.fs.titles().last(), "削除終了");
        QVERIFY(QFileInfo("a.txt").exists() && !QFileInfo("a.txt").isFile());
    }

    // What Linux input methods give for seven code page 932 characters is stored as those; a
    // decomposed name is stored composed; a character without a code page 932 form is named.
    void namesAsTyped()
    {
        ScratchDir dir;
        QVERIFY(ZRVM::LoadItemList().ok());
        Run run;
        run.fs.inputAnswers << "〜−‖¢£¬—"
                            << "1"
                            << "か\u3099"
                            << "1"
                            << "腹筋😀";
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
        const QByteArray elsewhere = "4242\nzorvex\nyoga-laptop\n";
        QTest::newRow("an empty lock is taken over") << LockCase {.found = "", .started = true};
        QTest::newRow("a lock of garbage is taken over")
            << LockCase {.found = "\x01\xFF\xFE garbage", .started = true};
        QTest::newRow("a lock of a copy of this machine that is gone is taken over") << LockCase {
            .found = "999999999\nzorvex\n" + QSysInfo::machineHostName().toUtf8() + '\n',
            .started = true};
        QTest::newRow("a lock from another machine asks, Cancel ends")
            << LockCase {.found = elsewhere, .answer = false, .asked = true};
        QTest::newRow("a lock from another machine asks, OK starts")
            << LockCase {.found = elsewhere, .asked = true, .started = true};
        QTest::newRow("a copy that runs keeps its lock")
            << LockCase {.running = true, .told = true};
        QTest::newRow("a folder without room for a lock runs without one")
            << LockCase {.readOnlyFolder = true, .started = true};
    }
    void locks()
    {
        QFETCH(LockCase, lock);
        if (lock.readOnlyFolder && geteuid() == 0)
            return runAsNobody();
        ScratchDir dir;
        QLockFile running(".zorvex.lock"); // held as a running copy holds it
        QVERIFY(!lock.running || running.tryLock(0));
        if (!lock.running && !lock.readOnlyFolder)
            ScratchDir::write(".zorvex.lock", lock.found);
        const QByteArray found = ScratchDir::read(".zorvex.lock");
        QVERIFY(!lock.readOnlyFolder
                || QFile::setPermissions(".", QFile::ReadOwner | QFile::ExeOwner));
        FakeServices fs;
        fs.okAnswers << lock.answer;
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
        const bool ours = lock.started && !lock.readOnlyFolder; // the lock names this process
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        const QByteArray now = ScratchDir::read(".zorvex.lock");
        QCOMPARE(now == found, !ours);
        QVERIFY(!ours || now.startsWith(pid));
        QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // A copy of this program holds the lock until it ends: by a signal, or by exit() as the
    // toolkit calls it when the connection to the display breaks. The lock goes with it.
    void lockGoesWithTheProgram_data()
    {
        QTest::addColumn<int>("signal"); // none: the display goes away
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("the display goes away") << 0;
    }
    void lockGoesWithTheProgram()
    {
        QFETCH(int, signal);
        ScratchDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--hold-lock"});
        QVERIFY(child.waitForReadyRead(10000) && QFile::exists(".zorvex.lock"));
        QVERIFY(signal ? ::kill(pid_t(child.processId()), signal) == 0 : child.write("\n") == 1);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), signal ? QProcess::CrashExit : QProcess::NormalExit);
        QCOMPARE(ScratchDir::entries(), QStringList());
    }

    // A set recorded in the last millisecond of the year carries that instant's date and time.
    void recordAtMidnight()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        const QDateTime last(QDate(2026, 12, 31), QTime(23, 59, 59, 999));
        TickingClock clock(last);
        FakeServices fs;
        Services services {fs, clock, fs, fs, fs, fs};
        frmMain counting(services);
        counting.Form_Load();
        QMetaObject::invokeMethod(counting.findChild<QWidget *>("cmdNext"), "click");
        QCOMPARE(
            ScratchDir::read("a.txt"),
            QByteArray::fromHex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 32 33 8E 9E 35 39 95 AA 35 "
                                "39 95 62 22 2C 31 0D 0A"));
    }

    // Both windows are centred by their frames, which the window system draws around them.
    void windowsAreCentred()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        FakeServices fs;
        frmMain counting(fs.services);
        counting.Form_Load();
        frmSettei settings(fs.services);
        settings.show();
        for (QWidget *window : std::initializer_list<QWidget *> {&counting, &settings}) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->frameGeometry().center(),
                     window->screen()->availableGeometry().center());
        }
    }
};

// Holds the folder's lock until a line comes in, then ends by exit(), as the toolkit does when
// the display goes away.
static int holdLock()
{
    FakeServices fs;
    FolderLock lock;
    char c = 0;
    if (!lock.take(fs) || write(STDOUT_FILENO, "r", 1) != 1 || read(STDIN_FILENO, &c, 1) < 0)
        return 2;
    std::exit(1);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (app.arguments().endsWith("--hold-lock"))
        return holdLock();
    TestIntegrity test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_integrity.moc"
