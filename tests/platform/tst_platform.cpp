#include "codepage932.h"
#include "fakes.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QTest>
#include <QTimer>
#include <span>

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every byte survives a decode and an encode, even one that is no code page 932.
    void codePage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("wave dash") << hex("81 60") << QString(QChar(0xFF5E));
        QTest::newRow("a stray byte") << hex("41 FF 42") << "A" + QString(QChar(0xDCFF)) + "B";
        QTest::newRow("a lead byte at the end") << hex("81 81 81") << "＝" + QString(QChar(0xDC81));
        QTest::newRow("an unassigned pair keeps its ASCII byte") << hex("EC 74") << QChar(0xDCEC) + QString("t");
        // clang-format on
    }
    void codePage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(CodePage932::decode(bytes).text, text);
        QCOMPARE(CodePage932::encode(text).bytes, bytes);
    }

    // Each dispatch comes back after 30 ms; the wait goes on for the rest, on the monotonic
    // clock, while the time of day stands still.
    void pauseWaitsOnTheMonotonicClock()
    {
        FakeClock clock;
        FakeEventPump events(clock);
        events.duringDispatch = [&] {
            clock.monotonic -= qMax(0, events.waits.last() - 30);
        };
        ZRVM::Pause(0.1f, clock, events);
        QCOMPARE(events.waits, (QList<int> {100, 70, 40, 10}));
    }

    void eventPumpRunsWhatIsPending()
    {
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QtEventPump().dispatchFor(20);
        QVERIFY(ran);
    }

    // Draws a millisecond apart differ, even at the same time of day.
    void randomIsReseededFromTheMonotonicClock()
    {
        FakeClock clock;
        ClockSeededRandom random(clock);
        const float first = random.nextFraction();
        ++clock.monotonic;
        random.reseedFromClock();
        QCOMPARE_NE(random.nextFraction(), first);
    }

    // Sixteen-colour pictures: every channel of a drawn pixel is 0, 128, 192 or 255, and each
    // picture is see-through around its shape, so any button face shows there.
    void pictures_data()
    {
        QTest::addColumn<QString>("file");
        QStringList files {"icon32", "again32", "cut16"};
        for (const char *name : {"new", "hozon", "clear", "del", "help", "end", "next"})
            files << QString(name) + "32" << QString(name) + "16";
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << ":/pictures/" + name + ".png";
    }
    void pictures()
    {
        QFETCH(QString, file);
        const QImage image = QImage(file).convertToFormat(QImage::Format_ARGB32);
        const int side = file.contains("16") ? 16 : 32;
        QCOMPARE(image.size(), QSize(side, side));
        int clear = 0;
        for (QRgb p : std::span(reinterpret_cast<const QRgb *>(image.constBits()), side * side)) {
            clear += qAlpha(p) == 0;
            for (int c : {qRed(p), qGreen(p), qBlue(p)})
                QVERIFY(!qAlpha(p) || c == 0 || c == 128 || c == 192 || c == 255);
        }
        QVERIFY(clear > 0);
    }

    void logoIsAGif()
    {
        QFile gif(":/pictures/logo.gif");
        QVERIFY(gif.open(QIODevice::ReadOnly));
        // GIF89a, 211 x 65 little-endian, a global table of 256 colours.
        QCOMPARE(gif.read(11), hex("47 49 46 38 39 61 D3 00 41 00 F7"));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
