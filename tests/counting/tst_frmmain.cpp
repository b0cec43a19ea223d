#include "fakes.h"
#include "frmmain.h"
#include "history.h"
#include "scratchdir.h"
#include "uistyle.h"

#include <QLabel>
#include <QTest>

Q_DECLARE_METATYPE(Item)

// Its place among the program's sixteen colours.
static int colourIndex(const QColor &colour)
{
    for (int i = 0; i < 16; ++i)
        if (UiStyle::paletteColor(i) == colour)
            return i;
    return -1;
}

class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
        }
        QCOMPARE(seen, QList({0, 1, 2, 3, 5, 6, 9, 10, 12, 13, 14, 15, 1, 2, 3, 4}));
    }

    // Each count is typed over the one shown, then Enter; the first 確認 is cancelled. During
    // every flash the user clicks Next and ✂, presses Enter and closes the window: none of it
    // may count. "folder" takes the place of that file after the load.
    void round_data()
    {
        QTest::addColumn<QList<Item>>("list");
        QTest::addColumn<float>("draw");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QList<int>>("colours"); // of the plan's labels shown
        QTest::addColumn<int>("points"); // of the current item's name
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<bool>("settings"); // handed over to the settings window
        QList<Item> twentyFive;
        QStringList twenty;
        for (int i = 1; i <= 25; ++i)
            twentyFive << Item {QString("i%1").arg(i), 5};
        for (int i = 1; i <= 20; ++i)
            twenty << QString("i%1=1").arg(i);
        const QList<Item> ab {{"a", 5}, {"b", 5}};
        // clang-format off
        QTest::newRow("no items: 項目無し, the settings, never shown") << QList<Item> {} << 0.0f << "" << QStringList {} << QStringList {"項目無し"} << QList<int> {} << 22 << "0" << "次へ" << QStringList {} << true;
        QTest::newRow("five characters, 終了, target 1 suggests 1") << QList<Item> {{"abcde", 1}} << 0.99999994f << "" << QStringList {} << QStringList {} << QList {12} << 65 << "1" << "終了" << QStringList {} << false;
        QTest::newRow("six characters, floor(30000 × 0.5 + 1), 次へ") << QList<Item> {{"abcdef", 30000}, {"b", 5}, {"c", 5}} << 0.5f << "" << QStringList {} << QStringList {} << QList {12, 15, 15} << 48 << "15001" << "次へ" << QStringList {} << false;
        QTest::newRow("nineteen characters") << QList<Item> {{"abcdefghijklmnopqrs", 5}} << 0.0f << "" << QStringList {} << QStringList {} << QList {12} << 16 << "1" << "終了" << QStringList {} << false;
        QTest::newRow("a count below 1 asks first, Cancel keeps it") << ab << 0.0f << "" << QStringList {"0"} << QStringList {"確認"} << QList {12, 15} << 65 << "0" << "次へ" << QStringList {} << false;
        QTest::newRow("counts are recorded as typed, 終わり") << QList<Item> {{"a", 5}, {"b", 5}, {"c", 5}, {"d", 5}} << 0.0f << "" << QStringList {"12abc", "1.5", "2"} << QStringList {} << QList {15, 15, 15, 12} << 65 << "1" << "終わり" << QStringList {"a=12", "b=1.5", "c=2"} << false;
        QTest::newRow("a record for each item of a round of twenty") << twentyFive << 0.0f << "" << QStringList(20, "1") << QStringList {} << (QList<int>(19, 15) << 12) << 65 << "" << "終わり" << twenty << true;
        QTest::newRow("a failed history write keeps item and count") << ab << 0.0f << "a.txt" << QStringList {"7"} << QStringList {"書き込みエラー"} << QList {12, 15} << 65 << "7" << "次へ" << QStringList {} << false;
        QTest::newRow("the history first, a failed list save goes on") << ab << 0.0f << kList << QStringList {"7"} << QStringList {"書き込みエラー"} << QList {15, 12} << 65 << "1" << "終わり" << QStringList {"a=7"} << false;
        // clang-format on
    }
    void round()
    {
        QFETCH(QList<Item>, list);
        QFETCH(float, draw);
        QFETCH(QString, folder);
        QFETCH(QStringList, counts);
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(kList, listBytes(list));
        fs.fractions.enqueue(draw);
        fs.okAnswers.enqueue(false);
        frmMain w(fs.services);
        w.Form_Load();
        if (!folder.isEmpty()) {
            QFile::remove(folder); // where there is one
            QVERIFY(QDir().mkdir(folder));
        }
        auto *kaisu = w.findChild<QWidget *>("txtKaisu");
        fs.duringDispatch = [&] {
            QTest::mouseClick(w.findChild<QWidget *>("cmdNext"), Qt::LeftButton);
            QTest::keyClick(kaisu, Qt::Key_Return);
            QTest::mouseClick(w.findChild<QWidget *>("cmdCut"), Qt::LeftButton);
            w.close();
        };
        for (const QString &count : counts) {
            kaisu->setProperty("text", QString());
            QTest::keyClicks(kaisu, count + '\r');
        }
        QStringList records;
        QList<int> colours;
        for (const Item &item : list)
            for (const History::Record &record : History::read(item.name).records)
                records << item.name + '=' + record.count;
        QList<int> red, marked; // a screen reader hears the mark that the colour shows
        for (int i = 1; i <= 20; ++i) {
            auto *label = w.findChild<QLabel *>(QString("lblSnd(%1)").arg(i));
            if (label->isVisible())
                colours << colourIndex(label->palette().windowText().color());
            if (colours.size() == i && colours.last() == 12)
                red << i;
            if (label->accessibleDescription() == "実施中")
                marked << i;
        }
        QFETCH(QStringList, boxes);
        QCOMPARE(fs.titles(), texts(boxes));
        QTEST(colours, "colours");
        QCOMPARE(marked, red);
        QTEST(w.findChild<QWidget *>("lblKoumoku")->font().pointSize(), "points");
        QTEST(kaisu->property("text").toString(), "count");
        QTEST(w.findChild<QWidget *>("cmdNext")->property("text").toString(), "button");
        QTEST(records, "records");
        QTEST(fs.windowsShown == QList {AppWindow::Settings}, "settings");
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
