#include "codepage932.h"
#include "fakes.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QTest>

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every byte survives a decode and an encode, even one that is no code page 932.
    void codePage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("wave dash") << QByteArray::fromHex("81 60") << QString(QChar(0xFF5E));
        QTest::newRow("a stray byte")
            << QByteArray::fromHex("41 FF 42") << "A" + QString(QChar(0xDCFF)) + "B";
        QTest::newRow("a lead byte at the end")
            << QByteArray::fromHex("81 81 81") << "＝" + QString(QChar(0xDC81));
        QTest::newRow("an unassigned pair keeps its ASCII byte")
            << QByteArray::fromHex("EC 74") << QChar(0xDCEC) + QString("t");
    }
    void codePage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Text(CodePage932::decode(bytes).text), Text(text));
        QCOMPARE(CodePage932::encode(text).bytes, bytes);
    }

    // Each dispatch comes back after 30 ms; the wait goes on for the rest, on the monotonic
    // clock, while the time of day stands still.
    void pauseWaitsOnTheMonotonicClock()
    {
        FakeServices fake;
        fake.duringDispatch = [&] {
            fake.monotonic -= qMax(0, fake.waits.last() - 30);
        };
        ZRVM::Pause(0.1f, fake, fake);
        QCOMPARE(fake.waits, (QList<int> {100, 70, 40, 10}));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
