#include "appwindows.h"
#include "clock.h"
#include "dialogs.h"
#include "eventpump.h"
#include "fakes.h"
#include "randomsource.h"
#include "scratchdir.h"
#include "services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

// Answers the real modal boxes as a user would: types into an input box and presses OK.
// A box with no answer left is closed and noted, so a surprise cannot hang the test.
class DialogUser : public QObject
{
public:
    DialogUser()
    {
        m_timer.callOnTimeout(this, &DialogUser::look);
        m_timer.start(10);
    }
    QStringList answers; // an empty answer presses OK on a message box
    QStringList seen; // title of every box, then the answer given

private:
    void look()
    {
        QWidget *box = QApplication::activeModalWidget();
        if (!box || box == m_last || !box->isVisible())
            return;
        m_last = box;
        if (answers.isEmpty()) {
            seen.append(box->windowTitle() + QStringLiteral(": unexpected"));
            box->close();
            return;
        }
        const QString answer = answers.takeFirst();
        seen.append(box->windowTitle());
        if (auto *input = qobject_cast<QInputDialog *>(box)) {
            input->findChild<QLineEdit *>()->insert(answer);
            for (QAbstractButton *b : input->findChildren<QAbstractButton *>()) {
                if (b->text() == QLatin1String("OK"))
                    b->click();
            }
        } else if (auto *message = qobject_cast<QMessageBox *>(box)) {
            message->button(QMessageBox::Ok)->click();
        }
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
};

QStringList rows(const QAbstractItemView *view)
{
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out.append(view->model()->index(r, 0).data().toString());
    return out;
}

} // namespace

class TestSettingsProgram : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void registerPlayDeleteAndExit();
};

void TestSettingsProgram::registerPlayDeleteAndExit()
{
    ScratchDir dir;
    SystemClock clock;
    ClockSeededRandom random(clock);
    QtDialogs dialogs;
    QtEventPump events;
    FakeHelp help;
    AppWindows windows;
    Services services {dialogs, clock, random, events, windows, help};
    windows.setServices(services);
    DialogUser user;

    user.answers = {""};
    windows.show(AppWindow::Counting);
    QPointer<QWidget> settei = windows.loaded(AppWindow::Settings);
    QVERIFY(settei && settei->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(settei));

    user.answers = {"腹筋", "3", "", "腕立て", "2", ""};
    settei->findChild<QAbstractButton *>("cmdNew")->click();
    settei->findChild<QAbstractButton *>("cmdNew")->click();
    QCOMPARE(ScratchDir::read("項目一覧.txt"),
             hex("22 95 A0 8B D8 22 2C 33 0D 0A 22 98 72 97 A7 82 C4 22 2C 32 0D 0A"));

    settei->findChild<QAbstractButton *>("cmdAgain")->click();
    QWidget *counting = windows.loaded(AppWindow::Counting);
    QVERIFY(counting && counting->isVisible());
    QTRY_VERIFY(!settei);
    counting->findChild<QAbstractButton *>("cmdNext")->click();
    counting->findChild<QAbstractButton *>("cmdNext")->click();

    settei = windows.loaded(AppWindow::Settings);
    QVERIFY(settei && settei->isVisible());
    auto *rireki = settei->findChild<QListView *>("lstRireki");
    auto *goukei = settei->findChild<QLabel *>("lblGoukei");
    QCOMPARE(rows(rireki).size(), 1);
    QVERIFY(rows(rireki).first().startsWith("1 _ "));
    const int first = goukei->text().mid(7).toInt();
    QVERIFY2(first >= 1 && first <= 3, qPrintable(goukei->text()));
    auto *combo = settei->findChild<QComboBox *>("cboKoumoku");
    combo->setCurrentIndex(1);
    Q_EMIT combo->activated(1);
    QCOMPARE(rows(rireki).size(), 1);
    QVERIFY(goukei->text() == "合計回数 ： 1" || goukei->text() == "合計回数 ： 2");

    auto *list = settei->findChild<QListWidget *>("lstKoumoku");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    user.answers = {"", ""};
    settei->findChild<QAbstractButton *>("cmdDel")->click();
    QCOMPARE(ScratchDir::entries(), QStringList({"腕立て.txt", "項目一覧.txt"}));
    QCOMPARE(rows(list), QStringList {"腕立て"});

    settei->findChild<QAbstractButton *>("cmdEnd")->click();
    QCOMPARE(help.closed, QStringList {"QvHelp.chm"});
    QVERIFY(!settei->isVisible());
    QCOMPARE(user.seen,
             QStringList({"項目無し", "項目名入力", "指示数入力", "新規登録終了", "項目名入力",
                          "指示数入力", "新規登録終了", "クリア確認", "削除終了"}));
}

QTEST_MAIN(TestSettingsProgram)
#include "tst_settings_program.moc"
