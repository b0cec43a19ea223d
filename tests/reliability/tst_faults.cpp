#include "fakes.h"
#include "frmmain.h"
#include "frmsettei.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const QString kList = "項目一覧.txt";
const QByteArray kItems = "\"a\",1\r\n\"b\",2\r\n", kRecord = "\"d\",\"t\",1\r\n";

// Every entry below the directory with its inode, time of change and bytes: any write,
// creation or deletion shows, even one that leaves the same bytes.
QStringList snapshot(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    for (struct stat st {}; it.hasNext() && lstat(QFile::encodeName(it.next()), &st) == 0;)
        out << it.filePath() + QString(" %1 %2 ").arg(st.st_ino).arg(st.st_mtim.tv_nsec)
                + ScratchDir::read(it.filePath()).toHex();
    return out;
}

// Steps: "?x" answers an input box, "pN" picks list row N, "k=" and "n=" type into txtKoumoku
// and txtKaisu, a control's name clicks it ("cmdNext" in the counting window). Files may grow
// only up to the limit, as on a disk that fills there. Gives the titles of the boxes shown.
QString run(const QString &steps, rlim_t limit = RLIM_INFINITY)
{
    FakeServices fs;
    std::unique_ptr<QWidget> w;
    if (!ZRVM::LoadItemList().ok())
        return "unreadable";
    if (steps == "cmdNext")
        w = std::make_unique<frmMain>(fs.services), static_cast<frmMain &>(*w).Form_Load();
    else
        w = std::make_unique<frmSettei>(fs.services), static_cast<frmSettei &>(*w).Form_Load();
    rlimit old {}, full {};
    getrlimit(RLIMIT_FSIZE, &old);
    full = {limit, old.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &full);
    for (const QString &step : steps.split(u';')) {
        auto *lst = w->findChild<QListWidget *>("lstKoumoku");
        if (step.startsWith(u'?'))
            fs.dialogs.inputAnswers.enqueue(step.mid(1));
        else if (step.startsWith(u'p'))
            lst->setCurrentRow(step.mid(1).toInt()), Q_EMIT lst->itemClicked(lst->currentItem());
        else if (step[1] == u'=')
            w->findChild<QLineEdit *>(step[0] == u'k' ? "txtKoumoku" : "txtKaisu")
                ->setText(step.mid(2));
        else
            w->findChild<QAbstractButton *>(step)->click();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    QStringList titles;
    for (const FakeDialogs::Shown &box : fs.dialogs.shown)
        titles << (box.kind == "input" ? "?" : box.title);
    return titles.join(u',');
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hostileNamesTouchNothing_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : QStringList {"a/b",
                                                "../outside",
                                                "..\\outside",
                                                "/tmp/zorvex",
                                                "..",
                                                ".",
                                                "*",
                                                "a?",
                                                "a:b",
                                                "\"",
                                                "<a>",
                                                "a|b",
                                                "項目一覧",
                                                "😀",
                                                "𠮷",
                                                QString(300, u'あ'),
                                                "a\x01",
                                                "a\r\nb",
                                                "\x7f",
                                                "a\u0085",
                                                "\u202e",
                                                QString(QChar(0xDCFF)),
                                                QString(QChar(0xD842))})
            QTest::newRow(name.left(8).toUtf8().toHex().constData()) << name;
    }
    // Refused at registration and at save, and nothing in the directory or its parent changes.
    void hostileNamesTouchNothing()
    {
        QFETCH(QString, name);
        ScratchDir dir;
        for (const char *file : {"outside.txt", "項目一覧.txt", "zorvex.txt"})
            ScratchDir::write(file, "keep");
        QVERIFY(QDir().mkdir("work") && QDir::setCurrent("work"));
        ScratchDir::write(kList, kItems);
        ScratchDir::write("a.txt", kRecord);
        const QStringList before = snapshot(dir.path());
        QCOMPARE(run("?" + name + ";?5;cmdNew;p1;k=" + name + ";n=3;cmdHozon"),
                 "?,項目名エラー,項目名エラー");
        QCOMPARE(snapshot(dir.path()), before);
    }

    // The disk fills part way through the record or the new list.
    void fullDiskLosesNothing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("titles");
        QTest::newRow("next") << "cmdNext" << 30 << "";
        QTest::newRow("register") << "?c;?4;cmdNew" << 20 << "?,?,";
        QTest::newRow("save") << "p0;k=z;n=8;cmdHozon" << 12 << "";
        QTest::newRow("clear") << "p0;cmdClear" << 12 << "クリア確認,";
        QTest::newRow("delete") << "p0;cmdDel" << 5 << "クリア確認,";
    }
    void fullDiskLosesNothing()
    {
        QFETCH(QString, steps);
        QFETCH(int, limit);
        QFETCH(QString, titles);
        ScratchDir dir;
        ScratchDir::write(kList, kItems);
        ScratchDir::write("a.txt", kRecord);
        QCOMPARE(run(steps, rlim_t(limit)), titles + "書き込みエラー");
        QCOMPARE(ScratchDir::read("a.txt") + ScratchDir::read(kList), kRecord + kItems);
        QCOMPARE(ScratchDir::entries(), QStringList({"a.txt", kList}));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
