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

class TestFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A hostile name is refused at registration and at save and touches nothing, not even a
    // file's time; a disk full at the limit leaves every file as it was, here and in the parent.
    // Steps: "?x" answers an input box, "k=x" picks item 2 and types x as its name, else a click.
    void nothingLostOrTouched_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("titles");
        QTest::newRow("history record") << "cmdNext" << 30 << "書き込みエラー";
        QTest::newRow("item list record") << "?c;?4;cmdNew" << 20 << "?,?,書き込みエラー";
        // clang-format off
        const QStringList names {"a/b", "../outside", "..\\outside", "/tmp/zorvex", "..", ".", "*", "a?", "a:b", "\"",
            "<a>", "a|b", "項目一覧", "😀", "𠮷", QString(300, u'あ'), "a\x01", "a\r\nb", "\x7f", "a\u0085", "\u202e",
            QString(QChar(0xDCFF)), QString(QChar(0xD842))};
        // clang-format on
        for (int i = 0; i < names.size(); ++i)
            QTest::addRow("name %d", i) << "?" + names[i] + ";?5;cmdNew;k=" + names[i] + ";cmdHozon"
                                        << -1 << "?,項目名エラー,項目名エラー";
    }
    void nothingLostOrTouched()
    {
        QFETCH(QString, steps);
        QFETCH(int, limit);
        QFETCH(QString, titles);
        ScratchDir dir;
        for (const char *file : {"outside.txt", "項目一覧.txt", "zorvex.txt"})
            ScratchDir::write(file, "keep");
        QVERIFY(QDir().mkdir("work") && QDir::setCurrent("work"));
        ScratchDir::write("項目一覧.txt", "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", "\"d\",\"t\",1\r\n");
        const QStringList before = snapshot(limit < 0);
        FakeServices fs;
        QWidget both;
        frmMain counting(fs.services, &both);
        frmSettei settings(fs.services, &both);
        counting.Form_Load(), settings.Form_Load();
        rlimit old {}, full {limit < 0 ? RLIM_INFINITY : rlim_t(limit), RLIM_INFINITY};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(prlimit(0, RLIMIT_FSIZE, &full, &old) == 0);
        for (const QString &step : steps.split(u';')) {
            if (step.startsWith(u'?'))
                fs.dialogs.inputAnswers.enqueue(step.mid(1));
            else if (step.startsWith("k="))
                both.findChild<QWidget *>("lstKoumoku")->setProperty("currentRow", 1),
                    both.findChild<QWidget *>("txtKoumoku")->setProperty("text", step.mid(2));
            else
                QMetaObject::invokeMethod(both.findChild<QWidget *>(step), "click");
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QStringList shown; // titles, "?" for an input box
        for (const FakeDialogs::Shown &box : fs.dialogs.shown)
            shown << (box.kind == "input" ? "?" : box.title);
        QCOMPARE(shown.join(u','), titles);
        QCOMPARE(snapshot(limit < 0), before);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
