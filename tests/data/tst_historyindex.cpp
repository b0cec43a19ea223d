#include "fakes.h"
#include "frmsettei.h"
#include "indexcheck.h"
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
