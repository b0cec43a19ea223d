#include "fakes.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "scratchdir.h"

#include <QDirIterator>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

// Every entry below the parent directory with its inode, bytes and, if asked, time of change:
// any write, creation or deletion shows, even one that leaves the same bytes.
static QStringList snapshot(bool times)
{
    QStringList out;
    QDirIterator it("..", QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    for (struct stat st {}; it.hasNext() && lstat(QFile::encodeName(it.next()), &st) == 0;)
        out << it.filePath() + QString(" %1 %2 ").arg(st.st_ino).arg(times ? st.st_mtim.tv_nsec : 0)
                + ScratchDir::read(it.filePath()).toHex();
    return out;
}

enum class Do { Next, Register, Rename };
Q_DECLARE_METATYPE(Do)

class TestFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A hostile name is refused at registration and at save and touches nothing, not even a
    // file's time; a disk full at the limit leaves every file as it was, here and in the parent.
    void nothingLostOrTouched_data()
    {
        QTest::addColumn<Do>("what");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("sizeLimit"); // bytes a file may reach, -1 for none
        QTest::addColumn<QString>("box");
        QTest::newRow("a history record on a full disk")
            << Do::Next << "" << 30 << "書き込みエラー";
        QTest::newRow("an item list record on a full disk")
            << Do::Register << "c" << 20 << "書き込みエラー";
        // clang-format off
        const QStringList names {"a/b", "../outside", "..\\outside", "/tmp/zorvex", "..", ".", "*", "a?", "a:b", "\"",
            "<a>", "a|b", "項目一覧", "😀", "𠮷", QString(300, u'あ'), "a\x01", "a\r\nb", "\x7f", "a\u0085", "\u202e",
            QString(QChar(0xDCFF)), QString(QChar(0xD842))};
        // clang-format on
        for (int i = 0; i < names.size(); ++i) {
            QTest::addRow("registering hostile name %d", i)
                << Do::Register << names[i] << -1 << "項目名エラー";
            QTest::addRow("renaming to hostile name %d", i)
                << Do::Rename << names[i] << -1 << "項目名エラー";
        }
    }
    void nothingLostOrTouched()
    {
        QFETCH(Do, what);
        QFETCH(QString, name);
        QFETCH(int, sizeLimit);
        ScratchDir dir;
        for (const char *file : {"outside.txt", "項目一覧.txt", "zorvex.txt"})
            ScratchDir::write(file, "keep");
        QVERIFY(QDir().mkdir("work") && QDir::setCurrent("work"));
        ScratchDir::write("項目一覧.txt", "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", "\"d\",\"t\",1\r\n");
        const QStringList before = snapshot(sizeLimit < 0);
        FakeServices fs;
        QWidget both;
        frmMain counting(fs.services, &both);
        frmSettei settings(fs.services, &both);
        counting.Form_Load(), settings.Form_Load();
        rlimit old {}, full {sizeLimit < 0 ? RLIM_INFINITY : rlim_t(sizeLimit), RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(prlimit(0, RLIMIT_FSIZE, &full, &old) == 0);
        const auto click = [&](const char *button) {
            QMetaObject::invokeMethod(both.findChild<QWidget *>(button), "click");
        };
        if (what == Do::Next)
            click("cmdNext");
        else if (what == Do::Register)
            fs.dialogs.inputAnswers << name << "4", click("cmdNew");
        else
            both.findChild<QWidget *>("lstKoumoku")->setProperty("currentRow", 1),
                both.findChild<QWidget *>("txtKoumoku")->setProperty("text", name),
                click("cmdHozon");
        setrlimit(RLIMIT_FSIZE, &old);
        QTEST(fs.dialogs.shown.value(fs.dialogs.shown.size() - 1).title, "box"); // the last box
        QCOMPARE(snapshot(sizeLimit < 0), before);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
