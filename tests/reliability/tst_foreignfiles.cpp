#include "failuretexts.h"
#include "history.h"
#include "itemlist.h"
#include "realprogram.h"
#include "scratchdir.h"

#include <sys/stat.h>
#include <unistd.h>

class TestForeignFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { alarm(30); } // a wait on a pipe or an endless device fails instead of hanging

    void unreadableListsAreNeverRewritten_data()
    {
        QTest::addColumn<QString>("list"); // a pipe, a link to a device, or a number of records
        QTest::addColumn<QString>("told"); // the reason the message gives
        // clang-format off
        const QString notAFile = "通常のファイルではありません（パイプ、デバイスまたはフォルダ）。";
        QTest::newRow("a pipe") << "pipe" << notAFile;
        QTest::newRow("a link to /dev/zero") << "/dev/zero" << notAFile;
        QTest::newRow("32,768 records would count as negative") << "32768" << "項目が32767件を超えています。";
        // clang-format on
    }
    void unreadableListsAreNeverRewritten()
    {
        QFETCH(QString, list);
        ScratchDir dir;
        if (list == "pipe")
            QVERIFY(::mkfifo(QFile::encodeName(kList), 0600) == 0);
        else if (list.startsWith('/'))
            QVERIFY(QFile::link(list, kList));
        else
            ScratchDir::write(kList, QByteArray("\"a\",1\r\n").repeated(list.toInt()));
        ItemTable table;
        QTEST(FailureTexts::text(ItemList::load(table)).section('\n', 1), "told");
        QCOMPARE(ItemList::save(table).problem(), IoProblem::NotReadYet);
    }

    void historyFileNames_data()
    {
        QTest::addColumn<QStringList>("files"); // each with one record
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("seen"); // records read, outcome, each file: its records
        // clang-format off
        QTest::newRow("Situps appends to situps.txt") << QStringList {"situps.txt"} << "Situps" << "append" << QStringList {"1", "done", "situps.txt:2"};
        QTest::newRow("Situps clears situps.txt") << QStringList {"situps.txt"} << "Situps" << "clear" << QStringList {"1", "done", "situps.txt:0"};
        QTest::newRow("Situps deletes situps.txt") << QStringList {"situps.txt"} << "Situps" << "delete" << QStringList {"1", "done"};
        QTest::newRow("two case matches: only Situps.txt is Situps's") << QStringList {"SITUPS.TXT", "situps.txt"} << "Situps" << "append" << QStringList {"0", "done", "SITUPS.TXT:1", "Situps.txt:1", "situps.txt:1"};
        // Each undecodable byte turned into U+FFFD in the file name, so "\x85@" and "\x86@" met.
        QTest::newRow("undecodable 85 40 appends nowhere") << QStringList {"\uFFFD@.txt"} << QChar(0xDC85) + QString("@") << "append" << QStringList {"0", "項目名エラー", "\uFFFD@.txt:1"};
        QTest::newRow("undecodable 86 40 deletes nothing") << QStringList {"\uFFFD@.txt"} << QChar(0xDC86) + QString("@") << "delete" << QStringList {"0", "done", "\uFFFD@.txt:1"};
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
        QStringList seen {QString::number(History::read(item).records.size())};
        IoStatus status = IoStatus::success();
        if (operation == "append")
            status = History::appendSetRecord(item, 1, FakeClock());
        else if (operation == "clear")
            status = History::clear(item);
        else
            History::remove(item);
        seen << (status.ok() ? "done" : FailureTexts::title(status));
        for (const QString &name : ScratchDir::entries())
            seen << name + ':' + QString::number(History::parse(ScratchDir::read(name)).size());
        QTEST(seen, "seen");
    }

    void pipeHistoryHangsNeitherNextNorTheSettingsWindow()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"p\",1\r\n");
        QVERIFY(::mkfifo("p.txt", 0600) == 0);
        RealProgram program;
        QWidget *counting = program.start();
        QVERIFY(QTest::qWaitForWindowExposed(counting));
        QTest::mouseClick(counting->findChild<QWidget *>("cmdNext"), Qt::LeftButton);
        QTest::mouseClick(counting->findChild<QWidget *>("cmdCut"), Qt::LeftButton);
        QCOMPARE(program.fs.dialogs.shown, QStringList({"書き込みエラー", "読み込みエラー"}));
        program.windows.loaded(AppWindow::Settings)->close();
    }
};

QTEST_MAIN(TestForeignFiles)
#include "tst_foreignfiles.moc"
