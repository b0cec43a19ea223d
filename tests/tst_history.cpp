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
    void writesTheExampleRecord();
    void countForms_data();
    void countForms();
    void readsDateAndTimeSeparately();
    void readsRecordsAsWritten();
    void missingAndEmptyFiles();
    void ensureKeepsExistingRecords();
    void clearEmptiesOrCreates();
    void removeTakesTheNameLiterally();
    void failuresAreReported();
    void refusesNamesLeavingTheDirectory();
};

void TestHistory::writesTheExampleRecord()
{
    ScratchDir dir;
    FakeClock clock; // 31 December, 07:05:09
    QVERIFY(History::appendSetRecord(QStringLiteral("腹筋"), 25, clock).ok());
    QCOMPARE(ScratchDir::read(QStringLiteral("腹筋.txt")),
             hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 62 22 2C 32 "
                 "35 0D 0A"));
}

void TestHistory::countForms_data()
{
    QTest::addColumn<double>("count");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("zero") << 0.0 << QByteArray("0");
    QTest::newRow("fraction") << 2.5 << QByteArray("2.5");
    QTest::newRow("negative") << -3.0 << QByteArray("-3");
    QTest::newRow("below one") << 0.5 << QByteArray("0.5");
}

void TestHistory::countForms()
{
    QFETCH(double, count);
    QFETCH(QByteArray, written);
    ScratchDir dir;
    FakeClock clock;
    QVERIFY(History::appendSetRecord(QStringLiteral("a"), count, clock).ok());
    const QByteArray bytes = ScratchDir::read(QStringLiteral("a.txt"));
    QVERIFY(bytes.endsWith("," + written + "\r\n"));
    QCOMPARE(History::read(QStringLiteral("a")).records.value(0).count,
             QString::fromLatin1(written));
}

void TestHistory::readsDateAndTimeSeparately()
{
    ScratchDir dir;
    FakeClock clock;
    clock.now = QDateTime(QDate(2026, 5, 9), QTime(23, 59, 59, 999));
    clock.msAfterDateReading = 2; // midnight passes between the two readings
    QVERIFY(History::appendSetRecord(QStringLiteral("a"), 1, clock).ok());
    QCOMPARE(clock.dateReadings, 1);
    const History::Record r = History::read(QStringLiteral("a")).records.value(0);
    QCOMPARE(r.date, QStringLiteral("05月09日"));
    QCOMPARE(r.time, QStringLiteral("00時00分00秒"));
}

void TestHistory::readsRecordsAsWritten()
{
    ScratchDir dir;
    ScratchDir::write(QStringLiteral("a.txt"),
                      "\"01\x8c\x8e\",\"t1\",12abc\r\n"
                      "\r\n"
                      "\"d2\",\"t2\"\r\n"
                      "\"d3\",\"t3\", 2.50,extra\r\n"
                      "\"d4\",\"t4\",7");
    const History::ReadResult r = History::read(QStringLiteral("a"));
    QVERIFY(r.status.ok());
    QCOMPARE(r.records.size(), 4);
    QCOMPARE(r.records[0].date, QStringLiteral("01月"));
    QCOMPARE(r.records[0].count, QStringLiteral("12abc"));
    QCOMPARE(r.records[1].count, QString());
    QCOMPARE(r.records[2].count, QStringLiteral("2.50"));
    QCOMPARE(r.records[3].count, QStringLiteral("7"));
}

void TestHistory::missingAndEmptyFiles()
{
    ScratchDir dir;
    History::ReadResult r = History::read(QStringLiteral("none"));
    QVERIFY(r.status.ok());
    QVERIFY(r.records.isEmpty());
    QVERIFY(ScratchDir::entries().isEmpty());
    ScratchDir::write(QStringLiteral("empty.txt"), QByteArray());
    QVERIFY(History::read(QStringLiteral("empty")).records.isEmpty());
}

