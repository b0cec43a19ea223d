#include "codepage932.h"
#include "eventpump.h"
#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "namecheck.h"
#include "numeric.h"
#include "randomsource.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(NameProblem)

namespace {

const QString kList = "項目一覧.txt";

ItemTable table(QList<Item> items)
{
    ItemTable t;
    t.replaceAll(std::move(items));
    return t;
}

// The item list as loaded, written "name:target|name:target".
QString listed()
{
    ItemTable t;
    if (!ItemList::load(t).ok())
        return "<load failed>";
    QStringList out;
    for (const Item &item : t.items())
        out << item.name + ':' + QString::number(item.target);
    return out.join('|');
}

QStringList counts(const QString &name)
{
    QStringList out;
    for (const History::Record &r : History::read(name).records)
        out << r.count;
    return out;
}

} // namespace

class TestData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemListBytes()
    {
        ScratchDir dir;
        QVERIFY(ItemList::save(table({{"腹筋", 20}, {"スクワット", 15}})).ok());
        // clang-format off
        QCOMPARE(ScratchDir::read(kList), hex("22 95 A0 8B D8 22 2C 32 30 0D 0A 22 83 58 83 4E 83 8F 83 62 83 67 22 2C 31 35 0D 0A"));
        // Typed targets are appended as typed; a whole one exactly as a save writes it.
        QFile::remove(kList);
        QVERIFY(ItemList::append("腹筋", 10.5).ok() && ItemList::append("腹筋", 10).ok());
        QCOMPARE(ScratchDir::read(kList), hex("22 95 A0 8B D8 22 2C 31 30 2E 35 0D 0A 22 95 A0 8B D8 22 2C 31 30 0D 0A"));
        // clang-format on
        QVERIFY(ItemList::save(table({{"腹筋", 10}}), std::nullopt).ok());
        QCOMPARE(ScratchDir::read(kList), hex("22 95 A0 8B D8 22 2C 31 30 0D 0A"));
        QVERIFY(ItemList::save(table({{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}}), 3).ok());
        QCOMPARE(listed(), QString("a:1|b:2|d:4|e:5"));
        QVERIFY(ItemList::save(table({{"only", 1}}), 1).ok());
        QCOMPARE(ScratchDir::read(kList), QByteArray());
        // Bytes that are not code page 932 survive a load and a save unchanged.
        const QByteArray stray = hex("22 41 FF 42 22 2C 33 0D 0A 22 95 A0 8B D8 22 2C 31 0D 0A");
        ScratchDir::write(kList, stray);
        ItemTable t;
        QVERIFY(ItemList::load(t).ok() && ItemList::save(t).ok());
        QCOMPARE(ScratchDir::read(kList), stray);
    }

    void itemListFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("items");
        // clang-format off
        QTest::newRow("blank lines") << QByteArray("\r\n\"a\",1\r\n\r\n  \r\n\"b\",2\r\n") << "a:1|b:2";
        QTest::newRow("one and three fields") << QByteArray("\"a\"\r\n\"b\",2,9\r\n") << "a:0|b:2";
        QTest::newRow("not a number") << QByteArray("\"a\",xyz\r\n") << "a:0";
        QTest::newRow("out of range") << QByteArray("\"a\",40000\r\n\"b\",-40000\r\n") << "a:32767|b:-32768";
        QTest::newRow("fractions") << QByteArray("\"a\",2.5\r\n\"b\",3.5\r\n") << "a:2|b:4";
        QTest::newRow("LF only, no final end") << QByteArray("\"a\",1\n\"b\",2") << "a:1|b:2";
        QTest::newRow("comma, blanks, twice") << QByteArray("\" a,b \",1\r\n\" a,b \",2\r\n") << " a,b :1| a,b :2";
        QTest::newRow("unquoted; after quote") << QByteArray(" a b ,3\r\n\"c\"x,4\r\n") << "a b :3|c:4";
        QTest::newRow("unclosed quote") << QByteArray("\"a,3\r\n\"b\",2\r\n") << "a,3:0|b:2";
        QTest::newRow("NUL byte") << QByteArray("\"a\0b\",1\r\n", 9) << QString::fromLatin1("a\0b:1", 5);
        // clang-format on
        QStringList many, manyItems;
        for (int i = 1; i <= 25; ++i)
            many << QString("\"i%1\",%1\r\n").arg(i), manyItems << QString("i%1:%1").arg(i);
        QTest::newRow("25 records") << many.join("").toLatin1() << manyItems.join('|');
        QTest::newRow("no file") << QByteArray() << "";
    }

    void itemListFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, items);
        ScratchDir dir;
        if (!bytes.isEmpty())
            ScratchDir::write("項目一覧.TXT", bytes); // found whatever its letter case
        QCOMPARE(listed(), items);
        QCOMPARE(ScratchDir::entries().size(), bytes.isEmpty() ? 0 : 1); // loading creates nothing
        // Saving what was loaded keeps the name and reads back the same.
        ItemTable t;
        QVERIFY(ItemList::load(t).ok() && ItemList::save(t).ok() && ItemList::append("x", 1).ok());
        QCOMPARE(listed(), items.isEmpty() ? QString("x:1") : items + "|x:1");
        QCOMPARE(ScratchDir::entries(), QStringList {bytes.isEmpty() ? kList : "項目一覧.TXT"});
    }

    void failedSavesKeepTheOldList()
    {
        ScratchDir dir;
        const QByteArray old("\"a\",1\r\n");
        ScratchDir::write(kList, old);
        const ItemTable big = table(QList<Item>(200, Item {"name", 1}));
        // A file size limit makes the write fail part way, as a full disk would.
        rlimit saved {}, limit {};
        getrlimit(RLIMIT_FSIZE, &saved);
        limit = saved;
        limit.rlim_cur = 64;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const IoStatus s = ItemList::save(big);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!s.ok());
        QCOMPARE(s.fileName(), kList);
        const IoStatus emoji = ItemList::save(table({{"😀", 1}}));
        QVERIFY(!emoji.ok() && emoji.reason().contains("😀") && !ItemList::append("𠮷", 1).ok());
        QCOMPARE(ScratchDir::read(kList), old);
        QCOMPARE(ScratchDir::entries(), QStringList {kList}); // no temporary file left behind
        QFile::remove(kList);
        QVERIFY(QFile::link("/dev/full", kList));
        QVERIFY(!ItemList::save(big).ok() && !ItemList::append("x", 1).ok());
    }

    void historyRecords()
    {
        ScratchDir dir;
        FakeClock clock; // 31 December, 07:05:09
        QVERIFY(History::appendSetRecord("腹筋", 25, clock).ok());
        // clang-format off
        QCOMPARE(ScratchDir::read("腹筋.txt"), hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 62 22 2C 32 35 0D 0A"));
        // clang-format on
        for (double count : {0.0, 2.5, -3.0, 0.5})
            QVERIFY(History::appendSetRecord("腹筋", count, clock).ok());
        QCOMPARE(counts("腹筋"), (QStringList {"25", "0", "2.5", "-3", "0.5"}));
        // Date and time are two readings: midnight may pass between them.
        clock.now = QDateTime(QDate(2026, 5, 9), QTime(23, 59, 59, 999));
        clock.msAfterDateReading = 2;
        QVERIFY(History::appendSetRecord("a", 1, clock).ok());
        const History::Record r = History::read("a").records.value(0);
        QCOMPARE(r.date + r.time, QString("05月09日00時00分00秒"));

        ScratchDir::write("b.txt",
                          "\"01\x8c\x8e\",\"t1\",12abc\r\n\r\n\"d2\",\"t2\"\r\n"
                          "\"d3\",\"t3\", 2.50,extra\r\n\"d4\",\"t4\",7");
        QCOMPARE(History::read("b").records.value(0).date, QString("01月"));
        QCOMPARE(counts("b"), (QStringList {"12abc", "", "2.50", "7"}));
    }

    void historyFilesAndFailures()
    {
        ScratchDir dir;
        FakeClock clock;
        ScratchDir::write("old.txt", "\"d\",\"t\",3\r\n");
        QVERIFY(History::read("none").status.ok() && counts("none").isEmpty()); // creates nothing
        QVERIFY(History::ensure("new").ok() && History::ensure("old").ok());
        QCOMPARE(counts("old"), QStringList {"3"});
        QVERIFY(History::clear("old").ok() && History::clear("gone").ok());
        for (const char *emptied : {"new.txt", "old.txt", "gone.txt"})
            QCOMPARE(ScratchDir::read(emptied), "");
        // Names are taken literally, never as patterns; a missing file is no error.
        ScratchDir::write("a*.txt", "x");
        for (const char *name : {"nothing", "a?", "*", "a*"})
            History::remove(name);
        QCOMPARE(ScratchDir::entries(), (QStringList {"gone.txt", "new.txt", "old.txt"}));

        QVERIFY(QFile::link("/dev/full", "full.txt") && QDir().mkdir("dir.txt")
                && QDir().mkdir("sub"));
        const IoStatus s = History::appendSetRecord("full", 1, clock);
        QVERIFY(!s.ok() && s.fileName() == "full.txt" && !History::read("dir").status.ok());
        ScratchDir::write("sub/x.txt", "keep");
        ScratchDir::write(kList, "\"a\",1\r\n");
        // A directory, a name that leads elsewhere or onto the item list: every operation refuses.
        for (const char *name : {"dir", "sub/x", "sub\\x", "../x", "項目一覧"}) {
            QVERIFY(!History::appendSetRecord(name, 1, clock).ok());
            QVERIFY(!History::clear(name).ok() && !History::ensure(name).ok());
            History::remove(name);
        }
        QVERIFY(QFileInfo("dir.txt").isDir());
        QCOMPARE(ScratchDir::read("sub/x.txt") + ScratchDir::read(kList), "keep\"a\",1\r\n");
    }

    void codePage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qsizetype>>("bad");
        using Bad = QList<qsizetype>;
        const QChar c81(0xDC81), cEE(0xDCEE);
        // clang-format off
        QTest::newRow("wave dash") << hex("81 60") << QString(QChar(0xFF5E)) << Bad {};
        QTest::newRow("kanji, kana") << hex("95 A0 8B D8 83 58 B1") << "腹筋スｱ" << Bad {};
        QTest::newRow("stray byte") << hex("41 FF 42") << QString("A") + QChar(0xDCFF) + "B" << Bad {1};
        QTest::newRow("lead byte at end") << hex("81 81 81") << QString("＝") + c81 << Bad {2};
        QTest::newRow("unassigned pair") << hex("EC 74") << QChar(0xDCEC) + QString("t") << Bad {0};
        QTest::newRow("1A 1C 7F") << hex("1A 1C 7F 81 7F") << QString("\x1a\x1c\x7f") + c81 + "\x7f" << Bad {3};
        QTest::newRow("pair, then pair") << hex("EE EE F6") << QString(cEE) + cEE + QChar(0xDCF6) << Bad {0, 1, 2};
        QTest::newRow("lead then blank") << hex("81 20") << c81 + QString(" ") << Bad {0};
        // clang-format on
    }

    void codePage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QList<qsizetype>, bad);
        const CodePage932::Decoded d = CodePage932::decode(bytes);
        QCOMPARE(d.text, text);
        QCOMPARE(d.badByteOffsets, bad);
        QCOMPARE(CodePage932::encode(text).bytes, bytes); // stray bytes go back as they came
        QCOMPARE(CodePage932::canEncode(text), bad.isEmpty());
        QCOMPARE(CodePage932::encode(u"a😀b𠮷c¥").unencodable, QString("😀𠮷¥"));
    }

    void numbers()
    {
        const QList<QPair<const char *, double>> values {
            {"15", 15},   {"12abc", 12}, {"abc12", 0}, {"  3", 3}, {"-3", -3},     {"+4", 4},
            {"2.5", 2.5}, {".5", 0.5},   {"7.", 7},    {"1e3", 1}, {"", 0},        {"-", 0},
            {".", 0},     {"- 3", 0},    {"3回", 3},   {"３", 0},  {"1.2.3", 1.2}, {"1,5", 1}};
        for (const auto &[text, value] : values)
            QVERIFY2(Numeric::valueOf(QString(text)) == value, text);
        const QList<QPair<double, double>> rounding {{2.5, 2},    {3.5, 4},   {4.5, 4},
                                                     {0.5, 0},    {-2.5, -2}, {-3.5, -4},
                                                     {2.4999, 2}, {2.5001, 3}};
        for (const auto &[in, out] : rounding)
            QCOMPARE(Numeric::roundHalfEven(in), out);
        QCOMPARE(Numeric::toInt16(40000) + Numeric::toInt16(-40000)
                     + Numeric::toInt16(std::nan("")),
                 -1);
        // clang-format off
        const QList<QPair<double, QString>> written {{25, "25"}, {-0.0, "0"}, {-3, "-3"}, {100000, "100000"},
                                                     {2.5, "2.5"}, {0.5, "0.5"}, {1e21, "1000000000000000000000"}};
        // clang-format on
        for (const auto &[value, text] : written)
            QCOMPARE(Numeric::format(value), text);
        // Whatever is written reads back as the same number, never in exponent form.
        for (double v : {0.1, 1.0 / 3.0, -0.000001, 1e-12, 9007199254740993.0, 1e300})
            QCOMPARE(Numeric::valueOf(Numeric::format(v)), v);
    }

    void nameCheck_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<NameProblem>("problem");
        using P = NameProblem;
        // clang-format off
        const QList<QPair<QString, NameProblem>> rows {
            {"腹筋 ", P::None}, {" 腕立て,速め", P::None}, {"項目一覧.txt", P::None}, {"", P::Empty},
            {"a/b", P::PathSeparator}, {"..\\x", P::PathSeparator}, {"a\tb", P::ControlCharacter},
            {QString::fromLatin1("a\0", 2), P::ControlCharacter}, {"\u0085", P::ControlCharacter},
            {".", P::DotName}, {"..", P::DotName}, {"項目一覧", P::ItemListName},
            {"腹筋😀", P::NotInCodePage}, {"𠮷野家", P::NotInCodePage},
            {QString(251, u'a'), P::None}, {QString(252, u'a'), P::TooLong},
            // Two bytes each in code page 932, three on a UTF-8 file system.
            {QString(83, u'腹'), P::None}, {QString(84, u'腹'), P::TooLong}};
        // clang-format on
        for (const auto &[name, problem] : rows)
            QTest::newRow(qPrintable(name.left(12))) << name << problem;
        for (QChar c : QString(":*?\"<>|"))
            QTest::newRow(qPrintable(QString(c)))
                << QString("a") + c << NameProblem::ForbiddenCharacter;
    }

    void nameCheck()
    {
        QFETCH(QString, name);
        QFETCH(NameProblem, problem);
        QCOMPARE(checkItemName(name), problem);
    }

    void platform()
    {
        // Pause: each dispatch is cut short after 30 ms; the wait goes on for the rest, on the
        // monotonic clock, whatever midnight does to the time of day.
        FakeClock clock;
        clock.now = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 950));
        FakeEventPump events(clock);
        events.duringDispatch = [&] {
            clock.monotonic -= events.waits.last() - qMin(30, events.waits.last());
            clock.now = clock.now.addMSecs(30);
        };
        ZRVM::Pause(0.1f, clock, events);
        QCOMPARE(events.waits, (QList<int> {100, 70, 40, 10}));

        QtEventPump pump;
        bool ran = false;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
        pump.dispatchFor(20);
        QVERIFY(ran);

        ClockSeededRandom a(clock), b(clock);
        QSet<float> seen;
        for (int i = 0; i < 20; ++i, ++clock.monotonic) {
            a.reseedFromClock();
            b.reseedFromClock();
            const float f = a.nextFraction();
            QVERIFY(b.nextFraction() == f && f >= 0.0f && f < 1.0f); // one clock reading, one draw
            seen.insert(f);
        }
        QVERIFY(seen.size() > 15);
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
