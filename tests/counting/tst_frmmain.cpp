#include "codepage932.h"
#include "fakes.h"
#include "frmmain.h"
#include "scratchdir.h"
#include "uistyle.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <memory>

namespace {

const QString listFile = QStringLiteral("項目一覧.txt");
// "12月31日","07時05分09秒", as the fake clock stamps every record.
const QByteArray stamp = hex("22 31 32 8C 8E 33 31 93 FA 22 2C 22 30 37 8E 9E 30 35 95 AA 30 39 95 "
                             "62 22 2C");

// Items i1..iN, all with the same target.
QByteArray itemList(int count, int target = 5)
{
    QByteArray out;
    for (int k = 1; k <= count; ++k)
        out += "\"i" + QByteArray::number(k) + "\"," + QByteArray::number(target) + "\r\n";
    return out;
}

int records(const QString &item)
{
    const QByteArray bytes = ScratchDir::read(item + ".txt");
    return bytes == "<missing>" ? 0 : int(bytes.count("\r\n"));
}

struct Counting
{
    explicit Counting(const QByteArray &list) { ScratchDir::write(listFile, list); }
    frmMain &load()
    {
        w = std::make_unique<frmMain>(fs.services);
        w->Form_Load();
        return *w;
    }
    template<class T = QWidget> T *get(const QString &name) const
    {
        T *child = w->findChild<T *>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QLineEdit *txt() const { return get<QLineEdit>("txtKaisu"); }
    QToolButton *next() const { return get<QToolButton>("cmdNext"); }
    void clickNext() const { QTest::mouseClick(next(), Qt::LeftButton); }
    int colorOf(int item) const
    {
        const QColor c
            = get<QLabel>(QString("lblSnd(%1)").arg(item))->palette().color(QPalette::WindowText);
        for (int i = 0; i < 16; ++i) {
            if (UiStyle::paletteColor(i) == c)
                return i;
        }
        return -1;
    }

    ScratchDir dir;
    FakeServices fs;
    std::unique_ptr<frmMain> w;
};

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowAndFocusOrder();
    void startUp_data();
    void startUp();
    void nameFontSize_data();
    void nameFontSize();
    void suggestedCount_data();
    void suggestedCount();
    void nextReadsTheCount_data();
    void nextReadsTheCount();
    void wholeRound_data();
    void wholeRound();
    void historyIsWrittenBeforeTheItemList();
    void inputDuringTheFlashIsIgnored();
    void countEntry_data();
    void countEntry();
    void cutLeavesTheRound_data();
    void cutLeavesTheRound();
    void failedWrites_data();
    void failedWrites();
};

void TestFrmMain::windowAndFocusOrder()
{
    Counting c(itemList(1));
    c.w = std::make_unique<frmMain>(c.fs.services);
    QCOMPARE(c.w->windowTitle(), QStringLiteral("Zorvex"));
    QCOMPARE(c.w->minimumSize(), QSize(629, 450));
    QCOMPARE(c.w->maximumSize(), QSize(629, 450));
    QCOMPARE(c.w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint),
             Qt::WindowFlags());
    QCOMPARE(c.txt()->text(), QStringLiteral("0"));
    QCOMPARE(c.next()->text(), QStringLiteral("次へ"));
    QCOMPARE(c.get<QGroupBox>("Frame1")->title(), QStringLiteral("計画"));
    QVERIFY(!c.w->findChild<QWidget *>("lblSnd(0)") && !c.w->findChild<QWidget *>("lblSnd(21)"));

    QStringList order;
    for (QWidget *f = c.txt(); order.size() < 5; f = f->nextInFocusChain()) {
        if (f->focusPolicy() & Qt::TabFocus)
            order << f->objectName();
    }
    QCOMPARE(order, (QStringList {"txtKaisu", "cmdNext", "hsbKaisu", "cmdCut", "txtKaisu"}));
}

