#include "appwindows.h"
#include "fakes.h"
#include "frmmain.h"
#include "history.h"
#include "scratchdir.h"
#include "uistyle.h"
#include "zrvm.h"

#include <QTest>
#include <QTimer>

const QString kList = "項目一覧.txt";
const QByteArray kStamp // "12月31日","07時05分09秒": the fake clock's, on every record
    = hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 62 22 2C");

// Steps before Load prepare the files and the draws. Break* puts a folder in the file's place;
// MeddleDuringFlash clicks Next and Cut, presses Enter and closes the window while the colour
// shows.
// clang-format off
enum class Step { Load, Draw, Type, Next, EnterInCount, SpaceOnNext, EnterOnNext, BarRight, BarLeft, Cut, CancelNextBox, BreakHistory, BreakList, MeddleDuringFlash };
// clang-format on
struct Act
{
    Step step;
    QString text = {}; // Draw: the fraction; Type: the count; BreakHistory: the item
};
struct Seen // what the window shows, and the histories on disk as "item=count"
{
    QStringList boxes; // titles
    bool handedOver; // to the settings window
    QString item, count, button;
    QStringList records;
    int flashes;
};
Q_DECLARE_METATYPE(Act)
Q_DECLARE_METATYPE(Seen)

// Items i1, i2... with these targets.
static QByteArray listOf(const QList<int> &targets)
{
    QByteArray out;
    for (int i = 0; i < targets.size(); ++i)
        out += QString("\"i%1\",%2\r\n").arg(i + 1).arg(targets[i]).toLatin1();
    return out;
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
        ScratchDir::write(kList, listOf({3, 3, 3, 3, 3}));
        const QList<int> expected {0, 1, 2, 3, 5, 6, 9, 10, 12, 13, 14, 15, 1, 2, 3, 4};
        QList<int> seen;
        for (int round = 1; round <= 4; ++round) {
            frmMain w(fs.services);
            w.Form_Load();
            fs.events.duringDispatch = [&] { // on bare background left of txtKaisu
                const QColor c = w.grab().toImage().pixelColor(200, 360);
                for (int i = 0; i < 16; ++i)
                    if (UiStyle::paletteColor(i) == c)
                        seen << i;
            };
            QTest::keyClicks(w.findChild<QWidget *>("cmdNext"), "     ");
            QCOMPARE(w.palette().color(QPalette::Window), w.palette().color(QPalette::Button));
        }
        QCOMPARE(seen, expected);
    }

    void nameFontSize_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("points");
        QTest::newRow("five characters") << 5 << 65;
        QTest::newRow("six characters") << 6 << 48;
        QTest::newRow("nineteen characters") << 19 << 16;
    }
    void nameFontSize()
    {
        QFETCH(int, length);
        ScratchDir dir;
        ScratchDir::write(kList, "\"" + QByteArray(length, 'a') + "\",5\r\n");
        FakeServices fs;
        frmMain w(fs.services);
        w.Form_Load();
        QTEST(w.findChild<QWidget *>("lblKoumoku")->font().pointSize(), "points");
    }

    void unreadableListLeavesNoStaleItems()
    {
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(kList, listOf({5}));
        QVERIFY(ZRVM::LoadItemList().ok()); // an earlier round's
        QVERIFY(QFile::remove(kList) && QDir().mkdir(kList));
        frmMain w(fs.services);
        w.Form_Load();
        QCOMPARE(fs.dialogs.shown.value(0).title, "読み込みエラー");
        QCOMPARE(fs.windows.shown, QList {AppWindow::Settings});
        QCOMPARE(ZRVM::items.count(), 0);
    }

    void round_data()
    {
        QTest::addColumn<QList<int>>("targets");
        QTest::addColumn<QList<Act>>("acts");
        QTest::addColumn<Seen>("seen");
        using S = Step;
        const QList<Act> twenty(20, {S::Next});
        QStringList twentyRecords;
        for (int i = 1; i <= 20; ++i)
            twentyRecords << QString("i%1=1").arg(i);
        // clang-format off
        QTest::newRow("an empty list hands over to the settings") << QList<int> {} << QList<Act> {{S::Load}} << Seen {{"項目無し"}, true, "", "0", "次へ", {}, 0};
        QTest::newRow("suggests floor(target × draw + 1)") << QList {30000} << QList<Act> {{S::Draw, "0.5"}, {S::Load}} << Seen {{}, false, "i1", "15001", "終了", {}, 0};
        QTest::newRow("a draw just below 1 suggests the target") << QList {7} << QList<Act> {{S::Draw, "0.99999994"}, {S::Load}} << Seen {{}, false, "i1", "7", "終了", {}, 0};
        QTest::newRow("a count below 1 is confirmed, Cancel stays") << QList {5, 5} << QList<Act> {{S::Load}, {S::Type, "0"}, {S::CancelNextBox}, {S::Next}} << Seen {{"確認"}, false, "i1", "0", "次へ", {}, 0};
        QTest::newRow("counts are recorded as typed") << QList {5, 5, 5, 5} << QList<Act> {{S::Load}, {S::Type, "0.5"}, {S::Next}, {S::Type, "12abc"}, {S::Next}, {S::Type, "1.5"}, {S::Next}} << Seen {{"確認"}, false, "i4", "1", "終わり", {"i1=0.5", "i2=12", "i3=1.5"}, 3};
        QTest::newRow("a record for each item, no flash after the last") << QList {5, 5} << QList<Act> {{S::Load}, {S::Next}, {S::Next}} << Seen {{}, true, "i2", "", "終わり", {"i1=1", "i2=1"}, 1};
        QTest::newRow("a round ends after twenty items") << QList<int>(25, 5) << QList<Act> {{S::Load}} + twenty << Seen {{}, true, "i20", "", "終わり", twentyRecords, 19};
        QTest::newRow("Enter in the count, Space or Enter on Next") << QList {5, 5, 5, 5} << QList<Act> {{S::Load}, {S::Type, "15"}, {S::EnterInCount}, {S::Type, "16"}, {S::SpaceOnNext}, {S::Type, "17"}, {S::EnterOnNext}} << Seen {{}, false, "i4", "1", "終わり", {"i1=15", "i2=16", "i3=17"}, 3};
        QTest::newRow("the bar's arrows step the count up and down") << QList {5, 5} << QList<Act> {{S::Load}, {S::Type, "15"}, {S::BarRight}, {S::BarRight}, {S::BarLeft}} << Seen {{}, false, "i1", "2", "次へ", {}, 0};
        QTest::newRow("input during the flash starts nothing") << QList {5, 5, 5} << QList<Act> {{S::Load}, {S::MeddleDuringFlash}, {S::Next}} << Seen {{}, false, "i2", "1", "次へ", {"i1=1"}, 1};
        QTest::newRow("Cut hands over without a record") << QList {5, 5, 5} << QList<Act> {{S::Load}, {S::Next}, {S::Cut}} << Seen {{}, true, "i2", "1", "次へ", {"i1=1"}, 1};
        QTest::newRow("a failed history write keeps item and count") << QList {5, 5} << QList<Act> {{S::Load}, {S::BreakHistory, "i1"}, {S::Type, "7"}, {S::Next}} << Seen {{"書き込みエラー"}, false, "i1", "7", "次へ", {}, 0};
        QTest::newRow("a failed list save lets the round go on") << QList {5, 5} << QList<Act> {{S::Load}, {S::Type, "7"}, {S::BreakList}, {S::Next}} << Seen {{"書き込みエラー"}, false, "i2", "1", "終わり", {"i1=7"}, 1};
        // clang-format on
    }
    void round()
    {
        QFETCH(QList<int>, targets);
        QFETCH(QList<Act>, acts);
        QFETCH(Seen, seen);
        ScratchDir dir;
        FakeServices fs;
        ScratchDir::write(kList, listOf(targets));
        frmMain w(fs.services);
        auto *count = w.findChild<QWidget *>("txtKaisu");
        auto *next = w.findChild<QWidget *>("cmdNext");
        auto *bar = w.findChild<QWidget *>("hsbKaisu");
        auto *cut = w.findChild<QWidget *>("cmdCut");
        for (const Act &act : acts) {
            // clang-format off
            switch (act.step) {
            case Step::Load: w.Form_Load(); break;
            case Step::Draw: fs.random.fractions.enqueue(act.text.toFloat()); break;
            case Step::Type: count->setProperty("text", QString()), QTest::keyClicks(count, act.text); break;
            case Step::Next: QTest::mouseClick(next, Qt::LeftButton); break;
            case Step::EnterInCount: QTest::keyClick(count, Qt::Key_Return); break;
            case Step::SpaceOnNext: QTest::keyClick(next, Qt::Key_Space); break;
            case Step::EnterOnNext: QTest::keyClick(next, Qt::Key_Return); break;
            case Step::BarRight: QTest::keyClick(bar, Qt::Key_Right); break;
            case Step::BarLeft: QTest::keyClick(bar, Qt::Key_Left); break;
            case Step::Cut: QTest::mouseClick(cut, Qt::LeftButton); break;
            case Step::CancelNextBox: fs.dialogs.okAnswers.enqueue(false); break;
            case Step::BreakHistory: QVERIFY(QDir().mkdir(History::fileName(act.text))); break;
            case Step::BreakList: QVERIFY(QFile::remove(kList) && QDir().mkdir(kList)); break;
            case Step::MeddleDuringFlash:
                fs.events.duringDispatch = [&] {
                    QTest::mouseClick(next, Qt::LeftButton);
                    QTest::keyClick(count, Qt::Key_Return);
                    QTest::mouseClick(cut, Qt::LeftButton);
                    w.close();
                };
            }
            // clang-format on
        }
        QStringList boxes, records;
        for (const FakeDialogs::Shown &box : fs.dialogs.shown)
            boxes << box.title;
        for (int i = 1; i <= targets.size(); ++i)
            for (const History::Record &r : History::read(QString("i%1").arg(i)).records)
                records << QString("i%1=%2").arg(i).arg(r.count);
        QCOMPARE(boxes, seen.boxes);
        QCOMPARE(fs.windows.shown == QList {AppWindow::Settings}, seen.handedOver);
        QCOMPARE(w.findChild<QWidget *>("lblKoumoku")->property("text").toString(), seen.item);
        QCOMPARE(count->property("text").toString(), seen.count);
        QCOMPARE(next->property("text").toString(), seen.button);
        QCOMPARE(records, seen.records);
        QCOMPARE(fs.events.waits.count(100), seen.flashes);
    }

    // Real clicks and keys; the hand-over leaves the program running till the settings one closes.
    void realRound()
    {
        ScratchDir dir;
        ScratchDir::write(kList, listOf({1, 1}));
        FakeServices fs; // all but the windows
        AppWindows windows;
        Services services {fs.dialogs, fs.clock, fs.random, fs.events, windows, fs.help};
        windows.setServices(services);
        windows.show(AppWindow::Counting);
        QWidget *counting = windows.loaded(AppWindow::Counting), *settei = nullptr;
        QVERIFY(counting && QTest::qWaitForWindowExposed(counting));
        QTest::mouseClick(counting->findChild<QWidget *>("cmdNext"), Qt::LeftButton);
        QTest::keyClicks(counting->findChild<QWidget *>("txtKaisu"), "5\r"); // 15: after the 1
        QVERIFY((settei = windows.loaded(AppWindow::Settings)));
        bool closed = false; // stays false when the program had already ended
        QTimer::singleShot(0, settei, [&] { // a new round from an emptied list: 項目無し, settings
            ScratchDir::write(kList, "");
            fs.dialogs.onShow = [](auto &) {
                QCoreApplication::processEvents();
            }; // a box's loop
            QTest::mouseClick(settei->findChild<QWidget *>("cmdAgain"), Qt::LeftButton);
            QTimer::singleShot(0, qApp, [&] {
                settei = windows.loaded(AppWindow::Settings);
                closed = settei && settei->isVisible() && settei->close();
            });
        });
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(closed);
        QCOMPARE(ScratchDir::read("i1.txt"), kStamp + "1\r\n");
        QCOMPARE(ScratchDir::read("i2.txt"), kStamp + "15\r\n");
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
