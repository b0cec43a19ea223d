#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "scratchdir.h"

#include <QProcess>
#include <QTest>
#include <unistd.h>

// Plays the commands that write, until killed. Each turn is a Next on item a (a history record,
// then the rewrite of the list as read), then one settings command on item b, chosen by the
// list's state: Register b (target 5), Save it with target 6, Clear it and Delete it. The
// history of a goes on from the records it holds: counts 0, 1, 2... no gap.
static int writeUntilKilled()
{
    FakeServices clock;
    ItemTable t;
    bool done = true;
    for (int i = int(History::read("a").records.size()); done && write(STDOUT_FILENO, "r", 1) == 1;
         ++i) {
        done = ItemList::load(t).ok() && History::appendSetRecord("a", i, clock).ok()
            && ItemList::save(t).ok();
        if (done && t.count() == 1) {
            done = ItemList::append("b", 5).ok() && History::ensure("b").ok();
        } else if (done && t.target(2) == 5) {
            t.setItem(2, "b", 6);
            done = ItemList::save(t).ok();
        } else if (done) {
            done = ItemList::save(t).ok() && History::clear("b").ok() && ItemList::save(t, 2).ok();
            History::remove("b");
        }
    }
    return 1;
}

class TestKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesWholeFiles()
    {
        ScratchDir dir;
        const QByteArray a("\"a\",1\r\n");
        const QByteArrayList versions {a, a + "\"b\",5\r\n", a + "\"b\",6\r\n"};
        const QString list = ItemList::defaultFileName(), history = History::fileName("a");
        ScratchDir::write(list, versions[0]);
        ScratchDir::write(history, ""); // there from the start, so a missing one is a loss
        const QStringList allowed {list, history, History::fileName("b")};
        QByteArray records, seen; // the history must be a growing run of the records 0, 1, 2...
        for (int kill = 0, written = 0; kill < 120; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--write-until-killed"});
            QVERIFY(child.waitForReadyRead(10000));
            QVERIFY(!child.waitForFinished(kill % 16)); // killed, never stopped
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            QVERIFY(versions.contains(ScratchDir::read(list)));
            QVERIFY(QByteArrayList({"", "<missing>"}).contains(ScratchDir::read("b.txt")));
            const QByteArray bytes = ScratchDir::read(history);
            while (records.size() < bytes.size())
                records += History::encodeRecord("12月31日", "07時05分09秒", written++);
            QVERIFY(records.startsWith(bytes));
            QVERIFY(bytes.startsWith(std::exchange(seen, bytes)));
            QCOMPARE(bytes.endsWith("\r\n"), !bytes.isEmpty()); // no record written in part
            for (const QString &entry : ScratchDir::entries())
                QVERIFY2(allowed.contains(entry) || entry.startsWith(list + '.'),
                         qPrintable(entry));
        }
        // A save killed between naming and renaming its new list leaves it; a load removes it.
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        for (const QString &entry : ScratchDir::entries())
            QVERIFY2(allowed.contains(entry), qPrintable(entry));
        qInfo("120 kills; %lld records written, none lost", qlonglong(seen.count("\r\n")));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestKill test;
    return app.arguments().endsWith("--write-until-killed") ? writeUntilKilled()
                                                            : QTest::qExec(&test, argc, argv);
}

#include "tst_kill.moc"
