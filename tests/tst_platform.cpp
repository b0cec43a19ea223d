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
    void eventPumpRunsPendingEvents();
    void randomIsReseededFromTheClock();
};

void TestPlatform::pauseWaitsOnTheMonotonicClock()
{
    FakeClock clock;
    clock.now = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 950)); // midnight changes nothing
    FakeEventPump events(clock);
    // Each dispatch is cut short after 30 ms by some event; the wait goes on for the rest.
    events.duringDispatch = [&] {
        clock.monotonic -= events.waits.last() - qMin(30, events.waits.last());
        clock.now = clock.now.addMSecs(30);
    };
    const qint64 start = clock.monotonic;
    ZRVM::Pause(0.1f, clock, events);
    QCOMPARE(clock.monotonic - start, qint64(100));
    QCOMPARE(events.waits, (QList<int> {100, 70, 40, 10}));
}

void TestPlatform::eventPumpRunsPendingEvents()
{
    QtEventPump pump;
    bool ran = false;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
    pump.dispatchFor(20);
    QVERIFY(ran);
}

void TestPlatform::randomIsReseededFromTheClock()
{
    FakeClock clock;
    ClockSeededRandom a(clock), b(clock);
    QSet<float> seen;
    for (int i = 0; i < 20; ++i, ++clock.monotonic) {
        a.reseedFromClock();
        b.reseedFromClock();
        const float f = a.nextFraction();
        QCOMPARE(b.nextFraction(), f); // the same clock reading, the same draw
        QVERIFY(f >= 0.0f && f < 1.0f);
        seen.insert(f);
    }
    QVERIFY(seen.size() > 15);
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
