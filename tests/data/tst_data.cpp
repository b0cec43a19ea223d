#include "fakes.h"
#include "frmsettei.h"
#include "history.h"
#include "indexcheck.h"
#include "itemlist.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QDir>
#include <QLabel>
#include <QListView>
#include <QTest>

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

class TestData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemListReads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("targets");
        QTest::newRow("blank lines are skipped") << QByteArray("\r\n\"a\",1\r\n \r\n\"b\",2\r\n")
                                                 << QStringList {"a", "b"} << QList {1, 2};
        QTest::newRow("no target is 0, a third field is ignored")
            << QByteArray("\"a\"\r\n\"b\",2,9\r\n") << QStringList {"a", "b"} << QList {0, 2};
        QTest::newRow("an unclosed quote takes the line")
            << QByteArray("\"a,3\r\n\"b\",2\r\n") << QStringList {"a,3", "b"} << QList {0, 2};
    }
    void itemListReads()
    {
        QFETCH(QByteArray, bytes);
        QStringList names;
        QList<int> targets;
        for (const Item &item : ItemList::parse(bytes)) {
            names << item.name;
            targets << item.target;
        }
        QTEST(names, "names");
        QTEST(targets, "targets");
    }

    // The same in a list an editor saved as UTF-8: the record whose target changes keeps its
    // name's stray byte, and the next name's first character, U+FEFF, stays a character.
    void utf8ListRewriteKeepsStrayBytes()
    {
        ScratchDir dir;
        const QByteArray mark = QByteArray::fromHex("EF BB BF");
        const QByteArray second = QByteArray::fromHex("EF BB BF 2C 31 0D 0A");
        ScratchDir::write(kList, mark + QByteArray::fromHex("22 41 FF 42 22 2C 33 0D 0A") + second);
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        QCOMPARE(t.items()[1].name, QString(QChar(0xFEFF)));
        t.setItem(1, t.items()[0].name, 5);
        QVERIFY(ItemList::save(t).ok());
        const QByteArray saved = mark + QByteArray::fromHex("22 41 FF 42 22 2C 35 0D 0A") + second;
        QCOMPARE(ScratchDir::read(kList), saved);
    }

    // A count in the shortest form that reads back; a record never joins a last line that an
    // editor saved without its line end.
    void historyRecords()
    {
        ScratchDir dir;
        FakeServices clock;
        ScratchDir::write("腹筋.txt", kStamp + "25");
        for (double count : {-0.0, 2.5, -3.0})
            QVERIFY(History::appendSetRecord("腹筋", count, clock).ok());
        QCOMPARE(ScratchDir::read("腹筋.txt"),
                 kStamp + "25\r\n" + kStamp + "0\r\n" + kStamp + "2.5\r\n" + kStamp + "-3\r\n");
    }

    // A set recorded in the last millisecond of the year carries that instant's date and time.
    void recordAtMidnight()
    {
        ScratchDir dir;
        const TickingClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)));
        QVERIFY(History::appendSetRecord("a", 1, clock).ok());
        QCOMPARE(
            ScratchDir::read("a.txt"),
            QByteArray::fromHex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 32 33 8E 9E 35 39 95 AA 35 "
                                "39 95 62 22 2C 31 0D 0A"));
    }

    // A rewrite touches only the records that changed: a hand-made blank line, an LF, a last line
    // without its end, a typed 10.5, a byte that is no code page 932 (FF) and the codes 纊 ED 40
    // and ≒ 87 90 (which the codec would write as FA 5C and 81 E0) stay, in a list named in
    // capitals as Windows may leave it. (That an unchanged list is not written at all, a round
    // on a user's folder shows.)
    void rewritesChangeOnlyChangedRecords()
    {
        ScratchDir dir;
        const QString list = "項目一覧.TXT";
        const QByteArray kept
            = QByteArray::fromHex("22 41 FF 42 22 2C 33 0D 0A 22 ED 40 22 2C 31 0D 0A 0D 0A");
        const QByteArray last = QByteArray::fromHex("22 87 90 22 2C 31 30 2E 35");
        ScratchDir::write(list, kept + "\"b\",2\n" + last);
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        t.setItem(3, "b", 5);
        QVERIFY(ItemList::save(t).ok());
        QCOMPARE(ScratchDir::entries(), QStringList {list});
        QCOMPARE(ScratchDir::read(list), kept + "\"b\",5\n" + last);
        QVERIFY(ItemList::save(t, 3).ok());
        QCOMPARE(ScratchDir::read(list), kept + last);
        // Leaving out the first line would leave one starting with UTF-8's mark, and the file
        // would read as UTF-8: refused.
        ScratchDir::write(kList, "\"a\",1\r\n\xEF\xBB\xBF\"b\",2\r\n");
        QVERIFY(ItemList::load(t).ok());
        QCOMPARE(ItemList::save(t, 1).problem(), IoProblem::NotReadYet);
    }

    // The history view finds records on the bytes and reads back only the records it shows; it
    // must list exactly what the reader of the whole decoded file lists, with the same total.
    // The fuzzing corpora hold the hand-made cases (line ends, quotes, counts, stray bytes,
    // UTF-8 marks, each named for what it holds) and the finds; two more are too long for them.
    void listsWhatTheReaderReads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        for (const QString &folder :
             {QStringLiteral(HISTORY_CORPUS), QStringLiteral(INDEX_CORPUS)}) {
            const QDir corpus(folder);
            for (const QString &name : corpus.entryList(QDir::Files)) {
                QFile file(corpus.filePath(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                QTest::addRow("%s", qPrintable(corpus.dirName() + '/' + name)) << file.readAll();
            }
        }
        QByteArray many;
        for (int k = 0; k < 10000; ++k)
            many += kStamp + QByteArray::number(k) + "\r\n";
        QTest::newRow("more records than the piece read at once holds") << many;
        QTest::newRow("a line longer than the piece read at once")
            << kStamp + QByteArray(300000, '7') + "\r\n" + kStamp + "8\r\n";
    }
    void listsWhatTheReaderReads()
    {
        QFETCH(QByteArray, bytes);
        ScratchDir dir;
        QVERIFY(indexListsWhatTheReaderReads(bytes));
        // Short lines are taken apart on their bytes' masks when more bytes follow: the same
        // lines again, until they are long enough for that.
        QVERIFY(indexListsWhatTheReaderReads(bytes.repeated(1 + 256 / (bytes.size() + 1))));
    }

    // What was listed is read back from the file for the rows on screen; once the file holds
    // something else, nothing of it is passed off as a record that was listed.
    void aChangedFileShowsNoRecord()
    {
        ScratchDir dir;
        ScratchDir::write("a.txt", (kStamp + "25\r\n").repeated(100));
        HistoryIndex index;
        QVERIFY(index.read("a").ok());
        QCOMPARE(Text(index.record(0).count), Text("25"));
        ScratchDir::write("a.txt", (kStamp + "31\r\n").repeated(101));
        QCOMPARE(Text(index.record(99).count), Text(""));
        QCOMPARE(index.total(), 2500.0);
    }

    // A long history in the settings window: End goes to its last record, which the model
    // must know of without being scrolled to, and a typed number finds its line. (What a screen
    // reader hears of the rows, the Orca round checks.)
    void aLongHistoryInTheWindow()
    {
        ScratchDir dir;
        ScratchDir::write(kList, listBytes({{"a", 1}}));
        QByteArray history;
        for (int n = 1; n <= 500; ++n)
            history += kStamp + QByteArray::number(n) + "\r\n";
        ScratchDir::write("a.txt", history);
        QVERIFY(ZRVM::LoadItemList().ok());
        FakeServices fs;
        frmSettei w(fs.services);
        w.Form_Load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(Text(w.findChild<QLabel *>("lblGoukei")->text()), Text("合計回数 ： 125250"));
        auto *list = w.findChild<QListView *>("lstRireki");
        const auto line = [](int n) {
            return Text(QString::number(n) + " _ 12月31日 _ 07時05分09秒 _ " + QString::number(n));
        };
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(Text(list->currentIndex().data().toString()), line(500));
        QTest::keyClick(list, Qt::Key_Home);
        QTest::keyClicks(list, "123");
        QCOMPARE(Text(list->currentIndex().data().toString()), line(123));
    }
};

QTEST_MAIN(TestData)
#include "tst_data.moc"
