#include "itemlist.h"
#include "scratchdir.h"

#include <QFile>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

const QString kList = QStringLiteral("項目一覧.txt");

ItemTable table(std::initializer_list<Item> items)
{
    ItemTable t;
    t.replaceAll(QList<Item>(items));
    return t;
}

ItemTable loaded()
{
    ItemTable t;
    const IoStatus s = ItemList::load(t);
    if (!s.ok())
        qWarning("load failed: %s", qPrintable(s.reason()));
    return t;
}

// Lowers the file size limit, so that writes past it fail as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = m_old;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old {};
};

} // namespace

class TestItemList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesTheExampleBytes();
    void appendWritesTypedTargets();
    void appendAndSaveAgreeOnWholeTargets();
    void roundTrips_data();
    void roundTrips();
    void leavesOutOnePosition();
    void savesNoItemsAsEmptyFile();
    void findsUpperCaseFileName();
    void missingFileIsEmptyAndCreatesNothing();
    void handEditedFiles_data();
    void handEditedFiles();
    void loadsMoreThanTwentyRecords();
    void strayBytesInNamesSurviveASave();
    void fullDiskKeepsOldList();
    void refusesNamesOutsideCodePage();
};

void TestItemList::writesTheExampleBytes()
{
    ScratchDir dir;
    QVERIFY(
        ItemList::save(table({{QStringLiteral("腹筋"), 20}, {QStringLiteral("スクワット"), 15}}))
            .ok());
    QCOMPARE(ScratchDir::read(kList),
             hex("22 95 A0 8B D8 22 2C 32 30 0D 0A"
                 "22 83 58 83 4E 83 8F 83 62 83 67 22 2C 31 35 0D 0A"));
    QCOMPARE(ScratchDir::read(kList).size(), 28);
}

void TestItemList::appendWritesTypedTargets()
{
    ScratchDir dir;
    QVERIFY(!ScratchDir::exists(kList));
    QVERIFY(ItemList::append(QStringLiteral("腹筋"), 10.5).ok());
    QCOMPARE(ScratchDir::read(kList), hex("22 95 A0 8B D8 22 2C 31 30 2E 35 0D 0A"));
    QVERIFY(ItemList::append(QStringLiteral("x"), 40000).ok());
    QCOMPARE(ScratchDir::read(kList).mid(13), QByteArray("\"x\",40000\r\n"));

    const ItemTable t = loaded();
    QCOMPARE(t.count(), qint16(2));
    QCOMPARE(t.target(1), qint16(10)); // half to even
    QCOMPARE(t.target(2), qint16(32767)); // clamped
}

void TestItemList::appendAndSaveAgreeOnWholeTargets()
{
    ScratchDir dir;
    QVERIFY(ItemList::append(QStringLiteral("腹筋"), 10).ok());
    const QByteArray appended = ScratchDir::read(kList);
    QVERIFY(ItemList::save(loaded()).ok());
    QCOMPARE(ScratchDir::read(kList), appended);
}

void TestItemList::roundTrips_data()
{
    QTest::addColumn<QList<Item>>("items");
    QTest::newRow("comma in name") << QList<Item> {{QStringLiteral("腕立て,速め"), 12}};
    QTest::newRow("blanks around name") << QList<Item> {{QStringLiteral("  腹筋 "), 5}};
    QTest::newRow("same name twice")
        << QList<Item> {{QStringLiteral("腹筋"), 5}, {QStringLiteral("腹筋"), 7}};
    QTest::newRow("bounds") << QList<Item> {{QStringLiteral("a"), -32768},
                                            {QStringLiteral("b"), 32767},
                                            {QStringLiteral("c"), 0},
                                            {QStringLiteral("d"), -3}};
    QTest::newRow("wave dash") << QList<Item> {{QStringLiteral("～"), 1}};
}

void TestItemList::roundTrips()
{
    QFETCH(QList<Item>, items);
    ScratchDir dir;
    ItemTable t;
    t.replaceAll(items);
    QVERIFY(ItemList::save(t).ok());
    const ItemTable back = loaded();
    QCOMPARE(back.count(), t.count());
    for (int k = 1; k <= t.count(); ++k) {
        QCOMPARE(back.name(k), t.name(k));
        QCOMPARE(back.target(k), t.target(k));
    }
}

