#include "eventpump.h"
#include "fakes.h"
#include "randomsource.h"
#include "zrvm.h"

#include <QCoreApplication>
#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pauseWaitsOnTheMonotonicClock();
    void pauseEndsAcrossMidnight();
    void eventPumpRunsPendingEvents();
    void randomIsReseededFromTheClock();
};

void TestPlatform::pauseWaitsOnTheMonotonicClock()
{
    FakeClock clock;
    FakeEventPump events(clock);
    const qint64 start = clock.monotonic;
    ZRVM::Pause(0.1f, clock, events);
    QCOMPARE(clock.monotonic - start, qint64(100));
    QCOMPARE(events.waits, QList<int> {100});

    // When events cut each dispatch short after 30 ms, the wait goes on for the rest of the time.
    FakeEventPump slow(clock);
    slow.duringDispatch = [&] {
        clock.monotonic -= slow.waits.last() - qMin(30, slow.waits.last());
    };
    ZRVM::Pause(0.1f, clock, slow);
    QCOMPARE(slow.waits, (QList<int> {100, 70, 40, 10}));
}

void TestPlatform::pauseEndsAcrossMidnight()
{
    FakeClock clock;
    clock.now = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 950));
    FakeEventPump events(clock);
    events.duringDispatch = [&] {
        clock.now = clock.now.addMSecs(100);
    };
    ZRVM::Pause(0.1f, clock, events);
    QCOMPARE(events.waits.size(), 1);
}

void TestPlatform::eventPumpRunsPendingEvents()
{
    QtEventPump pump;
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&] { ran = true; }, Qt::QueuedConnection);
    pump.dispatchFor(20);
    QVERIFY(ran);
}

void TestPlatform::randomIsReseededFromTheClock()
{
    FakeClock clock;
    ClockSeededRandom a(clock);
    ClockSeededRandom b(clock);
    QList<float> first;
    for (int i = 0; i < 20; ++i) {
        a.reseedFromClock();
        b.reseedFromClock();
        const float fa = a.nextFraction();
        QCOMPARE(b.nextFraction(), fa);
        QVERIFY(fa >= 0.0f && fa < 1.0f);
        first.append(fa);
        clock.monotonic += 1;
    }
    // Each new reading of the clock gives another draw.
    QVERIFY(QSet<float>(first.begin(), first.end()).size() > 15);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
