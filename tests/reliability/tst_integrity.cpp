#include "failuretexts.h"
#include "fakes.h"
#include "folderlock.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "history.h"
#include "itemlist.h"
#include "scratchdir.h"
#include "tickingclock.h"
#include "zrvm.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
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
    QByteArray edited; // the list after the edit; before it, a and b
    const char *button; // clicked with item a chosen, registering c with target 3
    Box box; // the last box
    QByteArray list; // afterwards
    QStringList items; // in the window's item list
    QByteArray history = kStamp + "6\r\n"; // a's afterwards
};

// What a start finds in the folder's lock and what it does.
struct LockCase
{
    QByteArray found = {}; // the lock file's bytes
    bool running = false; // held by a copy that runs instead
    bool readOnlyFolder = false;
    bool answer = true; // to a question
    bool started = false;
    Texts titles = {}; // of the boxes shown
};

// Both windows of one run on one set of scripted services.
struct Run
{
    FakeServices fs;
    QWidget both;
    frmMain counting {fs.services, &both};
    frmSettei settings {fs.services, &both};

    void click(const char *button)
    {
        QMetaObject::invokeMethod(both.findChild<QWidget *>(button), "click");
    }
    void pick(int row) { settings.findChild<QListWidget *>("lstKoumoku")->setCurrentRow(row); }
    void type(const char *box, const QString &text)
    {
        settings.findChild<QLineEdit *>(box)->setText(text);
    }
    QStringList items() const
    {
        QStringList names;
        const auto *list = settings.findChild<QListWidget *>("lstKoumoku");
        for (int row = 0; row < list->count(); ++row)
            names << list->item(row)->text();
        return names;
    }
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
    // a registration starts on a line of its own.
    void handEditWhileCounting()
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
    }

    // Files of the user's own beside the list and a history, named as backups and dated copies
    // are, go through a round and every settings command untouched. Records nobody changed keep
    // their bytes: 纊 stays ED 40, not the FA 5C the codec would write.
    void userFilesAndUnchangedRecordsStayAsTheyAre()
    {
        ScratchDir dir;
        const QStringList mine {"項目一覧.txt.backup", "項目一覧.txt.241208", "項目一覧.txt.old001",
                                "項目一覧.txt.bak",    "a.txt.bak",           "a.txt.241208"};
        for (const QString &name : mine)
            ScratchDir::write(name, name.toUtf8());
        const QByteArray kou = QByteArray::fromHex("22 ED 40 22 2C 31 0D 0A");
        ScratchDir::write(kList, kou + "\"a\",1\r\n");
        const QStringList before = snapshot(".", true);
        Run run;
        run.counting.Form_Load();
        run.click("cmdNext");
        run.click("cmdNext");
        QCOMPARE(snapshot(".", true).filter(kList + ' '), before.filter(kList + ' '));
        run.settings.Form_Load();
        run.fs.inputAnswers << "c"
                            << "3";
        run.click("cmdNew");
        run.pick(1);
        run.type("txtKaisu", "2");
        run.click("cmdHozon");
        run.click("cmdClear");
        run.pick(2);
        run.click("cmdDel");
        QCOMPARE(run.fs.titles(),
                 Texts({"新規登録終了", "設定更新終了", "クリア確認", "クリア終了", "クリア確認",
                        "削除終了"}));
        QCOMPARE(ScratchDir::read(kList), kou + "\"a\",2\r\n");
        for (const QString &name : mine)
            QCOMPARE(snapshot(".", true).filter("./" + name + ' '),
                     before.filter("./" + name + ' '));
    }

    // A list and a history an editor saved as UTF-8 stay UTF-8, mark and all, through a round and
    // every settings command; a name code page 932 lacks costs no warning.
    void utf8FilesStayUtf8()
    {
        ScratchDir dir;
        const QByteArray mark = QByteArray::fromHex("EF BB BF");
        const QByteArray old = QString("\"12月30日\",\"06時00分00秒\",3\r\n").toUtf8();
        ScratchDir::write(kList, mark + QString("\"腹筋\",4\r\n\"Müller\",3\r\n").toUtf8());
        ScratchDir::write("腹筋.txt", mark + old);
        Run run;
        run.counting.Form_Load();
        run.click("cmdNext");
        run.click("cmdNext");
        QCOMPARE(run.fs.boxes, QList<Box>());
        QCOMPARE(ScratchDir::read("腹筋.txt"),
                 mark + old + QString("\"12月31日\",\"07時05分09秒\",1\r\n").toUtf8());
        run.settings.Form_Load();
        run.fs.inputAnswers << "懸垂"
                            << "5";
        run.click("cmdNew");
        run.pick(0);
        run.type("txtKaisu", "6");
        run.click("cmdHozon");
        run.click("cmdClear");
        run.pick(1);
        run.click("cmdDel");
        QCOMPARE(run.fs.boxes.value(0).text, "懸垂 の設定を新規登録しました");
        QCOMPARE(run.fs.titles(),
                 Texts({"新規登録終了", "設定更新終了", "クリア確認", "クリア終了", "クリア確認",
                        "削除終了"}));
        QCOMPARE(ScratchDir::read(kList), mark + QString("\"腹筋\",6\r\n\"懸垂\",5\r\n").toUtf8());
        QCOMPARE(ScratchDir::read("腹筋.txt"), mark);
        QCOMPARE(ScratchDir::entries(), QStringList({"懸垂.txt", "腹筋.txt", kList}));
    }

    // A folder the user may not write, with files that are the user's: a set is recorded and the
    // history cleared in place without a word; only a change of the list, which needs a new file
    // in the folder, is refused, naming the folder.
    void readOnlyFolderWithOwnFiles()
    {
        if (geteuid() == 0)
            return runAsNobody();
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", "");
        ScratchDir::write("b.txt", kStamp + "4\r\n");
        QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::ExeOwner));
        Run run;
        run.counting.Form_Load();
        run.click("cmdNext");
        run.settings.Form_Load();
        run.pick(1);
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
        QCOMPARE(ScratchDir::read("a.txt"), kStamp + "1\r\n");
        QCOMPARE(ScratchDir::read("b.txt"), QByteArray());
        QCOMPARE(ScratchDir::read(kList), "\"a\",1\r\n\"b\",2\r\n");
    }

    void handEditsAreKept_data()
    {
        QTest::addColumn<HandEdit>("edit");
        const QByteArray top = "\"x\",1\r\n\"a\",1\r\n\"b\",2\r\n";
        const QString kept = "\n項目一覧がほかで変更されていたため、項目一覧は書き換えず、"
                             "変更後の内容を表示しています。";
        const auto note = [](const QString &text, const char *title, bool done = true) {
            return Box {.title = title,
                        .text = text,
                        .icon = done ? MessageIcon::Information : MessageIcon::Warning};
        };
        QTest::newRow("Register adds to the list as it now is") << HandEdit {
            .edited = top,
            .button = "cmdNew",
            .box = note("c の設定を新規登録しました\n項目一覧がほかで変更されていたため、"
                        "変更後の項目一覧の最後に追加し、読み込み直しました。",
                        "新規登録終了"),
            .list = top + "\"c\",3\r\n",
            .items = {"x", "a", "b", "c"}};
        QTest::newRow("Clear empties the history and keeps the edit") << HandEdit {
            .edited = top,
            .button = "cmdClear",
            .box = note("a のカウント数と履歴データをクリアしました" + kept, "クリア終了"),
            .list = top,
            .items = {"x", "a", "b"},
            .history = ""};
        QTest::newRow("Delete keeps an item the edit still has, and its history")
            << HandEdit {.edited = top,
                         .button = "cmdDel",
                         .box = note("a を削除しませんでした。" + kept, "削除中止", false),
                         .list = top,
                         .items = {"x", "a", "b"}};
        QTest::newRow("Delete of an item the edit took away deletes its history")
            << HandEdit {.edited = "\"x\",1\r\n\"b\",2\r\n",
                         .button = "cmdDel",
                         .box = note("a の履歴データを削除しました" + kept, "削除終了"),
                         .list = "\"x\",1\r\n\"b\",2\r\n",
                         .items = {"x", "b"},
                         .history = "<missing>"};
    }
    // The list is edited by hand while the settings window shows it, with item a chosen.
    void handEditsAreKept()
    {
        QFETCH(HandEdit, edit);
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", kStamp + "6\r\n");
        QVERIFY(ZRVM::LoadItemList().ok());
        Run run;
        run.settings.Form_Load();
        run.pick(0);
        ScratchDir::write(kList, edit.edited);
        run.fs.inputAnswers << "c"
                            << "3";
        run.click(edit.button);
        QCOMPARE(run.fs.boxes.value(run.fs.boxes.size() - 1), edit.box);
        QCOMPARE(ScratchDir::read(kList), edit.list);
        QCOMPARE(ScratchDir::read("a.txt"), edit.history);
        QCOMPARE(run.items(), edit.items);
        run.pick(1); // the window's rows are the file's
        QCOMPARE(run.settings.findChild<QLineEdit *>("txtKoumoku")->text(), edit.items[1]);
    }

    // A history that is a pipe is neither emptied nor deleted, and says so when it is cleared.
    void pipeAsHistory()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        QVERIFY(::mkfifo("a.txt", 0600) == 0);
        QVERIFY(ZRVM::LoadItemList().ok());
        Run run;
        run.settings.Form_Load();
        run.pick(0);
        run.click("cmdClear");
        run.click("cmdDel");
        QCOMPARE(run.fs.boxes.value(0).title, "読み込みエラー"); // its history, on view
        QCOMPARE(run.fs.boxes.value(2),
                 Box({.title = "書き込みエラー",
                      .text = "a.txt に書き込めませんでした。\n"
                              "通常のファイルではありません（パイプ、デバイスまたはフォルダ）。"}));
        QCOMPARE(run.fs.titles().last(), "削除終了");
        QVERIFY(QFileInfo("a.txt").exists() && !QFileInfo("a.txt").isFile());
    }

    // The characters Linux input methods give for seven code page 932 ones are stored as those;
    // a decomposed name is stored composed; a character without a form is named.
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
        run.click("cmdNew");
        run.click("cmdNew");
        run.click("cmdNew");
        QCOMPARE(ScratchDir::read(kList),
                 QByteArray::fromHex("22 81 60 81 7C 81 61 81 91 81 92 81 CA 81 5C 22 2C 31 0D 0A"
                                     "22 82 AA 22 2C 31 0D 0A"));
        QCOMPARE(run.fs.boxes.value(0).text, "～－∥￠￡￢― の設定を新規登録しました");
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
            << LockCase {.found = elsewhere, .answer = false, .titles = {"起動確認"}};
        QTest::newRow("a lock from another machine asks, OK starts")
            << LockCase {.found = elsewhere, .started = true, .titles = {"起動確認"}};
        QTest::newRow("a copy that runs keeps its lock")
            << LockCase {.running = true, .titles = {"二重起動"}};
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
        if (lock.readOnlyFolder)
            QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::ExeOwner));
        FakeServices fs;
        fs.okAnswers << lock.answer;
        FolderLock folder;
        QCOMPARE(folder.take(fs), lock.started);
        QCOMPARE(fs.titles(), lock.titles);
        const QByteArray ours = QByteArray::number(QCoreApplication::applicationPid()) + '\n';
        if (lock.started && !lock.readOnlyFolder)
            QVERIFY(ScratchDir::read(".zorvex.lock").startsWith(ours));
        else
            QCOMPARE(ScratchDir::read(".zorvex.lock"), found);
        QVERIFY(QFile::setPermissions(".", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    // The question about another machine's lock names the file and the machine, and Enter
    // answers it by not starting.
    void lockFromAnotherMachineNamesItself()
    {
        ScratchDir dir;
        ScratchDir::write(".zorvex.lock", "4242\nzorvex\nyoga-laptop\n");
        FakeServices fs;
        fs.okAnswers << false;
        QVERIFY(!FolderLock().take(fs));
        const Box asked {.title = "起動確認",
                         .text = "このフォルダには、別のコンピュータ「yoga-laptop」で起動した"
                                 "Zorvexのロックファイルがあります。\n"
                             + QDir::current().absoluteFilePath(".zorvex.lock")
                             + "\nそのZorvexが終了していれば、このまま起動できます。起動しますか？",
                         .icon = MessageIcon::Warning,
                         .buttons = MessageButtons::OkCancel,
                         .defaultButton = DefaultButton::Cancel};
        QCOMPARE(fs.boxes, QList {asked});
    }

    void lockGoesWithTheProgram_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("SIGTERM") << "SIGTERM";
        QTest::newRow("SIGHUP") << "SIGHUP";
        QTest::newRow("SIGINT") << "SIGINT";
        // The toolkit calls exit() when the connection to the display breaks.
        QTest::newRow("the display goes away") << "exit";
    }
    void lockGoesWithTheProgram()
    {
        QFETCH(QString, end);
        ScratchDir dir;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--hold-lock", end});
        QVERIFY(child.waitForReadyRead(10000));
        QVERIFY(QFile::exists(".zorvex.lock"));
        const QMap<QString, int> bySignal {
            {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"SIGINT", SIGINT}};
        if (bySignal.contains(end))
            ::kill(pid_t(child.processId()), bySignal[end]);
        else
            child.write("\n");
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(),
                 bySignal.contains(end) ? QProcess::CrashExit : QProcess::NormalExit);
        QCOMPARE(ScratchDir::entries(), QStringList());
    }

    // A set recorded in the last millisecond of the year carries that instant's date and time,
    // whatever the clock says a moment later.
    void recordAtMidnight()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        TickingClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)));
        FakeServices fs;
        Services services {fs, clock, fs, fs, fs, fs};
        frmMain counting(services);
        counting.Form_Load();
        QMetaObject::invokeMethod(counting.findChild<QWidget *>("cmdNext"), "click");
        const QByteArray stamped
            = QByteArray::fromHex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 32 33 8E 9E 35 39 95 AA 35 "
                                  "39 95 62 22 2C 31 0D 0A");
        QCOMPARE(ScratchDir::read("a.txt"), stamped);
        QVERIFY(History::appendSetRecord(
                    "b", 1, TickingClock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))))
                    .ok());
        QCOMPARE(ScratchDir::read("b.txt"), stamped);
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
        for (QWidget *window :
             {static_cast<QWidget *>(&counting), static_cast<QWidget *>(&settings)}) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->frameGeometry().center(),
                     window->screen()->availableGeometry().center());
        }
    }
};

// Holds the folder's lock until told to end, then ends as asked: by the signal the test sends,
// or by exit() as the toolkit does when the display goes away.
static int holdLock(const QString &end)
{
    FakeServices fs;
    FolderLock lock;
    char c = 0;
    if (!lock.take(fs) || write(STDOUT_FILENO, "r", 1) != 1 || read(STDIN_FILENO, &c, 1) < 0)
        return 2;
    std::exit(end == "exit" ? 1 : 2);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--hold-lock")
        return holdLock(args[2]);
    TestIntegrity test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_integrity.moc"