void TestHistory::ensureKeepsExistingRecords()
{
    ScratchDir dir;
    QVERIFY(History::ensure(QStringLiteral("new")).ok());
    QCOMPARE(ScratchDir::read(QStringLiteral("new.txt")), QByteArray());
    ScratchDir::write(QStringLiteral("old.txt"), "\"d\",\"t\",3\r\n");
    QVERIFY(History::ensure(QStringLiteral("old")).ok());
    QCOMPARE(ScratchDir::read(QStringLiteral("old.txt")), QByteArray("\"d\",\"t\",3\r\n"));
}

void TestHistory::clearEmptiesOrCreates()
{
    ScratchDir dir;
    ScratchDir::write(QStringLiteral("a.txt"), "\"d\",\"t\",3\r\n");
    QVERIFY(History::clear(QStringLiteral("a")).ok());
    QCOMPARE(ScratchDir::read(QStringLiteral("a.txt")), QByteArray());
    QVERIFY(History::clear(QStringLiteral("b")).ok());
    QCOMPARE(ScratchDir::read(QStringLiteral("b.txt")), QByteArray());
}

void TestHistory::removeTakesTheNameLiterally()
{
    ScratchDir dir;
    ScratchDir::write(QStringLiteral("ab.txt"), "x");
    ScratchDir::write(QStringLiteral("a1.txt"), "x");
    History::remove(QStringLiteral("missing"));
    History::remove(QStringLiteral("a*"));
    History::remove(QStringLiteral("a?"));
    QCOMPARE(ScratchDir::entries(), (QStringList {"a1.txt", "ab.txt"}));
    ScratchDir::write(QStringLiteral("a*.txt"), "x");
    History::remove(QStringLiteral("a*"));
    QCOMPARE(ScratchDir::entries(), (QStringList {"a1.txt", "ab.txt"}));
}

void TestHistory::failuresAreReported()
{
    ScratchDir dir;
    FakeClock clock;
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), QStringLiteral("full.txt")));
    const IoStatus s = History::appendSetRecord(QStringLiteral("full"), 1, clock);
    QVERIFY(!s.ok());
    QCOMPARE(s.fileName(), QStringLiteral("full.txt"));

    QVERIFY(QDir().mkdir(QStringLiteral("dir.txt")));
    QVERIFY(!History::appendSetRecord(QStringLiteral("dir"), 1, clock).ok());
    QVERIFY(!History::ensure(QStringLiteral("dir")).ok());
    QVERIFY(!History::clear(QStringLiteral("dir")).ok());
    QVERIFY(!History::read(QStringLiteral("dir")).status.ok());
    History::remove(QStringLiteral("dir"));
    QVERIFY(QFileInfo(QStringLiteral("dir.txt")).isDir());
}

void TestHistory::refusesNamesLeavingTheDirectory()
{
    ScratchDir dir;
    FakeClock clock;
    QVERIFY(QDir().mkdir(QStringLiteral("sub")));
    ScratchDir::write(QStringLiteral("sub/x.txt"), "keep");
    ScratchDir::write(QStringLiteral("項目一覧.txt"), "\"a\",1\r\n");
    for (const QString &name : {QStringLiteral("sub/x"), QStringLiteral("sub\\x"),
                                QStringLiteral("../x"), QStringLiteral("項目一覧")}) {
        QVERIFY(!History::appendSetRecord(name, 1, clock).ok());
        QVERIFY(!History::clear(name).ok());
        QVERIFY(!History::ensure(name).ok());
        History::remove(name);
    }
    QCOMPARE(ScratchDir::read(QStringLiteral("sub/x.txt")), QByteArray("keep"));
    QCOMPARE(ScratchDir::read(QStringLiteral("項目一覧.txt")), QByteArray("\"a\",1\r\n"));
    QCOMPARE(ScratchDir::entries(), (QStringList {"sub", "項目一覧.txt"}));
}

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
