#include "codepage932.h"
#include "fakes.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QTest>

using Offsets = QList<qsizetype>;

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every byte survives a decode and an encode; the rows are the codec's past faults.
    void codePage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Offsets>("bad");
        const QChar c81(0xDC81), cEE(0xDCEE);
        // clang-format off
        QTest::newRow("wave dash") << hex("81 60") << QString(QChar(0xFF5E)) << Offsets {};
        QTest::newRow("kanji and half-width kana") << hex("95 A0 83 58 B1") << "腹スｱ" << Offsets {};
        QTest::newRow("a stray byte") << hex("41 FF 42") << "A" + QString(QChar(0xDCFF)) + "B" << Offsets {1};
        QTest::newRow("a lead byte at the end") << hex("81 81 81") << "＝" + QString(c81) << Offsets {2};
        QTest::newRow("an unassigned pair keeps its ASCII byte") << hex("EC 74") << QChar(0xDCEC) + QString("t") << Offsets {0};
        QTest::newRow("1A, 1C and DEL are not traded") << hex("1A 1C 7F 81 7F") << "\x1a\x1c\x7f" + QString(c81) + "\x7f" << Offsets {3};
        QTest::newRow("an unassigned pair, then a pair") << hex("EE EE F6") << QString(cEE) + cEE + QChar(0xDCF6) << Offsets {0, 1, 2};
        QTest::newRow("a lead byte, then a blank") << hex("81 20") << c81 + QString(" ") << Offsets {0};
        // clang-format on
    }
    void codePage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(Offsets, bad);
        QCOMPARE(CodePage932::decode(bytes).text, text);
        QCOMPARE(CodePage932::decode(bytes).badByteOffsets, bad);
        QCOMPARE(CodePage932::encode(text).bytes, bytes);
        QCOMPARE(CodePage932::canEncode(text), bad.isEmpty());
    }

    void codePageNamesWhatItCannotEncode()
    {
        QCOMPARE(CodePage932::encode(u"a😀b𠮷c¥").unencodable, "😀𠮷¥");
    }

    // Each dispatch is cut short after 30 ms; the wait goes on for the rest, on the monotonic
    // clock, whatever midnight does to the time of day.
    void pauseWaitsOnTheMonotonicClock()
    {
        FakeClock clock;
        clock.now = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 950));
        FakeEventPump events(clock);
        events.duringDispatch = [&] {
            clock.monotonic -= events.waits.last() - qMin(30, events.waits.last());
            clock.now = clock.now.addMSecs(30);
        };
        ZRVM::Pause(0.1f, clock, events);
        QCOMPARE(events.waits, (QList<int> {100, 70, 40, 10}));
    }

    void eventPumpRunsWhatIsPending()
    {
        bool ran = false;
        QMetaObject::invokeMethod(
            qApp, [&] { ran = true; }, Qt::QueuedConnection);
        QtEventPump().dispatchFor(20);
        QVERIFY(ran);
    }

    // One draw after each reseed from the clock: the same reading gives the same fraction.
    void randomFollowsTheClock()
    {
        FakeClock clock;
        ClockSeededRandom a(clock), b(clock);
        QSet<float> seen;
        for (int i = 0; i < 20; ++i, ++clock.monotonic) {
            a.reseedFromClock();
            b.reseedFromClock();
            const float f = a.nextFraction();
            QCOMPARE(b.nextFraction(), f);
            QVERIFY(f >= 0.0f);
            QVERIFY(f < 1.0f);
            seen.insert(f);
        }
        QVERIFY(seen.size() > 15);
    }

    // Sixteen-colour pictures: every channel of a drawn pixel is 0, 128, 192 or 255, and all but
    // the scissors (on button grey) are see-through around their shape.
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
        const QImage image(file);
        const int side = file.contains("16") ? 16 : 32;
        QCOMPARE(image.size(), QSize(side, side));
        int clear = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QRgb p = image.pixel(x, y);
                clear += qAlpha(p) == 0;
                for (int c : {qRed(p), qGreen(p), qBlue(p)})
                    QVERIFY(!qAlpha(p) || c == 0 || c == 128 || c == 192 || c == 255);
            }
        // Every picture is see-through around its shape, so any button face shows there.
        QVERIFY2(clear > 0, qPrintable(file));
        QVERIFY(clear < side * side * 5 / 6); // the thin scissors are the sparsest, at 80%
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
