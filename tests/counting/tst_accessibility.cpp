#include "fakes.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "scratchdir.h"

#include <QAccessible>
#include <QTest>

// Both windows on situp 20 (no sets yet) and pushup 15 (one set of 5).
struct Scene : QWidget
{
    Scene()
    {
        ScratchDir::write("項目一覧.txt", "\"situp\",20\r\n\"pushup\",15\r\n");
        ScratchDir::write("pushup.txt", "\"d\",\"t\",5\r\n");
        counting.Form_Load();
        settei.Form_Load();
        settei.show();
    }
    ScratchDir dir;
    FakeServices fs;
    frmMain counting {fs.services, this};
    frmSettei settei {fs.services, this};
};

class TestAccessibility : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // clang-format off
    void namesAndStates_data()
    {
        QTest::addColumn<bool>("next");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("invisible");
        QTest::newRow("current plan entry marked") << false << "lblSnd(1)" << "1.situp" << "実施中" << false;
        QTest::newRow("unused plan entry hidden") << false << "lblSnd(3)" << "計画" << "" << true;
        QTest::newRow("Next: mark moves on") << true << "lblSnd(1)" << "1.situp" << "" << false;
        QTest::newRow("Next: caption changed") << true << "cmdNext" << "終わり" << "" << false;
        QTest::newRow("total label reads the total") << false << "lblGoukei" << "合計回数 ： 0" << "合計" << false;
    }

    void settingsKeys_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("shows");
        QTest::addColumn<QString>("text");
        QTest::newRow("first arrow in item list: first item") << "lstKoumoku" << "" << int(Qt::Key_Down) << "txtKoumoku" << "situp";
        QTest::newRow("typed name, Tab: same history") << "cboKoumoku" << "pushup" << int(Qt::Key_Tab) << "lblGoukei" << "合計回数 ： 0";
        QTest::newRow("typed name, Enter: same history") << "cboKoumoku" << "pushup" << int(Qt::Key_Return) << "lblGoukei" << "合計回数 ： 0";
    }
    // clang-format on

    void namesAndStates()
    {
        QFETCH(bool, next);
        QFETCH(QString, control);
        Scene s;
        if (next)
            QTest::keyClick(s.findChild<QWidget *>("cmdNext"), Qt::Key_Return);
        auto *a = QAccessible::queryAccessibleInterface(s.findChild<QWidget *>(control));
        QTEST(a->text(QAccessible::Name), "name");
        QTEST(a->text(QAccessible::Description), "description");
        QTEST(bool(a->state().invisible), "invisible");
    }

    void settingsKeys()
    {
        QFETCH(QString, focus);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, shows);
        Scene s;
        QVERIFY(QTest::qWaitForWindowActive(&s.settei));
        s.findChild<QWidget *>(focus)->setFocus(Qt::TabFocusReason); // as by Tab
        QTest::keyClicks(s.findChild<QWidget *>(focus), typed);
        QTest::keyClick(s.findChild<QWidget *>(focus), Qt::Key(key));
        QTEST(s.findChild<QWidget *>(shows)->property("text").toString(), "text");
    }

    void enterOnScissorsLeavesWithoutARecord()
    {
        Scene s;
        QTest::keyClick(s.findChild<QWidget *>("cmdCut"), Qt::Key_Return);
        QCOMPARE(s.fs.windows.shown, QList {AppWindow::Settings});
        QCOMPARE(ScratchDir::exists("situp.txt"), false);
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
