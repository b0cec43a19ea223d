#include "fakes.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "scratchdir.h"

#include <QTest>
#include <csignal>
#include <sys/resource.h>

class TestFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A hostile name is refused at registration and at save and touches nothing, not even a
    // file's time; a disk full at the limit leaves every file as it was, here and in the parent,
    // and a first record that could not be written leaves no history file behind.
    void nothingLostOrTouched_data()
    {
        QTest::addColumn<QString>("button"); // cmdNew asks for a name, cmdHozon saves it as item b
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sizeLimit"); // bytes a file may reach, -1 for none
        QTest::addColumn<QString>("box");
        // clang-format off
        QTest::newRow("a history record on a full disk") << "cmdNext" << "" << 10 << "書き込みエラー";
        QTest::newRow("registering on a full disk") << "cmdNew" << "c" << 20 << "書き込みエラー";
        QTest::newRow("saving on a full disk") << "cmdHozon" << "c" << 10 << "書き込みエラー";
        // clang-format on
        const QList<std::pair<const char *, QString>> names {
            {"a separator", "../outside"},    {"the parent folder", ".."},
            {"the item list", "項目一覧"},    {"no code page 932", "😀"},
            {"a control character", "a\x01"}, {"too long", QString(300, u'あ')}};
        for (const auto &[what, name] : names) {
            QTest::addRow("registering %s", what) << "cmdNew" << name << -1 << "項目名エラー";
            QTest::addRow("saving %s", what) << "cmdHozon" << name << -1 << "項目名エラー";
        }
    }
    void nothingLostOrTouched()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);
        QFETCH(int, sizeLimit);
        ScratchDir dir;
        for (const char *file : {"outside.txt", "項目一覧.txt"})
            ScratchDir::write(file, "keep");
        QVERIFY(QDir().mkdir("work") && QDir::setCurrent("work"));
        ScratchDir::write("項目一覧.txt", "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("b.txt", "\"d\",\"t\",1\r\n");
        const QStringList before = snapshot("..", sizeLimit < 0);
        FakeServices fs;
        QWidget both;
        frmMain counting(fs.services, &both);
        frmSettei settings(fs.services, &both);
        counting.Form_Load();
        settings.Form_Load();
        both.findChild<QWidget *>("lstKoumoku")->setProperty("currentRow", 1);
        both.findChild<QWidget *>("txtKoumoku")->setProperty("text", name);
        fs.dialogs.inputAnswers << name << "4";
        rlimit old {}, full {sizeLimit < 0 ? RLIM_INFINITY : rlim_t(sizeLimit), RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(prlimit(0, RLIMIT_FSIZE, &full, &old) == 0);
        QMetaObject::invokeMethod(both.findChild<QWidget *>(button), "click");
        setrlimit(RLIMIT_FSIZE, &old);
        QTEST(fs.dialogs.shown.value(fs.dialogs.shown.size() - 1), "box"); // the last box
        QCOMPARE(snapshot("..", sizeLimit < 0), before);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
