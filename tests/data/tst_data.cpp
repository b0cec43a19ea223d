#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "namecheck.h"
#include "numeric.h"
#include "scratchdir.h"

#include <QTest>
#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(NameProblem)

const QString kList = "項目一覧.txt";

// A table taken as read from the item list file as it is now, so that it may be written over it.
static ItemTable table(const QList<Item> &items)
{
    ItemTable t;
    t.replaceAll(items);
    t.setFileBytes(ScratchDir::exists(kList) ? ScratchDir::read(kList) : QByteArray());
    return t;
}

class TestData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemListWritesCodePage932()
    {
        ScratchDir dir;
        QVERIFY(ItemList::save(table({{"腹筋", 20}, {"スクワット", 15}})).ok());
        // clang-format off
        QCOMPARE(ScratchDir::read(kList), hex("22 95 A0 8B D8 22 2C 32 30 0D 0A 22 83 58 83 4E 83 8F 83 62 83 67 22 2C 31 35 0D 0A"));
        QVERIFY(ItemList::append("腹筋", 10.5).ok()); // a typed target is kept as typed
        QCOMPARE(ScratchDir::read(kList).mid(28), hex("22 95 A0 8B D8 22 2C 31 30 2E 35 0D 0A"));
        // clang-format on
        QVERIFY(ItemList::save(table({{"a", 1}, {"b", 2}, {"c", 3}}), 2).ok());
        QCOMPARE(ScratchDir::read(kList), "\"a\",1\r\n\"c\",3\r\n"); // deleting the second
    }

    void itemListReads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("targets");
        // clang-format off
        QTest::newRow("blank lines are skipped") << QByteArray("\r\n\"a\",1\r\n \r\n\"b\",2\r\n") << QStringList {"a", "b"} << QList {1, 2};
        QTest::newRow("no target is 0, a third field is ignored") << QByteArray("\"a\"\r\n\"b\",2,9\r\n") << QStringList {"a", "b"} << QList {0, 2};
        QTest::newRow("targets are clamped to 16 bits") << QByteArray("\"a\",40000\r\n\"b\",-40000\r\n") << QStringList {"a", "b"} << QList {32767, -32768};
        QTest::newRow("half targets go to the even neighbour") << QByteArray("\"a\",2.5\r\n\"b\",3.5\r\n") << QStringList {"a", "b"} << QList {2, 4};
        QTest::newRow("LF line ends, none at the end") << QByteArray("\"a\",1\n\"b\",2") << QStringList {"a", "b"} << QList {1, 2};
        QTest::newRow("a quoted comma and blanks are kept") << QByteArray("\" a,b \",1\r\n") << QStringList {" a,b "} << QList {1};
        QTest::newRow("an unclosed quote takes the line") << QByteArray("\"a,3\r\n\"b\",2\r\n") << QStringList {"a,3", "b"} << QList {0, 2};
        // clang-format on
    }
    void itemListReads()
    {
        QFETCH(QByteArray, bytes);
        ScratchDir dir;
        ScratchDir::write(kList, bytes);
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        QStringList names;
        QList<int> targets;
        for (const Item &item : t.items())
            names << item.name, targets << item.target;
        QTEST(names, "names");
        QTEST(targets, "targets");
    }

    // A list brought from Windows, with a byte that is no code page 932: rewritten in place.
    void itemListRewriteKeepsNameAndBytes()
    {
        ScratchDir dir;
        const QByteArray stray = hex("22 41 FF 42 22 2C 33 0D 0A 22 95 A0 8B D8 22 2C 31 0D 0A");
        ScratchDir::write("項目一覧.TXT", stray);
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        QVERIFY(ItemList::save(t).ok());
        QCOMPARE(ScratchDir::entries(), QStringList {"項目一覧.TXT"});
        QCOMPARE(ScratchDir::read("項目一覧.TXT"), stray);
    }

    void failedSavesKeepTheOldList()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",1\r\n");
        // A file size limit makes the write fail part way, as a full disk would.
        rlimit saved {}, limit {64, RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        prlimit(0, RLIMIT_FSIZE, &limit, &saved);
        const IoStatus full = ItemList::save(table(QList<Item>(200, Item {"name", 1})));
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(full.ok(), false);
        QCOMPARE(full.fileName(), kList);
        const IoStatus emoji = ItemList::save(table({{"😀", 1}}));
        QVERIFY(emoji.reason().contains("😀"));
        QCOMPARE(ItemList::append("𠮷", 1).ok(), false);
        QCOMPARE(ScratchDir::entries(), QStringList {kList}); // no temporary file left behind
        QCOMPARE(ScratchDir::read(kList), "\"a\",1\r\n");
    }

    void historyRecords()
    {
        ScratchDir dir;
        FakeClock clock; // 31 December, 07:05:09
        QVERIFY(History::appendSetRecord("腹筋", 25, clock).ok());
        // clang-format off
        QCOMPARE(ScratchDir::read("腹筋.txt"), hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 62 22 2C 32 35 0D 0A"));
        // clang-format on
        // Date and time are two readings, date first: midnight may pass between them.
        clock.now = QDateTime(QDate(2026, 5, 9), QTime(23, 59, 59, 999));
        clock.msAfterDateReading = 2;
        QVERIFY(History::appendSetRecord("a", 1, clock).ok());
        QCOMPARE(History::read("a").records.value(0).date, "05月09日");
        QCOMPARE(History::read("a").records.value(0).time, "00時00分00秒");
        ScratchDir::write("b.txt",
                          "\"d\",\"t\",12abc\r\n\r\n\"d\",\"t\"\r\n\"d\",\"t\", 2.50,x\r\n");
        QStringList counts; // as written, whatever they hold
        for (const History::Record &r : History::read("b").records)
            counts << r.count;
        QCOMPARE(counts, (QStringList {"12abc", "", "2.50"}));
    }

    // A directory, a name that leads elsewhere or onto the item list: every operation refuses.
    void historyRefusesUnsafeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("a file in a subfolder") << "sub/x";
        QTest::newRow("the parent folder") << "../x";
        QTest::newRow("the item list") << "項目一覧";
    }
    void historyRefusesUnsafeNames()
    {
        QFETCH(QString, name);
        ScratchDir dir;
        ScratchDir::write("x.txt", "keep");
        QVERIFY(QDir().mkdir("w") && QDir::setCurrent("w")); // ../x stays in the scratch folder
        QVERIFY(QDir().mkdir("dir.txt") && QDir().mkdir("sub"));
        ScratchDir::write("sub/x.txt", "keep");
        ScratchDir::write(kList, "keep");
        QCOMPARE(History::appendSetRecord(name, 1, FakeClock()).ok(), false);
        QCOMPARE(History::clear(name).ok(), false);
        QCOMPARE(History::ensure(name).ok(), false);
        QCOMPARE(History::read(name).status.ok(), false);
        History::remove(name);
        QCOMPARE(ScratchDir::entries(), (QStringList {"dir.txt", "sub", kList}));
        for (const char *kept : {"sub/x.txt", "../x.txt", "項目一覧.txt"})
            QCOMPARE(ScratchDir::read(kept), "keep");
    }

    void runningTotal_data()
    {
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<double>("total");
        QTest::newRow("made whole after each record") << QStringList {"2.5", "2.5"} << 4.0;
        QTest::newRow("text counts as its leading number") << QStringList {"abc", "12abc"} << 12.0;
        QTest::newRow("held at 1e15") << QStringList {"99999999999999999", "-1"} << 1e15 - 1;
    }
    void runningTotal()
    {
        QFETCH(QStringList, counts);
        double total = 0;
        for (const QString &count : counts)
            total = History::addToTotal(total, count);
        QTEST(total, "total");
    }

    void valueOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("digits then text") << "12abc" << 12.0;
        QTest::newRow("text then digits") << "abc12" << 0.0;
        QTest::newRow("leading blanks and a sign") << "  -3" << -3.0;
        QTest::newRow("no digit before the period") << ".5" << 0.5;
        QTest::newRow("no exponent") << "1e3" << 1.0;
        QTest::newRow("a blank after the sign") << "- 3" << 0.0;
        QTest::newRow("a second period") << "1.2.3" << 1.2;
    }
    void valueOf()
    {
        QFETCH(QString, text);
        QTEST(Numeric::valueOf(text), "value");
    }

    void format_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 25.0 << "25";
        QTest::newRow("minus zero") << -0.0 << "0";
        QTest::newRow("a fraction") << 2.5 << "2.5";
        QTest::newRow("no exponent form") << 1e21 << "1000000000000000000000";
    }
    void format()
    {
        QFETCH(double, value);
        QTEST(Numeric::format(value), "text");
        QCOMPARE(Numeric::valueOf(Numeric::format(value)), value);
    }

    void nameCheck_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<NameProblem>("problem");
        QTest::newRow("blanks and a comma") << " 腕立て,速め " << NameProblem::None;
        QTest::newRow("empty") << "" << NameProblem::Empty;
        QTest::newRow("slash") << "a/b" << NameProblem::PathSeparator;
        QTest::newRow("backslash") << "..\\x" << NameProblem::PathSeparator;
        for (QChar c : QString(":*?\"<>|"))
            QTest::newRow(qPrintable("forbidden " + QString(c)))
                << "a" + QString(c) << NameProblem::ForbiddenCharacter;
        QTest::newRow("tab") << "a\tb" << NameProblem::ControlCharacter;
        QTest::newRow("next line") << "a\u0085" << NameProblem::ControlCharacter;
        QTest::newRow("dot") << "." << NameProblem::DotName;
        QTest::newRow("the item list") << "項目一覧" << NameProblem::ItemListName;
        QTest::newRow("emoji") << "腹筋😀" << NameProblem::NotInCodePage;
        QTest::newRow("251 bytes") << QString(251, u'a') << NameProblem::None;
        QTest::newRow("252 bytes") << QString(252, u'a') << NameProblem::TooLong;
        // Two bytes each in code page 932, but three on a UTF-8 file system.
        QTest::newRow("83 kanji") << QString(83, u'腹') << NameProblem::None;
        QTest::newRow("84 kanji") << QString(84, u'腹') << NameProblem::TooLong;
    }
    void nameCheck()
    {
        QFETCH(QString, name);
        QTEST(checkItemName(name), "problem");
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
