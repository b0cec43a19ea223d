#include "fakes.h"
#include "history.h"
#include "scratchdir.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesRecords();
    void readsRecordsAsWritten();
    void ensureClearAndRemove();
    void failuresAreReported();
};

void TestHistory::writesRecords()
{
    ScratchDir dir;
    FakeClock clock; // 31 December, 07:05:09
    QVERIFY(History::appendSetRecord("腹筋", 25, clock).ok());
    QCOMPARE(ScratchDir::read("腹筋.txt"),
             hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30"
                 "35 95 AA 30 39 95 62 22 2C 32 35 0D 0A"));
    for (double count : {0.0, 2.5, -3.0, 0.5})
        QVERIFY(History::appendSetRecord("腹筋", count, clock).ok());
    QStringList counts;
    for (const History::Record &r : History::read("腹筋").records)
        counts << r.count;
    QCOMPARE(counts, (QStringList {"25", "0", "2.5", "-3", "0.5"}));

    // Date and time are two readings: midnight may pass between them.
    clock.now = QDateTime(QDate(2026, 5, 9), QTime(23, 59, 59, 999));
    clock.msAfterDateReading = 2;
    QVERIFY(History::appendSetRecord("a", 1, clock).ok());
    QCOMPARE(ScratchDir::read("a.txt"),
             QByteArray("\"05\x8c\x8e"
                        "09\x93\xfa\",\"00\x8e\x9e"
                        "00\x95\xaa"
                        "00\x95\x62\",1\r\n"));
}

void TestHistory::readsRecordsAsWritten()
{
    ScratchDir dir;
    ScratchDir::write("a.txt",
                      "\"01\x8c\x8e\",\"t1\",12abc\r\n\r\n\"d2\",\"t2\"\r\n"
                      "\"d3\",\"t3\", 2.50,extra\r\n\"d4\",\"t4\",7");
    const History::ReadResult r = History::read("a");
    QVERIFY(r.status.ok());
    QCOMPARE(r.records.size(), 4);
    QCOMPARE(r.records[0].date, QString("01月"));
    QCOMPARE(r.records[0].time, QString("t1"));
    QStringList counts;
    for (const History::Record &record : r.records)
        counts << record.count;
    QCOMPARE(counts, (QStringList {"12abc", "", "2.50", "7"}));

    QVERIFY(History::read("none").status.ok() && History::read("none").records.isEmpty());
    QCOMPARE(ScratchDir::entries(), QStringList {"a.txt"}); // reading creates nothing
}

void TestHistory::ensureClearAndRemove()
{
    ScratchDir dir;
    ScratchDir::write("old.txt", "\"d\",\"t\",3\r\n");
    QVERIFY(History::ensure("new").ok() && History::ensure("old").ok());
    QCOMPARE(ScratchDir::read("new.txt"), QByteArray());
    QCOMPARE(ScratchDir::read("old.txt"), QByteArray("\"d\",\"t\",3\r\n"));
    QVERIFY(History::clear("old").ok() && History::clear("missing").ok());
    QCOMPARE(ScratchDir::read("old.txt") + ScratchDir::read("missing.txt"), QByteArray());

    // Names are taken literally, never as patterns; a missing file is no error.
    ScratchDir::write("a*.txt", "x");
    for (const char *name : {"nothing", "a?", "*", "a*"})
        History::remove(name);
    QCOMPARE(ScratchDir::entries(), (QStringList {"missing.txt", "new.txt", "old.txt"}));
}

void TestHistory::failuresAreReported()
{
    ScratchDir dir;
    FakeClock clock;
    QVERIFY(QFile::link("/dev/full", "full.txt"));
    const IoStatus s = History::appendSetRecord("full", 1, clock);
    QVERIFY(!s.ok());
    QCOMPARE(s.fileName(), QString("full.txt"));

    QVERIFY(QDir().mkdir("dir.txt") && QDir().mkdir("sub"));
    QVERIFY(!History::appendSetRecord("dir", 1, clock).ok());
    QVERIFY(!History::read("dir").status.ok());
    ScratchDir::write("sub/x.txt", "keep");
    ScratchDir::write("項目一覧.txt", "\"a\",1\r\n");
    // A name that leads elsewhere or onto the item list is refused by every operation.
    for (const char *name : {"dir", "sub/x", "sub\\x", "../x", "項目一覧"}) {
        QVERIFY(!History::appendSetRecord(name, 1, clock).ok());
        QVERIFY(!History::clear(name).ok() && !History::ensure(name).ok());
        History::remove(name);
    }
    QVERIFY(QFileInfo("dir.txt").isDir());
    QCOMPARE(ScratchDir::read("sub/x.txt") + ScratchDir::read("項目一覧.txt"),
             QByteArray("keep\"a\",1\r\n"));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
