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

// Every entry under the directory with its inode, size, time of change and bytes: any write,
// creation or deletion shows, even one that leaves the same bytes.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st
        {
        };
        lstat(QFile::encodeName(path).constData(), &st);
        out[path.mid(root.size())] = QByteArray::number(qulonglong(st.st_ino)) + ' '
            + QByteArray::number(qlonglong(st.st_mtim.tv_nsec)) + ' ' + ScratchDir::read(path);
    }
    return out;
}

// Runs steps in a window: "?x" answers an input box, "pN" picks list row N, "k=" and "n=" type
// into txtKoumoku and txtKaisu, a control's name clicks it; "next" presses Next in the counting
// window. A file size limit, when given, stands for a disk that fills at that size.
QStringList run(const QString &steps, rlim_t limit = RLIM_INFINITY)
{
    FakeServices fs;
    if (!ZRVM::LoadItemList().ok())
        return {"unreadable"};
    std::unique_ptr<QWidget> w;
    if (steps == "next") {
        auto *m = new frmMain(fs.services);
        w.reset(m);
        m->Form_Load();
    } else {
        auto *s = new frmSettei(fs.services);
        w.reset(s);
        s->Form_Load();
    }
    rlimit old {}, full {};
    getrlimit(RLIMIT_FSIZE, &old);
    full = old;
    full.rlim_cur = limit;
    std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &full);
    for (const QString &step : steps.split(u';')) {
        auto *lst = w->findChild<QListWidget *>("lstKoumoku");
        if (step.startsWith(u'?'))
            fs.dialogs.inputAnswers.enqueue(step.mid(1));
        else if (step.startsWith(u'p'))
            lst->setCurrentRow(step.mid(1).toInt()), Q_EMIT lst->itemClicked(lst->currentItem());
        else if (step.startsWith("k=") || step.startsWith("n="))
            w->findChild<QLineEdit *>(step[0] == u'k' ? "txtKoumoku" : "txtKaisu")
                ->setText(step.mid(2));
        else
            w->findChild<QAbstractButton *>(step == "next" ? "cmdNext" : step)->click();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    QStringList titles;
    for (const FakeDialogs::Shown &box : fs.dialogs.shown)
        titles << (box.kind == "input" ? "?" : box.title);
    return titles;
}

const QString kList = "項目一覧.txt";
const QByteArray kRecord = "\"d\",\"t\",1\r\n";

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
            QTest::newRow(qPrintable(name.left(8).toUtf8().toHex())) << name;
        QTest::newRow("trailing blank") << "a ";
    }
    void hostileNamesTouchNothing()
    {
        QFETCH(QString, name);
        ScratchDir dir;
        for (const char *file : {"outside.txt", "項目一覧.txt", "zorvex.txt"})
            ScratchDir::write(file, "keep");
        QVERIFY(QDir().mkdir("work") && QDir::setCurrent("work"));
        ScratchDir::write(kList, "\"a\",1\r\n\"b\",2\r\n");
        ScratchDir::write("a.txt", kRecord);
        const auto before = snapshot(dir.path());
        const QStringList titles = run("?" + name + ";?5;cmdNew;p1;k=" + name + ";n=3;cmdHozon");
        const auto after = snapshot(dir.path());
        if (name != "a ") {
            QCOMPARE(titles, QStringList({"?", "項目名エラー", "項目名エラー"}));
            QVERIFY(after == before);
            return;
        }
        QCOMPARE(titles, QStringList({"?", "?", "新規登録終了", "設定更新終了"}));
        QCOMPARE(ScratchDir::read(kList), "\"a\",1\r\n\"a \",3\r\n\"a \",5\r\n");
        QCOMPARE(ScratchDir::read("a .txt"), QByteArray());
        for (const QString &path : before.keys())
            QVERIFY(path.endsWith(kList) || path == "/work" || after.value(path) == before[path]);
    }

    void faultsLoseNothing_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("titles");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("history");
        const QByteArray list = "\"a\",1\r\n\"b\",2\r\n";
        const QString cantWrite = "書き込みエラー";
        // The disk fills part way through the record or the new list.
        QTest::newRow("next") << "next" << 30 << cantWrite << list << kRecord;
        QTest::newRow("register") << "?c;?4;cmdNew" << 20 << "?,?," + cantWrite << list << kRecord;
        QTest::newRow("save") << "p0;k=z;n=8;cmdHozon" << 12 << cantWrite << list << kRecord;
        QTest::newRow("clear") << "p0;cmdClear" << 12 << "クリア確認," + cantWrite << list
                               << kRecord;
        QTest::newRow("delete") << "p0;cmdDel" << 5 << "クリア確認," + cantWrite << list << kRecord;
        // Bytes no code page has are shown as they come and kept through an append.
        QTest::newRow("not code page 932")
            << "next" << -1 << "" << list + "\xff" << QByteArray("\"\x81\",\"\xff\x80\",\xfd\r\n");
        // A hand-edited list is read as documented and written back in the program's form.
        QTest::newRow("hand-edited list")
            << "next" << -1 << ""
            << QByteArray("\r\n\"a\"\r\n\"b\",2,9\r\n\"c\",x\r\n\"d\",40000\r\n"
                          "\"e\",-40000\r\n\"f\0g\",3",
                          61)
            << QByteArray();
    }
    void faultsLoseNothing()
    {
        QFETCH(QString, steps);
        QFETCH(int, limit);
        QFETCH(QString, titles);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, history);
        ScratchDir dir;
        ScratchDir::write(kList, list);
        ScratchDir::write("a.txt", history);
        QCOMPARE(run(steps, limit < 0 ? RLIM_INFINITY : rlim_t(limit)).join(u','), titles);
        QCOMPARE(ScratchDir::read("a.txt"),
                 limit > 0 ? history : history + ScratchDir::read("a.txt").right(29));
        QCOMPARE(ScratchDir::entries(), QStringList({"a.txt", kList}));
        if (limit > 0)
            QCOMPARE(ScratchDir::read(kList), list);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