void TestFrmMain::startUp_data()
{
    QTest::addColumn<int>("items"); // -1: the list cannot be read
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no items") << 0 << "項目無し"
                              << "";
    QTest::newRow("unreadable list") << -1 << "読み込みエラー"
                                     << "";
    QTest::newRow("one") << 1 << ""
                         << "終了";
    QTest::newRow("twenty") << 20 << ""
                            << "次へ";
    QTest::newRow("twenty-five") << 25 << ""
                                 << "次へ";
}

void TestFrmMain::startUp()
{
    QFETCH(int, items);
    QFETCH(QString, warning);
    QFETCH(QString, caption);
    Counting c(itemList(qMax(items, 0)));
    if (items < 0) {
        QVERIFY(QFile::remove(listFile));
        QVERIFY(QDir().mkdir(listFile));
    }
    frmMain &w = c.load();
    if (!warning.isEmpty()) {
        QCOMPARE(c.fs.dialogs.titles(), QStringList {warning});
        if (items == 0)
            QCOMPARE(c.fs.dialogs.shown[0].text,
                     QStringLiteral("項目登録ボタンを押して項目を設定してください"));
        QCOMPARE(c.fs.dialogs.shown[0].icon, MessageIcon::Warning);
        QCOMPARE(c.fs.windows.shown, QList<AppWindow> {AppWindow::Settings});
        QCOMPARE(c.fs.windows.unloaded, QList<QWidget *> {&w});
        QVERIFY(!w.isVisible());
        QCOMPARE(ScratchDir::entries(), QStringList {listFile});
        return;
    }
    QVERIFY(c.fs.dialogs.shown.isEmpty());
    QVERIFY(w.isVisible());
    QCOMPARE(c.next()->text(), caption);
    for (int k = 1; k <= 20; ++k) {
        const QLabel *label = c.get<QLabel>(QString("lblSnd(%1)").arg(k));
        QCOMPARE(label->isVisible(), k <= items);
        if (k <= items) {
            QCOMPARE(label->text(), QString("%1.i%1").arg(k));
            QCOMPARE(c.colorOf(k), k == 1 ? 12 : 15);
        }
    }
    QCOMPARE(c.get<QLabel>("lblKoumoku")->text(), QStringLiteral("i1"));
    QCOMPARE(c.txt()->text(), c.get<QLabel>("lblKaisu")->text());
    QCOMPARE(w.focusWidget(), c.next());
}

void TestFrmMain::nameFontSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("points");
    QTest::newRow("empty") << "" << 16.0;
    QTest::newRow("5") << "腕立て伏せ" << 65.0;
    QTest::newRow("6") << "腕立て伏せ2" << 48.0;
    QTest::newRow("8") << "abcdefgh" << 48.0;
    QTest::newRow("9") << "abcdefghi" << 36.0;
    QTest::newRow("10") << "abcdefghij" << 36.0;
    QTest::newRow("11") << "abcdefghijk" << 28.0;
    QTest::newRow("14") << "abcdefghijklmn" << 28.0;
    QTest::newRow("15") << "abcdefghijklmno" << 22.0;
    QTest::newRow("18") << "abcdefghijklmnopqr" << 22.0;
    QTest::newRow("19") << "abcdefghijklmnopqrs" << 16.0;
}

void TestFrmMain::nameFontSize()
{
    QFETCH(QString, name);
    QFETCH(qreal, points);
    Counting c("\"" + CodePage932::encode(name).bytes + "\",5\r\n");
    c.load();
    QCOMPARE(c.get<QLabel>("lblKoumoku")->font().pointSizeF(), points);
}

void TestFrmMain::suggestedCount_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<float>("fraction");
    QTest::addColumn<QString>("shown");
    QTest::newRow("1, high draw") << 1 << 0.99999994f << "1";
    QTest::newRow("1, low draw") << 1 << 0.0f << "1";
    QTest::newRow("10, high draw") << 10 << 0.99f << "10";
    QTest::newRow("10, middle") << 10 << 0.55f << "6";
    QTest::newRow("zero target") << 0 << 0.7f << "1";
    QTest::newRow("negative target") << -5 << 0.5f << "-2";
    QTest::newRow("above the bar") << 30000 << 0.5f << "15001";
}

