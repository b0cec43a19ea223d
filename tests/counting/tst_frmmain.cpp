#include "history.h"
#include "uistyle.h"
#include "windows.h"

#include <QScrollBar>
#include <QTest>

using Histories = QMap<QString, QStringList>; // item name: the counts of its records

// One round: the list, the first draw, the counts typed over the box (each followed by Enter).
struct Round
{
    QList<Item> list = {};
    float draw = 0.0f;
    QStringList counts = {};
    QString folderInstead = {}; // a file turned into a folder once the window is loaded
    QList<Box> boxes = {};
    QList<int> colours = {}; // of the plan's labels shown, among the sixteen
    int points = 65; // the size of the current item's name
    QString count = {}; // in the box afterwards
    QString button = "次へ";
    Histories records = {};
    bool settings = false; // handed over to the settings window
};
Q_DECLARE_METATYPE(Round)

// Its place among the program's sixteen colours.
static int colourIndex(const QColor &colour)
{
    for (int i = 0; i < 16; ++i)
        if (UiStyle::paletteColor(i) == colour)
            return i;
    return -1;
}

static const Box kAskZero {.title = "確認",
                           .text = "回数ゼロで次へ進もうとしていますがよろしいいですか？",
                           .buttons = MessageButtons::OkCancel};

class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useGermanLocale(); }

    // First of all: the flash colour index lives for the whole run of this program.
    void flashColoursStepAcrossRounds()
    {
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(kList, QByteArray("\"i\",3\r\n").repeated(5));
        QList<int> seen;
        for (int round = 1; round <= 4; ++round) {
            frmMain w(fs.services);
            w.Form_Load();
            fs.duringDispatch = [&] { // on bare background left of txtKaisu
                seen << colourIndex(w.grab().toImage().pixelColor(200, 360));
            };
            QTest::keyClicks(w.findChild<QWidget *>("cmdNext"), "     ");
            // Once the flashes are over, the window has its button face again.
            QCOMPARE(w.grab().toImage().pixelColor(200, 360), w.palette().color(QPalette::Button));
        }
        QCOMPARE(seen, QList({0, 1, 2, 3, 5, 6, 9, 10, 12, 13, 14, 15, 1, 2, 3, 4}));
    }

    void round_data()
    {
        QTest::addColumn<Round>("round");
        QList<Item> twentyFive;
        Histories ones;
        for (int i = 1; i <= 25; ++i)
            twentyFive << Item {QString("i%1").arg(i), 5};
        for (int i = 1; i <= 20; ++i)
            ones[QString("i%1").arg(i)] = {"1"};
        const QList<Item> ab {{"a", 5}, {"b", 5}};
        QTest::newRow("no items: 項目無し, then the settings window, never shown") << Round {
            .boxes
            = {{.title = "項目無し", .text = "項目登録ボタンを押して項目を設定してください"}},
            .points = 22,
            .count = "0",
            .settings = true};
        QTest::newRow("five characters, a single item's 終了, target 1 suggests 1")
            << Round {.list = {{"abcde", 1}},
                      .draw = 0.99999994f,
                      .colours = {12},
                      .count = "1",
                      .button = "終了"};
        QTest::newRow("six characters, floor(30000 × 0.5 + 1)")
            << Round {.list = {{"abcdef", 30000}, {"b", 5}, {"c", 5}},
                      .draw = 0.5f,
                      .colours = {12, 15, 15},
                      .points = 48,
                      .count = "15001"};
        QTest::newRow("0.5 asks first, Cancel keeps it") << Round {.list = ab,
                                                                   .counts = {"0.5"},
                                                                   .boxes = {kAskZero},
                                                                   .colours = {12, 15},
                                                                   .count = "0.5"};
        QTest::newRow("counts recorded as typed up to a letter or comma, 終わり on the last item")
            << Round {.list = {{"a", 5}, {"b", 5}, {"c", 5}, {"d", 5}},
                      .counts = {"12abc", "1234.5", "2,5"},
                      .colours = {15, 15, 15, 12},
                      .count = "1",
                      .button = "終わり",
                      .records = {{"a", {"12"}}, {"b", {"1234.5"}}, {"c", {"2"}}}};
        QTest::newRow("a record for each item of a round of twenty")
            << Round {.list = twentyFive,
                      .counts = QStringList(20, "1"),
                      .colours = QList<int>(19, 15) << 12,
                      .button = "終わり",
                      .records = ones,
                      .settings = true};
        QTest::newRow("a failed history write keeps item and count")
            << Round {.list = ab,
                      .counts = {"7"},
                      .folderInstead = "a.txt",
                      .boxes = {notAFile("a.txt")},
                      .colours = {12, 15},
                      .count = "7"};
        QTest::newRow("the history first, a failed list save goes on")
            << Round {.list = ab,
                      .counts = {"7"},
                      .folderInstead = kList,
                      .boxes = {notAFile(kList)},
                      .colours = {15, 12},
                      .count = "1",
                      .button = "終わり",
                      .records = {{"a", {"7"}}}};
    }
    // The first 確認 is cancelled. During every flash the user clicks Next and ✂, presses Enter
    // and closes the window: none of it may count.
    void round()
    {
        QFETCH(Round, round);
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(kList, listBytes(round.list));
        fs.fractions.enqueue(round.draw);
        fs.okAnswers.enqueue(false);
        frmMain w(fs.services);
        w.Form_Load();
        if (!round.folderInstead.isEmpty()) {
            QFile::remove(round.folderInstead); // where there is one
            QVERIFY(QDir().mkdir(round.folderInstead));
        }
        auto *kaisu = w.findChild<QWidget *>("txtKaisu");
        fs.duringDispatch = [&] {
            QTest::mouseClick(w.findChild<QWidget *>("cmdNext"), Qt::LeftButton);
            QTest::keyClick(kaisu, Qt::Key_Return);
            QTest::mouseClick(w.findChild<QWidget *>("cmdCut"), Qt::LeftButton);
            w.close();
        };
        for (const QString &count : round.counts) {
            kaisu->setProperty("text", QString());
            QTest::keyClicks(kaisu, count + '\r');
        }
        Histories records;
        for (const Item &item : round.list)
            for (const History::Record &record : History::read(item.name).records)
                records[item.name] << record.count;
        QList<int> colours, red, marked; // a screen reader hears the mark that the colour shows
        for (int i = 1; i <= 20; ++i) {
            auto *label = w.findChild<QLabel *>(QString("lblSnd(%1)").arg(i));
            if (label->isVisible())
                colours << colourIndex(label->palette().windowText().color());
            if (colours.size() == i && colours.last() == 12)
                red << i;
            if (label->accessibleDescription() == "実施中")
                marked << i;
        }
        QCOMPARE(fs.boxes, round.boxes);
        QCOMPARE(colours, round.colours);
        QCOMPARE(marked, red);
        QCOMPARE(w.findChild<QWidget *>("lblKoumoku")->font().pointSize(), round.points);
        QCOMPARE(kaisu->property("text").toString(), round.count);
        QCOMPARE(Text(w.findChild<QWidget *>("cmdNext")->property("text").toString()),
                 Text(round.button));
        QCOMPARE(records, round.records);
        QCOMPARE(fs.windowsShown == QList {AppWindow::Settings}, round.settings);
    }

    // The bar stops at 0 and at 1000, and the box shows where it stopped. Keypad Enter then
    // runs Next from the count box and from the focused Next button alike.
    void scrollBarEndsAndKeypadEnter()
    {
        ScratchDir dir;
        ScratchDir::write(kList, "\"a\",5\r\n\"b\",5\r\n");
        FakeServices fs;
        frmMain w(fs.services);
        w.Form_Load();
        auto *kaisu = w.findChild<QLineEdit *>("txtKaisu");
        QStringList seen;
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_End, Qt::Key_Right, Qt::Key_Home}) {
            QTest::keyClick(w.findChild<QScrollBar *>("hsbKaisu"), key);
            seen << kaisu->text();
        }
        QCOMPARE(seen, QStringList({"0", "0", "1000", "1000", "0"}));
        kaisu->setText("3");
        QTest::keyClick(kaisu, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(w.findChild<QWidget *>("cmdNext"), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(ScratchDir::read("a.txt") + ScratchDir::read("b.txt"), history({"3", "1"}));
    }

    // The controls whose text is not their content have a fixed name for a screen reader.
    void fixedAccessibleNames()
    {
        FakeServices fs;
        frmMain w(fs.services);
        Texts names;
        for (const char *control : {"txtKaisu", "hsbKaisu", "cmdCut"})
            names << accessibleName(w.findChild<QWidget *>(control));
        QCOMPARE(names, Texts({"回数", "回数の調整", "中断"}));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
