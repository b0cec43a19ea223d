#include "textfile.h"
#include "windows.h"

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

    // A disk that takes the bytes but fails to sync them has not written them: Next stays on the
    // item, 登録 shows no completion, and each says the write failed.
    void failedSyncIsAFailedWrite_data()
    {
        QTest::addColumn<bool>("folder"); // the folder's sync fails, else the file's
        QTest::addColumn<QString>("command");
        QTest::newRow("Next, the record's sync") << false << "cmdNext";
        QTest::newRow("登録, the list's folder") << true << "cmdNew";
    }
    void failedSyncIsAFailedWrite()
    {
        QFETCH(bool, folder);
        QFETCH(QString, command);
        ScratchDir dir;
        ScratchDir::write(kList, listBytes({{"a", 3}, {"c", 2}}));
        ScratchDir::write("a.txt", kStamp + "12\r\n");
        Run run;
        run.fs.inputAnswers << "b"
                            << "4";
        run.counting.Form_Load();
        run.settings.Form_Load();
        run.counting.findChild<QLineEdit *>("txtKaisu")->setText("6");
        const auto failing = [](int) {
            errno = EIO;
            return -1;
        };
        const auto data = std::exchange(TextFile::syncData, folder ? TextFile::syncData : +failing);
        const auto all = std::exchange(TextFile::syncAll, folder ? +failing : TextFile::syncAll);
        run.click(command.toLatin1());
        TextFile::syncData = data;
        TextFile::syncAll = all;
        const QString file = folder ? kList : "a.txt";
        QCOMPARE(run.fs.boxes,
                 QList({Box {.title = "書き込みエラー",
                             .text = file
                                 + " に書き込めませんでした。\nディスクの空き容量と書き込み権限を"
                                   "確認してください。"}}));
        QCOMPARE(ScratchDir::read("a.txt"), kStamp + "12\r\n");
        QCOMPARE(run.text("lblKoumoku"), "a");
    }
};

QTEST_MAIN(TestDurable)
#include "tst_durable.moc"