void TestFrmMain::suggestedCount()
{
    QFETCH(int, target);
    QFETCH(float, fraction);
    QFETCH(QString, shown);
    Counting c(itemList(2, target));
    c.fs.random.fractions.enqueue(fraction);
    c.load();
    QCOMPARE(c.get<QLabel>("lblKaisu")->text(), shown);
    QCOMPARE(c.txt()->text(), shown);
    QCOMPARE(c.fs.random.reseeds, 1);
    c.clickNext();
    QCOMPARE(ScratchDir::read("i1.txt"), stamp + shown.toLatin1() + "\r\n");
    QCOMPARE(c.fs.random.reseeds, 2);
    QCOMPARE(c.fs.random.draws, 2);
}

void TestFrmMain::nextReadsTheCount_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QByteArray>("recorded"); // empty: nothing recorded
    QTest::newRow("empty, cancel") << "" << false << true << QByteArray();
    QTest::newRow("0, OK") << "0" << true << true << QByteArray("0");
    QTest::newRow("0.5, OK") << "0.5" << true << true << QByteArray("0.5");
    QTest::newRow("1.5") << "1.5" << true << false << QByteArray("1.5");
    QTest::newRow("12abc") << "12abc" << true << false << QByteArray("12");
    QTest::newRow("abc12, cancel") << "abc12" << false << true << QByteArray();
    QTest::newRow("-3, OK") << "-3" << true << true << QByteArray("-3");
}

void TestFrmMain::nextReadsTheCount()
{
    QFETCH(QString, typed);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(QByteArray, recorded);
    Counting c(itemList(2));
    frmMain &w = c.load();
    c.txt()->setText(typed);
    c.fs.dialogs.okAnswers.enqueue(answer);
    c.clickNext();

    QCOMPARE(c.fs.dialogs.shown.size(), asked ? 1 : 0);
    if (asked) {
        const FakeDialogs::Shown &box = c.fs.dialogs.shown[0];
        QCOMPARE(box.text, QStringLiteral("回数ゼロで次へ進もうとしていますがよろしいいですか？"));
        QCOMPARE(box.title, QStringLiteral("確認"));
        QCOMPARE(box.icon, MessageIcon::Warning);
        QCOMPARE(box.buttons, MessageButtons::OkCancel);
    }
    if (recorded.isEmpty()) {
        QCOMPARE(ScratchDir::entries(), QStringList {listFile});
        QCOMPARE(c.colorOf(1), 12);
        QCOMPARE(c.next()->text(), QStringLiteral("次へ"));
        QCOMPARE(c.txt()->text(), typed);
        QCOMPARE(w.focusWidget(), c.txt());
        QVERIFY(c.fs.events.waits.isEmpty());
    } else {
        QCOMPARE(ScratchDir::read("i1.txt"), stamp + recorded + "\r\n");
        QCOMPARE(c.colorOf(1), 15);
        QCOMPARE(c.colorOf(2), 12);
    }
}

void TestFrmMain::wholeRound_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<QStringList>("captions"); // before each Next
    QTest::newRow("one") << 1 << QStringList {"終了"};
    QTest::newRow("two") << 2 << QStringList {"次へ", "終わり"};
    QTest::newRow("three") << 3 << QStringList {"次へ", "次へ", "終わり"};
    QStringList twenty(19, "次へ");
    twenty << "終わり";
    QTest::newRow("twenty-five, round of twenty") << 25 << twenty;
}

