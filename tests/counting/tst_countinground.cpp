// The real program's windows, clock, random generator and event pump, driven with key and mouse
// events on a real display.
#include "appwindows.h"
#include "clock.h"
#include "codepage932.h"
#include "dialogs.h"
#include "eventpump.h"
#include "fakes.h"
#include "randomsource.h"
#include "scratchdir.h"
#include "services.h"

#include <QApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class TestCountingRound : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void twoItemRoundEndsInTheSettingsWindow();
    void closingTheOnlyWindowEndsTheProgram();

private:
    // Runs the program's event loop; true when it ended by itself before a generous deadline.
    static bool programEnds()
    {
        QTimer::singleShot(20000, qApp, [] { QCoreApplication::exit(1); });
        return QCoreApplication::exec() == 0;
    }
};

namespace {

struct Program
{
    Program() { windows.setServices(services); }
    SystemClock clock;
    ClockSeededRandom random {clock};
    QtDialogs dialogs;
    QtEventPump events;
    FakeHelp help;
    AppWindows windows;
    Services services {dialogs, clock, random, events, windows, help};
};

// 腹筋 and 腕立て, both with target 1, so that every suggested count is 1.
const QByteArray twoItems
    = hex("22 95 A0 8B D8 22 2C 31 0D 0A 22 98 72 97 A7 82 C4 22 2C 31 0D 0A");

void checkOneRecord(const QString &item, const QString &count)
{
    const QString text = CodePage932::decode(ScratchDir::read(item + QStringLiteral(".txt"))).text;
    const QRegularExpression record(QStringLiteral(R"(^"\d\d月\d\d日","\d\d時\d\d分\d\d秒",)")
                                    + count + QStringLiteral("\r\n$"));
    QVERIFY2(record.match(text).hasMatch(), qPrintable(item + u':' + text));
}

} // namespace

void TestCountingRound::init()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestCountingRound::twoItemRoundEndsInTheSettingsWindow()
{
    ScratchDir dir;
    ScratchDir::write(QStringLiteral("項目一覧.txt"), twoItems);
    Program p;
    p.windows.show(AppWindow::Counting);
    QWidget *counting = p.windows.loaded(AppWindow::Counting);
    QVERIFY(counting);
    QVERIFY(QTest::qWaitForWindowExposed(counting));

    QTest::mouseClick(counting->findChild<QToolButton *>("cmdNext"), Qt::LeftButton);
    auto *txt = counting->findChild<QLineEdit *>("txtKaisu");
    QCOMPARE(txt->text(), QStringLiteral("1"));
    QTest::keyClick(txt, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(txt, "15");
    QTest::keyClick(txt, Qt::Key_Return);

    QVERIFY(!p.windows.loaded(AppWindow::Counting));
    QWidget *settings = p.windows.loaded(AppWindow::Settings);
    QVERIFY(settings && settings->isVisible());
    checkOneRecord(QStringLiteral("腹筋"), QStringLiteral("1"));
    checkOneRecord(QStringLiteral("腕立て"), QStringLiteral("15"));
    QCOMPARE(ScratchDir::read(QStringLiteral("項目一覧.txt")), twoItems);

    // The hand-over did not end the program; closing the settings window does.
    bool settingsStillOpen = false;
    QTimer::singleShot(0, settings, [&] {
        settingsStillOpen = settings->isVisible();
        settings->close();
    });
    QVERIFY(programEnds());
    QVERIFY(settingsStillOpen);
}

void TestCountingRound::closingTheOnlyWindowEndsTheProgram()
{
    ScratchDir dir;
    ScratchDir::write(QStringLiteral("項目一覧.txt"), twoItems);
    Program p;
    p.windows.show(AppWindow::Counting);
    QWidget *counting = p.windows.loaded(AppWindow::Counting);
    QVERIFY(QTest::qWaitForWindowExposed(counting));
    QTimer::singleShot(0, counting, [counting] { counting->close(); });
    QVERIFY(programEnds());
    QVERIFY(!p.windows.loaded(AppWindow::Settings));
    QCOMPARE(ScratchDir::entries(), QStringList {QStringLiteral("項目一覧.txt")});
}

QTEST_MAIN(TestCountingRound)
#include "tst_countinground.moc"
