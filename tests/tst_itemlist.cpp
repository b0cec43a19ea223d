#include "itemlist.h"
#include "scratchdir.h"

#include <QFile>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

const QString kList = "項目一覧.txt";

ItemTable table(QList<Item> items)
{
    ItemTable t;
    t.replaceAll(std::move(items));
    return t;
}

ItemTable loaded()
{
    ItemTable t;
    const IoStatus s = ItemList::load(t);
    return s.ok() ? t : table({{"<load failed>", 0}});
}

QByteArray records(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "\"item" + QByteArray::number(i) + "\"," + QByteArray::number(i) + "\r\n";
    return bytes;
}

} // namespace

class TestItemList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesTheExampleBytes();
    void roundTrips_data();
    void roundTrips();
    void leavesOutOnePosition();
    void findsTheListWhateverItsLetterCase();
    void handEditedFiles_data();
    void handEditedFiles();
    void failedWritesKeepTheOldList();
};

void TestItemList::writesTheExampleBytes()
{
    ScratchDir dir;
    QVERIFY(ItemList::save(table({{"腹筋", 20}, {"スクワット", 15}})).ok());
    QCOMPARE(ScratchDir::read(kList),
             hex("22 95 A0 8B D8 22 2C 32 30 0D 0A"
                 "22 83 58 83 4E 83 8F 83 62 83 67 22 2C 31 35 0D 0A"));
    // A typed target is appended as typed; a whole one as the save would write it.
    QFile::remove(kList);
    QVERIFY(ItemList::append("腹筋", 10.5).ok());
    QCOMPARE(ScratchDir::read(kList), hex("22 95 A0 8B D8 22 2C 31 30 2E 35 0D 0A"));
    QVERIFY(ItemList::append("腹筋", 10).ok());
    QCOMPARE(loaded().target(1), qint16(10)); // 10.5, half to even
    const QByteArray appended = ScratchDir::read(kList);
    QVERIFY(ItemList::save(loaded()).ok());
    QCOMPARE(ScratchDir::read(kList), appended.mid(13).repeated(2));
    // Bytes that are not code page 932 survive a rewrite.
    const QByteArray stray = hex("22 41 FF 42 22 2C 33 0D 0A 22 95 A0 8B D8 22 2C 31 0D 0A");
    ScratchDir::write(kList, stray);
    QVERIFY(ItemList::save(loaded()).ok());
    QCOMPARE(ScratchDir::read(kList), stray);
}

void TestItemList::roundTrips_data()
{
    QTest::addColumn<QList<Item>>("items");
    QTest::newRow("comma in name") << QList<Item> {{"腕立て,速め", 12}};
    QTest::newRow("blanks around name") << QList<Item> {{"  腹筋 ", 5}};
    QTest::newRow("same name twice") << QList<Item> {{"腹筋", 5}, {"腹筋", 7}};
    QTest::newRow("bounds") << QList<Item> {{"a", -32768}, {"b", 32767}, {"c", 0}, {"d", -3}};
}

void TestItemList::roundTrips()
{
    QFETCH(QList<Item>, items);
    ScratchDir dir;
    ScratchDir::write(kList, "\"old\",1\r\n");
    QVERIFY(ItemList::save(table(items)).ok());
    const ItemTable back = loaded();
    QCOMPARE(back.count(), qint16(items.size()));
    for (int k = 1; k <= back.count(); ++k) {
        QCOMPARE(back.name(k), items[k - 1].name);
        QCOMPARE(back.target(k), items[k - 1].target);
    }
}

void TestItemList::leavesOutOnePosition()
{
    ScratchDir dir;
    QVERIFY(ItemList::save(table({{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}}), 3).ok());
    QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",1\r\n\"b\",2\r\n\"d\",4\r\n\"e\",5\r\n"));
    QCOMPARE(loaded().name(3), QString("d"));
    QVERIFY(ItemList::save(table({{"only", 1}}), 1).ok());
    QCOMPARE(ScratchDir::read(kList), QByteArray());
}

