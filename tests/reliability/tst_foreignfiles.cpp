#include "appwindows.h"
#include "failuretexts.h"
#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "scratchdir.h"

#include <sys/stat.h>
#include <unistd.h>

class TestForeignFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { alarm(30); } // a wait on a pipe or an endless device fails instead of hanging

    void unreadableLists_data()
    {
        QTest::addColumn<QString>("list"); // a pipe, a link to a device, or a number of records
        QTest::addColumn<QString>("told"); // the reason the message gives
        // clang-format off
        const QString notAFile = "通常のファイルではありません（パイプ、デバイスまたはフォルダ）。";
        QTest::newRow("a pipe") << "pipe" << notAFile;
        QTest::newRow("a link to /dev/zero") << "/dev/zero" << notAFile;
        QTest::newRow("32,767 records, the most the count holds") << "32767" << "";
        QTest::newRow("32,768 records would count as negative") << "32768" << "項目が32767件を超えています。";
        QTest::newRow("65,537 records would count as 1") << "65537" << "項目が32767件を超えています。";
        // clang-format on
    }
    void unreadableLists()
    {
        QFETCH(QString, list);
        QFETCH(QString, told);
        ScratchDir dir;
        if (list == "pipe")
            QVERIFY(::mkfifo("項目一覧.txt", 0600) == 0);
        else if (list.startsWith('/'))
            QVERIFY(QFile::link(list, "項目一覧.txt"));
        else
            ScratchDir::write("項目一覧.txt", QByteArray("\"a\",1\r\n").repeated(list.toInt()));
        ItemTable table;
        const IoStatus loaded = ItemList::load(table);
        QCOMPARE(loaded.ok() ? QString() : FailureTexts::text(loaded).section('\n', 1), told);
        QCOMPARE(table.items().size(), told.isEmpty() ? list.toInt() : 0);
    }

    void historyFileNames_data()
    {
        QTest::addColumn<QStringList>("files"); // each with one record
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("seen"); // records read, the box, each file with its records
        // clang-format off
        const QString refused = "項目名エラー: 項目名「%1」はファイル名として使えないため、履歴を読み書きできません。\n項目名は設定画面で変更できます。";
        const QString u85 = QChar(0xDC85) + QString("@"), u86 = QChar(0xDC86) + QString("@"), tooLong(252, 'a');
        const QStringList one {"situps.txt"}, several {"SITUPS.TXT", "situps.txt"}, met {"\uFFFD@.txt"};
        QTest::newRow("read situps.txt") << one << "Situps" << "read" << QStringList {"1", "situps.txt:1"};
        QTest::newRow("append to situps.txt") << one << "Situps" << "append" << QStringList {"1", "situps.txt:2"};
        QTest::newRow("clear situps.txt") << one << "Situps" << "clear" << QStringList {"1", "situps.txt:0"};
        QTest::newRow("delete situps.txt") << one << "Situps" << "delete" << QStringList {"1"};
        QTest::newRow("several: read the exact name only") << several << "Situps" << "read" << QStringList {"0", "SITUPS.TXT:1", "situps.txt:1"};
        QTest::newRow("several: append to the exact name") << several << "Situps" << "append" << QStringList {"0", "SITUPS.TXT:1", "Situps.txt:1", "situps.txt:1"};
        QTest::newRow("Situps and situps share situps.txt") << one << "Situps" << "same as situps" << QStringList {"1", "same file", "situps.txt:1"};
        QTest::newRow("several: Situps and situps do not share") << several << "Situps" << "same as situps" << QStringList {"0", "own file", "SITUPS.TXT:1", "situps.txt:1"};
        // Each undecodable byte turned into U+FFFD in the file name, so "\x85@" and "\x86@" met.
        QTest::newRow("undecodable 85 40 appends nowhere") << met << u85 << "append" << QStringList {"0", refused.arg(u85), met[0] + ":1"};
        QTest::newRow("undecodable 86 40 deletes nothing") << met << u86 << "delete" << QStringList {"0", met[0] + ":1"};
        QTest::newRow("too long for a file name") << QStringList {} << tooLong << "append" << QStringList {"0", refused.arg(tooLong)};
        // clang-format on
    }
    void historyFileNames()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, item);
        QFETCH(QString, operation);
        QFETCH(QStringList, seen);
        ScratchDir dir;
        for (const QString &file : files)
            ScratchDir::write(file, "1\r\n");
        QStringList out {QString::number(History::read(item).records.size())};
        if (operation == "delete")
            History::remove(item);
        if (operation == "same as situps") // deleting one item must keep the other's file
            out << (History::sameFile(item, "situps") ? "same file" : "own file");
        const IoStatus status = operation == "append"
            ? History::appendSetRecord(item, 1, FakeClock())
            : operation == "clear" ? History::clear(item)
                                   : IoStatus::success();
        if (!status.ok())
            out << FailureTexts::title(status) + ": " + FailureTexts::text(status);
        for (const QString &name : ScratchDir::entries())
            out << name + ':' + QString::number(History::parse(ScratchDir::read(name)).size());
        QCOMPARE(out, seen);
    }

    void pipeHistoryNeitherHangsNextNorTheSettingsWindow()
    {
        ScratchDir dir;
        ScratchDir::write("項目一覧.txt", "\"p\",1\r\n");
        QVERIFY(::mkfifo("p.txt", 0600) == 0);
        FakeServices fs; // all but the windows
        AppWindows windows;
        Services services {fs.dialogs, fs.clock, fs.random, fs.events, windows, fs.help};
        windows.setServices(services);
        windows.show(AppWindow::Counting);
        QWidget *counting = windows.loaded(AppWindow::Counting);
        QVERIFY(counting && QTest::qWaitForWindowExposed(counting));
        QTest::mouseClick(counting->findChild<QWidget *>("cmdNext"), Qt::LeftButton);
        QTest::mouseClick(counting->findChild<QWidget *>("cmdCut"), Qt::LeftButton);
        QWidget *settei = windows.loaded(AppWindow::Settings);
        QVERIFY(settei && QTest::qWaitForWindowExposed(settei));
        QCOMPARE(fs.dialogs.shown.value(0).title, "書き込みエラー");
        QCOMPARE(fs.dialogs.shown.value(1).title, "読み込みエラー");
        settei->close();
    }
};

QTEST_MAIN(TestForeignFiles)
#include "tst_foreignfiles.moc"
