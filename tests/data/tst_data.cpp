#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "namecheck.h"
#include "numeric.h"
#include "scratchdir.h"

#include <QTest>

Q_DECLARE_METATYPE(NameProblem)

class TestData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemListWritesCodePage932()
    {
        ScratchDir dir;
        QVERIFY(ItemList::append("腹筋", 20).ok());
        QVERIFY(ItemList::append("スクワット", 10.5).ok()); // a typed target is kept as typed
        // clang-format off
        QCOMPARE(ScratchDir::read(kList), QByteArray::fromHex("22 95 A0 8B D8 22 2C 32 30 0D 0A 22 83 58 83 4E 83 8F 83 62 83 67 22 2C 31 30 2E 35 0D 0A"));
        // clang-format on
    }

    void itemListReads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("targets");
        // clang-format off
        QTest::newRow("blank lines are skipped") << QByteArray("\r\n\"a\",1\r\n \r\n\"b\",2\r\n") << QStringList {"a", "b"} << QList {1, 2};
        QTest::newRow("no target is 0, a third field is ignored") << QByteArray("\"a\"\r\n\"b\",2,9\r\n") << QStringList {"a", "b"} << QList {0, 2};
        QTest::newRow("an unclosed quote takes the line") << QByteArray("\"a,3\r\n\"b\",2\r\n") << QStringList {"a,3", "b"} << QList {0, 2};
        QTest::newRow("half targets go to the even neighbour") << QByteArray("\"a\",2.5\r\n\"b\",3.5\r\n\"c\",-2.5\r\n") << QStringList {"a", "b", "c"} << QList {2, 4, -2};
        // clang-format on
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

    // A list brought from Windows, with a byte that is no code page 932: rewritten in place.
    void itemListRewriteKeepsNameAndBytes()
    {
        ScratchDir dir;
        const QByteArray stray
            = QByteArray::fromHex("22 41 FF 42 22 2C 33 0D 0A 22 95 A0 8B D8 22 2C 31 0D 0A");
        ScratchDir::write("項目一覧.TXT", stray);
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        QVERIFY(ItemList::save(t).ok());
        QCOMPARE(ScratchDir::entries(), QStringList {"項目一覧.TXT"});
        QCOMPARE(ScratchDir::read("項目一覧.TXT"), stray);
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

    void runningTotalIsMadeWholeAfterEachRecord()
    {
        const double first = History::addToTotal(0, u"2.5");
        QCOMPARE(first, 2.0);
        QCOMPARE(History::addToTotal(first, u"2.5"), 4.0);
    }

    void nameCheck_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<NameProblem>("problem");
        QTest::newRow("empty") << "" << NameProblem::Empty;
        QTest::newRow("backslash") << "..\\x" << NameProblem::PathSeparator;
        QTest::newRow("a colon") << "a:b" << NameProblem::ForbiddenCharacter;
        QTest::newRow("next line") << "a\u0085" << NameProblem::ControlCharacter;
        QTest::newRow("dot") << "." << NameProblem::DotName;
        QTest::newRow("the item list") << "項目一覧" << NameProblem::ItemListName;
        QTest::newRow("emoji") << "腹筋😀" << NameProblem::NotInCodePage;
        QTest::newRow("251 bytes, with the .txt 255") << QString(251, u'a') << NameProblem::None;
        QTest::newRow("252 bytes") << QString(252, u'a') << NameProblem::TooLong;
    }
    void nameCheck()
    {
        QFETCH(QString, name);
        QTEST(checkItemName(name), "problem");
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
