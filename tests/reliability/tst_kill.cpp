#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "scratchdir.h"

#include <QProcess>
#include <QTest>
#include <unistd.h>

// Plays Next on item a until killed: a history record, then the rewrite of the list as read.
// The settings commands write through the same append and replace. The history goes on from the
// records it holds: counts 0, 1, 2... no gap.
static int writeUntilKilled()
{
    FakeServices clock;
    ItemTable t;
    for (int i = int(History::read("a").records.size()); write(STDOUT_FILENO, "r", 1) == 1; ++i) {
        if (!ItemList::load(t).ok() || !History::appendSetRecord("a", i, clock).ok()
            || !ItemList::save(t).ok())
            return 1;
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
        const QString list = ItemList::defaultFileName(), history = History::fileName("a");
        ScratchDir::write(list, a);
        ScratchDir::write(history, ""); // there from the start, so a missing one is a loss
        const QStringList allowed {list, history};
        QByteArray records, seen; // the history must be a growing run of the records 0, 1, 2...
        for (int kill = 0, written = 0; kill < 120; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--write-until-killed"});
            QVERIFY(child.waitForReadyRead(10000));
            QVERIFY(!child.waitForFinished(kill % 16)); // killed, never stopped
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(ScratchDir::read(list), a);
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
