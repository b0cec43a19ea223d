#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "scratchdir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <unistd.h>

// Plays the commands that write, until killed. Each turn is a Next on item a (a history record,
// then the rewrite of the list as read), then one settings command on item b, chosen by the
// list's state: Register b (target 5), Save it with target 6, Clear it and Delete it. The
// history of a goes on from the records it holds: counts 0, 1, 2... no gap.
static int writeUntilKilled()
{
    FakeClock clock;
    ItemTable t;
    for (int i = int(History::read("a").records.size()); write(STDOUT_FILENO, "r", 1) == 1; ++i) {
        bool done = ItemList::load(t).ok() && History::appendSetRecord("a", i, clock).ok()
            && ItemList::save(t).ok();
        if (done && t.count() == 1) {
            done = ItemList::append("b", 5).ok() && History::ensure("b").ok();
        } else if (done && t.target(2) == 5) {
            t.setItem(2, "b", 6);
            done = ItemList::save(t).ok();
        } else if (done) {
            done = ItemList::save(t).ok() && History::clear("b").ok() && ItemList::save(t, 2).ok()
                && ItemList::load(t).ok();
            History::remove("b");
        }
        if (!done)
            return 1;
    }
    return 2;
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
        // The new list a save killed between naming and renaming it leaves; the next load removes
        // it.
        const QRegularExpression leftover("^" + list + "\\.[A-Za-z0-9]{6}$");
        QByteArray records, seen; // the history must be a growing run of the records 0, 1, 2...
        QRandomGenerator random(20240607);
        int leftovers = 0;
        for (int kill = 0, written = 0; kill < 240; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--write-until-killed"});
            // The writer runs a random few milliseconds and must not stop by itself.
            QVERIFY(child.waitForReadyRead(10000) && !child.waitForFinished(random.bounded(16)));
            child.kill();
            QVERIFY(child.waitForFinished(10000) && child.exitStatus() == QProcess::CrashExit);
            QVERIFY(versions.contains(ScratchDir::read(list)));
            QVERIFY(QByteArrayList({"", "<missing>"}).contains(ScratchDir::read("b.txt")));
            const QByteArray bytes = ScratchDir::read(history);
            while (records.size() < bytes.size())
                records += History::encodeRecord("12月31日", "07時05分09秒", written++);
            QVERIFY(records.startsWith(bytes) && bytes.startsWith(std::exchange(seen, bytes))
                    && bytes.endsWith("\r\n") == !bytes.isEmpty());
            for (const QString &entry : ScratchDir::entries()) {
                leftovers += leftover.match(entry).hasMatch();
                QVERIFY2(allowed.contains(entry) || leftover.match(entry).hasMatch(),
                         qPrintable(entry));
            }
        }
        ItemTable t;
        QVERIFY(ItemList::load(t).ok());
        for (const QString &entry : ScratchDir::entries())
            QVERIFY2(allowed.contains(entry), qPrintable(entry));
        qInfo("240 kills; %lld records written, none lost; %d leftover lists seen and removed",
              qlonglong(seen.count("\r\n")), leftovers);
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
