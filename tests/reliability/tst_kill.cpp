#include "fakes.h"
#include "history.h"
#include "itemlist.h"
#include "scratchdir.h"
#include "textfile.h"

#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <unistd.h>

// Alternates two item lists, of which neither is the start of the other, and appends a history
// record, until killed. The history goes on from the records it holds: counts 0, 1, 2... no gap.
static int writeUntilKilled()
{
    FakeClock clock;
    ItemTable tables[2];
    tables[0].replaceAll(QList<Item>(3, Item {"a", 1}));
    tables[1].replaceAll(QList<Item>(20, Item {",", 2}));
    for (int i = int(History::read("a").records.size()); write(STDOUT_FILENO, "r", 1) == 1; ++i)
        if (!ItemList::save(tables[i % 2]).ok() || !History::appendSetRecord("a", i, clock).ok())
            return 1;
    return 2;
}

class TestKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesWholeFiles()
    {
        ScratchDir dir;
        const QByteArrayList versions {QByteArray("\"a\",1\r\n").repeated(3),
                                       QByteArray("\",\",2\r\n").repeated(20)};
        const QString list = ItemList::defaultFileName(), history = History::fileName("a");
        ScratchDir::write(list, versions[0]);
        ScratchDir::write(history, ""); // there from the start, so a missing one is a loss
        // At most the one hidden file a save killed between naming and renaming leaves.
        const QStringList allowed {list, history,
                                   QFileInfo(TextFile::temporaryName(list)).fileName()};
        QByteArray records, seen; // the history must be a growing run of the records 0, 1, 2...
        QRandomGenerator random(20240607);
        for (int kill = 0, written = 0; kill < 240; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--write-until-killed"});
            // The writer runs a random few milliseconds and must not stop by itself.
            QVERIFY(child.waitForReadyRead(10000) && !child.waitForFinished(random.bounded(16)));
            child.kill();
            QVERIFY(child.waitForFinished(10000) && child.exitStatus() == QProcess::CrashExit);
            QVERIFY(versions.contains(ScratchDir::read(list)));
            const QByteArray bytes = ScratchDir::read(history);
            while (records.size() < bytes.size())
                records += History::encodeRecord("12月31日", "07時05分09秒", written++);
            QVERIFY(records.startsWith(bytes) && bytes.startsWith(std::exchange(seen, bytes))
                    && bytes.endsWith("\r\n") == !bytes.isEmpty());
            for (const QString &entry : ScratchDir::entries())
                QVERIFY2(allowed.contains(entry), qPrintable(entry));
        }
        qInfo("240 kills; %lld records written, none lost", qlonglong(seen.count("\r\n")));
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
