// The flash colour runs through the whole program run, so this test has a process of its own.
#include "fakes.h"
#include "frmmain.h"
#include "scratchdir.h"
#include "uistyle.h"

#include <QTest>
#include <QToolButton>

class TestFlash : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void coloursStepAcrossRounds();
};

namespace {

// A spot of bare window background, below lblKaisu and left of txtKaisu.
int backgroundIndex(QWidget &w)
{
    const QColor c = w.grab().toImage().pixelColor(UiStyle::px(3000), UiStyle::px(5400));
    for (int i = 0; i < 16; ++i) {
        if (UiStyle::paletteColor(i) == c)
            return i;
    }
    return c == w.palette().color(QPalette::Button) ? -1 : -2;
}

} // namespace

void TestFlash::coloursStepAcrossRounds()
{
    ScratchDir dir;
    ScratchDir::write(QStringLiteral("項目一覧.txt"),
                      "\"a\",3\r\n\"b\",3\r\n\"c\",3\r\n\"d\",3\r\n\"e\",3\r\n");
    FakeServices fs;
    const QList<QList<int>> rounds {{0, 1, 2, 3}, {5, 6, 9, 10}, {12, 13, 14, 15}, {1, 2, 3, 4}};
    for (const QList<int> &expected : rounds) {
        frmMain w(fs.services);
        w.Form_Load();
        QList<int> flashes;
        fs.events.duringDispatch = [&] {
            flashes << backgroundIndex(w);
        };
        fs.events.waits.clear();
        for (int k = 1; k <= 5; ++k) {
            QTest::mouseClick(w.findChild<QToolButton *>("cmdNext"), Qt::LeftButton);
            QCOMPARE(backgroundIndex(w), -1); // button face again
        }
        QCOMPARE(flashes, expected);
        QCOMPARE(fs.events.waits, QList<int>(4, 100));
    }
}

QTEST_MAIN(TestFlash)
#include "tst_frmmain_flash.moc"