void TestFrmMain::wholeRound()
{
    QFETCH(int, items);
    QFETCH(QStringList, captions);
    Counting c(itemList(items));
    for (int k = 1; k <= items; ++k)
        ScratchDir::write(QString("i%1.txt").arg(k), "\"d\",\"t\",1\r\n");
    frmMain &w = c.load();
    for (const QString &caption : captions) {
        QCOMPARE(c.next()->text(), caption);
        QVERIFY(c.fs.windows.unloaded.isEmpty());
        c.clickNext();
    }
    QCOMPARE(c.fs.windows.unloaded, QList<QWidget *> {&w});
    QCOMPARE(c.fs.windows.shown, QList<AppWindow> {AppWindow::Settings});
    QCOMPARE(c.fs.events.waits.size(), captions.size() - 1);
    for (int k = 1; k <= items; ++k)
        QCOMPARE(records(QString("i%1").arg(k)), k <= 20 ? 2 : 1);
    QCOMPARE(ScratchDir::read(listFile), itemList(items));
}

namespace {

// Notes what the item list file holds at the moment a history record is stamped.
class ObservingClock final : public Clock
{
public:
    QDate currentDate() const override
    {
        listAtStamp = ScratchDir::read(listFile);
        return clock.currentDate();
    }
    QTime currentTime() const override { return clock.currentTime(); }
    qint64 monotonicMs() const override { return clock.monotonicMs(); }

    explicit ObservingClock(FakeClock &clock)
        : clock(clock)
    { }
    FakeClock &clock; // the one the fake event pump advances
    mutable QByteArray listAtStamp;
};

} // namespace

void TestFrmMain::historyIsWrittenBeforeTheItemList()
{
    // 腹筋 target 20, 腕立て target 15, the last line without its line end.
    const QByteArray list
        = hex("22 95 A0 8B D8 22 2C 32 30 0D 0A 22 98 72 97 A7 82 C4 22 2C 31 35");
    Counting c(list);
    ObservingClock clock(c.fs.clock);
    Services services {c.fs.dialogs, clock, c.fs.random, c.fs.events, c.fs.windows, c.fs.help};
    c.fs.random.fractions.enqueue(0.5f);
    frmMain w(services);
    w.Form_Load();
    QTest::mouseClick(w.findChild<QToolButton *>("cmdNext"), Qt::LeftButton);
    QCOMPARE(clock.listAtStamp, list);
    QCOMPARE(ScratchDir::read(listFile), list + "\r\n");
    QCOMPARE(ScratchDir::read(QStringLiteral("腹筋.txt")), stamp + "11\r\n");
}

void TestFrmMain::inputDuringTheFlashIsIgnored()
{
    Counting c(itemList(2));
    frmMain &w = c.load();
    bool closed = true;
    c.fs.events.duringDispatch = [&] {
        c.clickNext();
        QTest::keyClick(c.txt(), Qt::Key_Return);
        QTest::mouseClick(c.get<QAbstractButton>("cmdCut"), Qt::LeftButton);
        closed = w.close();
    };
    c.clickNext();
    QVERIFY(!closed);
    QVERIFY(w.isVisible());
    QVERIFY(c.fs.dialogs.shown.isEmpty());
    QVERIFY(c.fs.windows.shown.isEmpty() && c.fs.windows.unloaded.isEmpty());
    QCOMPARE(records("i1"), 1);
    QCOMPARE(records("i2"), 0);
    QCOMPARE(c.colorOf(2), 12);
}

void TestFrmMain::countEntry_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("textBefore"); // after the action, before Next
    QTest::addColumn<QByteArray>("recorded");
    QTest::newRow("Enter in the text box") << "enter"
                                           << "15" << QByteArray("15");
    QTest::newRow("Space on Next") << "space"
                                   << "15" << QByteArray("15");
    QTest::newRow("Return on Next") << "return"
                                    << "15" << QByteArray("15");
    QTest::newRow("keypad Enter on Next") << "keypad"
                                          << "15" << QByteArray("15");
    QTest::newRow("arrow") << "arrow"
                           << "52" << QByteArray("52");
    QTest::newRow("track") << "track"
                           << "41" << QByteArray("41");
    QTest::newRow("thumb") << "thumb"
                           << "70" << QByteArray("70");
}