void TestItemList::findsTheListWhateverItsLetterCase()
{
    ScratchDir dir;
    ItemTable t = table({{"stale", 1}});
    QVERIFY(ItemList::load(t).ok()); // no file: no items, and nothing created
    QVERIFY(t.isEmpty() && ScratchDir::entries().isEmpty());
    QVERIFY(ItemList::append("a", 1).ok());
    QCOMPARE(ScratchDir::entries(), QStringList {kList});

    QFile::rename(kList, "項目一覧.TXT");
    QVERIFY(ItemList::append("b", 2).ok());
    QVERIFY(ItemList::save(loaded()).ok());
    QCOMPARE(ScratchDir::entries(), QStringList {"項目一覧.TXT"});
    QCOMPARE(ScratchDir::read("項目一覧.TXT"), QByteArray("\"a\",1\r\n\"b\",2\r\n"));
}

void TestItemList::handEditedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("items"); // name:target, joined by |
    QTest::newRow("blank lines") << QByteArray("\r\n\"a\",1\r\n\r\n  \r\n\"b\",2\r\n") << "a:1|b:2";
    QTest::newRow("one and three fields") << QByteArray("\"a\"\r\n\"b\",2,9\r\n") << "a:0|b:2";
    QTest::newRow("not a number") << QByteArray("\"a\",xyz\r\n") << "a:0";
    QTest::newRow("out of range") << QByteArray("\"a\",40000\r\n\"b\",-40000\r\n")
                                  << "a:32767|b:-32768";
    QTest::newRow("fractions") << QByteArray("\"a\",2.5\r\n\"b\",3.5\r\n") << "a:2|b:4";
    QTest::newRow("LF only, no final end") << QByteArray("\"a\",1\n\"b\",2") << "a:1|b:2";
    QTest::newRow("unquoted; after quote") << QByteArray(" a b ,3\r\n\"c\"x,4\r\n") << "a b :3|c:4";
    QTest::newRow("unclosed quote") << QByteArray("\"a,3\r\n\"b\",2\r\n") << "a,3:0|b:2";
    QTest::newRow("NUL byte") << QByteArray("\"a\0b\",1\r\n", 9)
                              << QString::fromLatin1("a\0b:1", 5);
    QStringList many;
    for (int i = 1; i <= 25; ++i)
        many << QString("item%1:%1").arg(i);
    QTest::newRow("25 records") << records(25) << many.join('|');
}

void TestItemList::handEditedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, items);
    ScratchDir dir;
    ScratchDir::write(kList, bytes);
    QStringList got;
    const ItemTable t = loaded();
    for (const Item &item : t.items())
        got << item.name + ':' + QString::number(item.target);
    QCOMPARE(got.join('|'), items);
}

void TestItemList::failedWritesKeepTheOldList()
{
    ScratchDir dir;
    const QByteArray old("\"a\",1\r\n");
    ScratchDir::write(kList, old);
    const ItemTable big = [] {
        ItemTable t;
        t.replaceAll(QList<Item>(200, Item {"name", 1}));
        return t;
    }();
    // A file size limit makes the write fail part way, as a full disk would.
    rlimit old_limit {}, limit {};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    limit = old_limit;
    limit.rlim_cur = 64;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    const IoStatus s = ItemList::save(big);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    QVERIFY(!s.ok());
    QCOMPARE(s.fileName(), kList);
    QCOMPARE(ScratchDir::read(kList), old);
    QCOMPARE(ScratchDir::entries(), QStringList {kList}); // no temporary file left behind

    const IoStatus emoji = ItemList::save(table({{"😀", 1}}));
    QVERIFY(!emoji.ok() && emoji.reason().contains("😀"));
    QVERIFY(!ItemList::append("𠮷", 1).ok());
    QCOMPARE(ScratchDir::read(kList), old);

    QFile::remove(kList);
    QVERIFY(QFile::link("/dev/full", kList));
    QVERIFY(!ItemList::save(big).ok());
    QVERIFY(!ItemList::append("x", 1).ok());
}

QTEST_GUILESS_MAIN(TestItemList)
#include "tst_itemlist.moc"
