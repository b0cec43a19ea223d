#include "fakes.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "textfile.h"
#include "zrvm.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QTest>
#include <cerrno>

// What a power cut leaves behind, and a disk that fails to sync, seen through the windows.
class TestDurable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A 登録 cut by a power cut left the list's new line as NUL bytes. The round goes on with the
    // other items, the user hears once where the line is, and a save keeps its bytes.
    void damagedItemLineIsSkippedToldAndKept()
    {
        ScratchDir dir;
        FakeServices fs;
        // "腹筋",10 / 12 NUL bytes / "背筋",5
        const QByteArray damaged = QByteArray::fromHex("00000000000000000000000000");
        ScratchDir::write(kList,
                          QByteArray::fromHex("22 95 A0 8B D8 22 2C 31 30 0D 0A") + damaged
                              + QByteArray::fromHex("0D 0A 22 94 77 8B D8 22 2C 35 0D 0A"));
        QWidget both;
        frmMain counting(fs.services, &both);
        for (int round = 0; round < 2; ++round)
            counting.Form_Load();
        const Box told {
            .title = "破損した行",
            .text = "項目一覧.txt の2行目に壊れた部分（停電などで書きかけになったデータ）"
                    "があるため、その部分を読み飛ばしました。ほかの記録はそのまま使え"
                    "ます。\n壊れた部分はファイルに残してあります。テキストエディターで確認して"
                    "ください。",
            .icon = MessageIcon::Warning,
            .buttons = MessageButtons::Ok,
            .defaultButton = DefaultButton::Ok};
        QCOMPARE(fs.boxes, QList<Box> {told});
        QCOMPARE(counting.findChild<QLabel *>("lblSnd(2)")->text(), "2.背筋");

        frmSettei settings(fs.services, &both);
        settings.Form_Load();
        settings.findChild<QListWidget *>("lstKoumoku")->setCurrentRow(1);
        settings.findChild<QLineEdit *>("txtKaisu")->setText("7");
        QMetaObject::invokeMethod(settings.findChild<QWidget *>("cmdHozon"), "click");
        QCOMPARE(fs.titles().last(), "設定更新終了");
        QCOMPARE(ScratchDir::read(kList),
                 QByteArray::fromHex("22 95 A0 8B D8 22 2C 31 30 0D 0A") + damaged
                     + QByteArray::fromHex("0D 0A 22 94 77 8B D8 22 2C 37 0D 0A"));
    }

    // Next cut by a power cut left NUL bytes after a last line an editor saved without its line
    // end, and a stray control byte stands in another line: the history view shows every record,
    // and the next set goes on a line of its own.
    void damagedHistoryLinesKeepTheirRecords()
    {
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(kList, listBytes({{"a", 3}}));
        // [12] / a line holding 01 / [8] and three NUL bytes without a line end
        ScratchDir::write("a.txt",
                          kStamp + "12\r\n" + QByteArray::fromHex("22 01 22 0D 0A") + kStamp + "8"
                              + QByteArray(3, '\0'));
        QWidget both;
        frmMain counting(fs.services, &both);
        counting.Form_Load();
        counting.findChild<QLineEdit *>("txtKaisu")->setText("5");
        QMetaObject::invokeMethod(counting.findChild<QWidget *>("cmdNext"), "click");
        QCOMPARE(ScratchDir::read("a.txt"),
                 kStamp + "12\r\n" + QByteArray::fromHex("22 01 22 0D 0A") + kStamp + "8"
                     + QByteArray(3, '\0') + "\r\n" + kStamp + "5\r\n");
        frmSettei settings(fs.services, &both);
        settings.Form_Load();
        QStringList shown;
        const QAbstractItemModel *rireki = settings.findChild<QListView *>("lstRireki")->model();
        for (int row = 0; row < rireki->rowCount(); ++row)
            shown << rireki->index(row, 0).data().toString().split(' ', Qt::SkipEmptyParts).last();
        QCOMPARE(shown, QStringList({"12", "8", "5"}));
        QCOMPARE(settings.findChild<QLabel *>("lblGoukei")->text(), "合計回数 ： 25");
        QCOMPARE(fs.titles(), texts({"破損した行"}));
        QVERIFY2(fs.boxes.first().text.startsWith("a.txt の2行目に壊れた部分"),
                 qPrintable(fs.boxes.first().text));
    }

    // A disk that takes the bytes but fails to sync them has not written them: Next stays on the
    // item, 登録 shows no completion, and each says the write failed.
    void failedSyncIsAFailedWrite_data()
    {
        QTest::addColumn<bool>("folder"); // the folder's sync fails, else the file's
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("history"); // a.txt afterwards
        QTest::newRow("Next, the record's sync") << false << "cmdNext" << kStamp + "12\r\n";
        QTest::newRow("登録, the list's folder") << true << "cmdNew" << kStamp + "12\r\n";
    }
    void failedSyncIsAFailedWrite()
    {
        QFETCH(bool, folder);
        QFETCH(QString, command);
        QFETCH(QByteArray, history);
        ScratchDir dir;
        FakeServices fs;
        fs.inputAnswers << "b"
                        << "4";
        ScratchDir::write(kList, listBytes({{"a", 3}, {"c", 2}}));
        ScratchDir::write("a.txt", kStamp + "12\r\n");
        QWidget both;
        frmMain counting(fs.services, &both);
        counting.Form_Load();
        frmSettei settings(fs.services, &both);
        settings.Form_Load();
        counting.findChild<QLineEdit *>("txtKaisu")->setText("6");
        const auto failing = [](int) {
            errno = EIO;
            return -1;
        };
        const auto data = std::exchange(TextFile::syncData, folder ? TextFile::syncData : +failing);
        const auto all = std::exchange(TextFile::syncAll, folder ? +failing : TextFile::syncAll);
        QMetaObject::invokeMethod(both.findChild<QWidget *>(command), "click");
        TextFile::syncData = data;
        TextFile::syncAll = all;
        const QString file = folder ? kList : "a.txt";
        QCOMPARE(fs.boxes.value(0),
                 (Box {.title = "書き込みエラー",
                       .text = file
                           + " に書き込めませんでした。\nディスクの空き容量と書き込み権限を"
                             "確認してください。"}));
        QCOMPARE(fs.titles().size(), 1);
        QCOMPARE(ScratchDir::read("a.txt"), history);
        QCOMPARE(counting.findChild<QLabel *>("lblKoumoku")->text(), "a");
    }
};

QTEST_MAIN(TestDurable)
#include "tst_durable.moc"