void TestFrmMain::countEntry()
{
    QFETCH(QString, action);
    QFETCH(QString, textBefore);
    QFETCH(QByteArray, recorded);
    Counting c(itemList(2, 100));
    c.fs.random.fractions.enqueue(0.5f);
    c.load();
    auto *bar = c.get<QScrollBar>("hsbKaisu");
    QCOMPARE(bar->value(), 51);
    c.txt()->selectAll();
    QTest::keyClicks(c.txt(), "15");
    QCOMPARE(bar->value(), 51);
    if (action == "arrow")
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (action == "track")
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    else if (action == "thumb") {
        bar->setSliderDown(true);
        bar->setSliderPosition(70);
        QCOMPARE(c.txt()->text(), textBefore);
        bar->setSliderDown(false);
    }
    QCOMPARE(c.txt()->text(), textBefore);

    if (action == "enter")
        QTest::keyClick(c.txt(), Qt::Key_Return);
    else if (action == "space")
        QTest::keyClick(c.next(), Qt::Key_Space);
    else if (action == "return")
        QTest::keyClick(c.next(), Qt::Key_Return);
    else if (action == "keypad")
        QTest::keyClick(c.next(), Qt::Key_Enter, Qt::KeypadModifier);
    else
        c.clickNext();
    QCOMPARE(ScratchDir::read("i1.txt"), stamp + recorded + "\r\n");
    QCOMPARE(c.colorOf(2), 12);
}

void TestFrmMain::cutLeavesTheRound_data()
{
    QTest::addColumn<int>("nexts");
    QTest::newRow("before any Next") << 0;
    QTest::newRow("after one Next") << 1;
}

void TestFrmMain::cutLeavesTheRound()
{
    QFETCH(int, nexts);
    Counting c(itemList(3));
    frmMain &w = c.load();
    for (int i = 0; i < nexts; ++i)
        c.clickNext();
    QTest::mouseClick(c.get<QAbstractButton>("cmdCut"), Qt::LeftButton);
    QCOMPARE(c.fs.windows.unloaded, QList<QWidget *> {&w});
    QCOMPARE(c.fs.windows.shown, QList<AppWindow> {AppWindow::Settings});
    QVERIFY(c.fs.dialogs.shown.isEmpty());
    QCOMPARE(records("i1"), nexts);
    QCOMPARE(records("i2") + records("i3"), 0);
}

void TestFrmMain::failedWrites_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("advances");
    QTest::newRow("history") << "i1.txt" << false;
    QTest::newRow("item list") << listFile << true;
}

void TestFrmMain::failedWrites()
{
    QFETCH(QString, failing);
    QFETCH(bool, advances);
    Counting c(itemList(2));
    c.load();
    if (failing == listFile) {
        QVERIFY(QFile::remove(listFile));
        QVERIFY(QDir().mkdir(listFile));
    } else {
        QVERIFY(QFile::link("/dev/full", failing));
    }
    c.txt()->setText("7");
    c.clickNext();
    QCOMPARE(c.fs.dialogs.titles(), QStringList {"書き込みエラー"});
    QVERIFY(c.fs.dialogs.shown[0].text.startsWith(failing));
    QCOMPARE(c.colorOf(advances ? 2 : 1), 12);
    QVERIFY(c.fs.windows.shown.isEmpty());
    if (advances) {
        QCOMPARE(ScratchDir::read("i1.txt"), stamp + "7\r\n");
    } else {
        QCOMPARE(c.txt()->text(), QStringLiteral("7"));
        QCOMPARE(c.next()->text(), QStringLiteral("次へ"));
        QVERIFY(c.fs.events.waits.isEmpty());
        QCOMPARE(ScratchDir::read(listFile), itemList(2));
    }
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
