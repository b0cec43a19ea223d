#include "fakes.h"
#include "frmsettei.h"
#include "history.h"
#include "historyindex.h"
#include "printing.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QTest>

// The history view finds records on the bytes and reads back only the records it shows; it
// must list exactly what the reader of the whole decoded file lists, with the same total.
class TestHistoryIndex : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listsWhatTheReaderReads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray stamps = "\"12月31日\",\"07時05分09秒\",";
        const QByteArray cp932Stamps
            = QByteArray::fromHex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 "
                                  "39 95 62 22 2C");
        QByteArray counts, shapes;
        for (const char *count : {" 2.5", "\t2.5", "+1.5", "12abc", "abc", ".5", "5.", "-0.4",
                                  "1e3", "\"7\"", "0x10", "12:30"})
            counts += "\"d\",\"t\"," + QByteArray(count) + "\r\n";
        // Lines close to a record as Next writes it, each off in one place.
        for (const char *line :
             {"\"d\" ,\"t\",1", "\"d\",\"t\", 2", "\"d\",\"t\",", "\"a,b\",\"t\",3",
              " \"d\",\"t\",4", "\"d\",\"t\",5,6", "\"d\"x,\"t\",7", "\"d\",,\"t\",8",
              "\"d\",\"t\"\",9", "\"\",\"\",10", "\"d\",\"t\"x,11"})
            shapes += QByteArray(line) + "\r\n";

        QTest::newRow("blank lines, lone CR and LF, a last line without its end") << QByteArray(
            "\r\n\"a\",\"b\",1\r \r\n\t\n\"c\",\"d\",2\n\"e\",\"f\",3\r\r\"g\",\"h\",4");
        QTest::newRow("unclosed quotes, short records, text after a closing quote")
            << QByteArray("\"a,\"b\r\n\"c\"\r\n\"d\"x,\"e\"y,4z,more\r\n,,\r\n  ,\r\n"
                          " \"f\" , \"g\" ,  5 \r\n");
        QTest::newRow("counts as numbers read them") << counts;
        QTest::newRow("lines nearly shaped as records") << shapes;
        QTest::newRow("Japanese stamps, a full-width count")
            << cp932Stamps + "25\r\n" + cp932Stamps + QByteArray::fromHex("82 58 0D 0A");
        QTest::newRow("stray bytes in stamps and counts") << QByteArray::fromHex(
            "22 85 40 22 2C 22 86 40 22 2C 31 0D 0A 22 41 81 22 2C 22 81 2C "
            "22 2C 33 81 0D 0A 22 FF 22 2C 22 EC 74 22 2C 32 EC 74 0D 0A 81");
        QTest::newRow("bytes the codec trades among ASCII, beside Japanese")
            << QByteArray::fromHex("22 1A 22 2C 22 7F 22 2C 31 1C 0D 0A") + cp932Stamps + "2\r\n";
        QTest::newRow("UTF-8 after its mark")
            << "\xEF\xBB\xBF" + stamps + "25\r\n" + stamps + "2.5\r\n";
        QTest::newRow("UTF-8: a second mark, a mark starting a line, broken sequences")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF\"\xE3\x81\",\"\xF0\x9F\",3\xE3\r\n"
                          "\xEF\xBB\xBF\"a\",\"b\",4\r\n\"\xED\xA0\x80\",\xC0,5\n");
        QTest::newRow("UTF-8: nothing but marks on the first line")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF\r\n\"a\",\"b\",6\r\n");
        QByteArray many;
        for (int k = 0; k < 10000; ++k)
            many += cp932Stamps + QByteArray::number(k) + "\r\n";
        QTest::newRow("more records than the piece read at once holds") << many;
        QTest::newRow("a line longer than the piece read at once")
            << cp932Stamps + QByteArray(300000, '7') + "\r\n" + cp932Stamps + "8\r\n";
        const QDir corpus(QStringLiteral(HISTORY_CORPUS));
        for (const QString &name : corpus.entryList(QDir::Files)) {
            QFile file(corpus.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTest::addRow("corpus %s", qPrintable(name)) << file.readAll();
        }
    }
    void listsWhatTheReaderReads()
    {
        QFETCH(QByteArray, bytes);
        // Short lines are taken apart on their bytes' masks when more bytes follow: the same
        // lines again, until they are long enough for that.
        for (const QByteArray &file : {bytes, bytes.repeated(1 + 256 / (bytes.size() + 1))}) {
            ScratchDir dir;
            ScratchDir::write("a.txt", file);
            const QList<History::Record> read = History::parse(file);
            HistoryIndex index;
            QVERIFY(index.read("a").ok());
            QCOMPARE(index.size(), read.size());
            double total = 0;
            for (qsizetype row = 0; row < read.size(); ++row) {
                const History::Record listed = index.record(row);
                QCOMPARE(Text(listed.date), Text(read[row].date));
                QCOMPARE(Text(listed.time), Text(read[row].time));
                QCOMPARE(Text(listed.count), Text(read[row].count));
                total = History::addToTotal(total, read[row].count);
            }
            QCOMPARE(index.total(), total);
        }
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

    // A long history in the settings window: the keys go to its ends, a typed number finds its
    // line, a click picks the row under the pointer, and a screen reader hears each row's line.
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
        const auto current = [list] {
            return Text(list->currentIndex().data().toString());
        };
        const auto onScreen = [list] {
            return list->viewport()->rect().contains(list->visualRect(list->currentIndex()));
        };
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(current(), line(500));
        QVERIFY(onScreen());
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(current(), line(1));
        QVERIFY(onScreen());
        QTest::keyClicks(list, "123");
        QCOMPARE(current(), line(123));
        QVERIFY(onScreen());
        QTest::keyClicks(list, "x");
        QCOMPARE(current(), line(123));
        // A key typed afresh: the next line that starts with it.
        const QModelIndexList five
            = list->model()->match(list->currentIndex(), Qt::DisplayRole, "5");
        QCOMPARE(five.value(0).row(), 499);
        const QModelIndex below = list->model()->index(list->currentIndex().row() + 1, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(below).center());
        QCOMPARE(current(), line(124));
        QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(Text(rows->child(0)->text(QAccessible::Name)), line(1));
        QCOMPARE(Text(rows->child(499)->text(QAccessible::Name)), line(500));
    }
};

QTEST_MAIN(TestHistoryIndex)
#include "tst_historyindex.moc"