void TestItemList::leavesOutOnePosition()
{
    ScratchDir dir;
    const ItemTable five = table({{QStringLiteral("a"), 1},
                                  {QStringLiteral("b"), 2},
                                  {QStringLiteral("c"), 3},
                                  {QStringLiteral("d"), 4},
                                  {QStringLiteral("e"), 5}});
    QVERIFY(ItemList::save(five, 3).ok());
    QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",1\r\n\"b\",2\r\n\"d\",4\r\n\"e\",5\r\n"));
    const ItemTable four = loaded();
    QCOMPARE(four.count(), qint16(4));
    QCOMPARE(four.name(3), QStringLiteral("d"));
    QCOMPARE(four.name(4), QStringLiteral("e"));

    QVERIFY(ItemList::save(table({{QStringLiteral("only"), 1}}), 1).ok());
    QCOMPARE(ScratchDir::read(kList), QByteArray());
}

void TestItemList::savesNoItemsAsEmptyFile()
{
    ScratchDir dir;
    ScratchDir::write(kList, "\"a\",1\r\n");
    QVERIFY(ItemList::save(ItemTable()).ok());
    QCOMPARE(ScratchDir::read(kList), QByteArray());
    QVERIFY(loaded().isEmpty());
}

void TestItemList::findsUpperCaseFileName()
{
    ScratchDir dir;
    const QString upper = QStringLiteral("項目一覧.TXT");
    ScratchDir::write(upper, "\"a\",1\r\n");
    QCOMPARE(loaded().name(1), QStringLiteral("a"));
    QVERIFY(ItemList::append(QStringLiteral("b"), 2).ok());
    QVERIFY(ItemList::save(loaded()).ok());
    // Both writes went to the one existing file, which keeps its name.
    QCOMPARE(ScratchDir::entries(), QStringList {upper});
    QCOMPARE(ScratchDir::read(upper), QByteArray("\"a\",1\r\n\"b\",2\r\n"));
}

void TestItemList::missingFileIsEmptyAndCreatesNothing()
{
    ScratchDir dir;
    ItemTable t = table({{QStringLiteral("old"), 1}});
    QVERIFY(ItemList::load(t).ok());
    QVERIFY(t.isEmpty());
    QVERIFY(ScratchDir::entries().isEmpty());
}

void TestItemList::handEditedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<qint16>>("targets");
    QTest::newRow("blank lines") << QByteArray("\r\n\"a\",1\r\n\r\n  \r\n\"b\",2\r\n\r\n")
                                 << QStringList {"a", "b"} << QList<qint16> {1, 2};
    QTest::newRow("one-field record")
        << QByteArray("\"a\"\r\n\"b\",2\r\n") << QStringList {"a", "b"} << QList<qint16> {0, 2};
    QTest::newRow("three-field record")
        << QByteArray("\"a\",1,9\r\n\"b\",2\r\n") << QStringList {"a", "b"} << QList<qint16> {1, 2};
    QTest::newRow("target not a number")
        << QByteArray("\"a\",xyz\r\n") << QStringList {"a"} << QList<qint16> {0};
    QTest::newRow("out of range") << QByteArray("\"a\",40000\r\n\"b\",-40000\r\n")
                                  << QStringList {"a", "b"} << QList<qint16> {32767, -32768};
    QTest::newRow("fractions half to even") << QByteArray("\"a\",2.5\r\n\"b\",3.5\r\n")
                                            << QStringList {"a", "b"} << QList<qint16> {2, 4};
    QTest::newRow("no final line end")
        << QByteArray("\"a\",1\r\n\"b\",2") << QStringList {"a", "b"} << QList<qint16> {1, 2};
    QTest::newRow("lone LF line ends")
        << QByteArray("\"a\",1\n\"b\",2\n") << QStringList {"a", "b"} << QList<qint16> {1, 2};
    QTest::newRow("unquoted name")
        << QByteArray(" a b ,3\r\n") << QStringList {"a b "} << QList<qint16> {3};
    QTest::newRow("text after closing quote")
        << QByteArray("\"a\"x,3\r\n") << QStringList {"a"} << QList<qint16> {3};
    QTest::newRow("unclosed quote stays on its line")
        << QByteArray("\"a,3\r\n\"b\",2\r\n") << QStringList {"a,3", "b"} << QList<qint16> {0, 2};
    QTest::newRow("NUL byte") << QByteArray("\"a\0b\",1\r\n\"c\",2\r\n", 16)
                              << QStringList {QString::fromLatin1("a\0b", 3), "c"}
                              << QList<qint16> {1, 2};
}

void TestItemList::handEditedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QList<qint16>, targets);
    ScratchDir dir;
    ScratchDir::write(kList, bytes);
    const ItemTable t = loaded();
    QCOMPARE(t.count(), qint16(names.size()));
    for (int k = 1; k <= t.count(); ++k) {
        QCOMPARE(t.name(k), names.at(k - 1));
        QCOMPARE(t.target(k), targets.at(k - 1));
    }
}

void TestItemList::loadsMoreThanTwentyRecords()
{
    ScratchDir dir;
    QByteArray bytes;
    for (int i = 1; i <= 25; ++i)
        bytes += "\"item" + QByteArray::number(i) + "\"," + QByteArray::number(i) + "\r\n";
    ScratchDir::write(kList, bytes);
    const ItemTable t = loaded();
    QCOMPARE(t.count(), qint16(25));
    QCOMPARE(t.name(25), QStringLiteral("item25"));
    QVERIFY(ItemList::save(t).ok());
    QCOMPARE(ScratchDir::read(kList), bytes);
}

void TestItemList::strayBytesInNamesSurviveASave()
{
    ScratchDir dir;
    const QByteArray bytes = hex("22 41 FF 42 22 2C 33 0D 0A 22 95 A0 8B D8 22 2C 31 0D 0A");
    ScratchDir::write(kList, bytes);
    const ItemTable t = loaded();
    QCOMPARE(t.count(), qint16(2));
    QCOMPARE(t.name(2), QStringLiteral("腹筋"));
    QVERIFY(ItemList::save(t).ok());
    QCOMPARE(ScratchDir::read(kList), bytes);
}

void TestItemList::fullDiskKeepsOldList()
{
    ScratchDir dir;
    const QByteArray old("\"a\",1\r\n");
    ScratchDir::write(kList, old);
    ItemTable big;
    QList<Item> items;
    for (int i = 0; i < 200; ++i)
        items.append({QStringLiteral("name%1").arg(i), qint16(i)});
    big.replaceAll(items);
    {
        FileSizeLimit limit(64);
        const IoStatus s = ItemList::save(big);
        QVERIFY(!s.ok());
        QCOMPARE(s.fileName(), kList);
    }
    QCOMPARE(ScratchDir::read(kList), old);
    QCOMPARE(ScratchDir::entries(), QStringList {kList}); // no temporary file left behind

    QVERIFY(QFile::link(QStringLiteral("/dev/full"), QStringLiteral("dev-full")));
    QFile::remove(kList);
    QVERIFY(QFile::link(QStringLiteral("dev-full"), kList));
    QVERIFY(!ItemList::save(big).ok());
    QVERIFY(!ItemList::append(QStringLiteral("x"), 1).ok());
}

void TestItemList::refusesNamesOutsideCodePage()
{
    ScratchDir dir;
    ScratchDir::write(kList, "\"a\",1\r\n");
    const IoStatus s = ItemList::save(table({{QStringLiteral("😀"), 1}}));
    QVERIFY(!s.ok());
    QVERIFY(s.reason().contains(QStringLiteral("😀")));
    QVERIFY(!ItemList::append(QStringLiteral("𠮷"), 1).ok());
    QCOMPARE(ScratchDir::read(kList), QByteArray("\"a\",1\r\n"));
}

QTEST_GUILESS_MAIN(TestItemList)
#include "tst_itemlist.moc"
