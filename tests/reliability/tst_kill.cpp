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

namespace {

const QStringList kHistories {"腹筋", "スクワット"};

// The two versions of the item list the writer alternates between, of different lengths.
ItemTable version(int v)
{
    QList<Item> items {{"腹筋", 20}, {"スクワット", 15}, {"腕立て,速め", 12}};
    for (int k = 0; v == 1 && k < 17; ++k)
        items.append(Item {QStringLiteral("追加%1").arg(k), qint16(k)});
    ItemTable table;
    table.replaceAll(items);
    return table;
}

// Saves the item list and appends history records until it is killed. Each history file goes
// on from the number of records it holds, so its counts run 0, 1, 2... with no gap.
int writeUntilKilled()
{
    FakeClock clock;
    QList<int> next;
    for (const QString &name : kHistories)
        next.append(int(History::read(name).records.size()));
    const ItemTable tables[] {version(0), version(1)};
    for (int i = 0; write(STDOUT_FILENO, i ? "." : "r", 1) == 1; ++i) {
        if (!ItemList::save(tables[i % 2]).ok())
            return 1;
        for (int h = 0; h < kHistories.size(); ++h) {
            if (!History::appendSetRecord(kHistories[h], next[h]++, clock).ok())
                return 1;
        }
    }
    return 2;
}

} // namespace

class TestKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedWriterLeavesWholeFiles()
    {
        ScratchDir dir;
        QByteArray versions[2];
        for (int v : {0, 1}) {
            const ItemTable table = version(v);
            for (const Item &item : table.items())
                versions[v] += ItemList::encodeRecord(item.name, QString::number(item.target));
        }
        const QString list = ItemList::defaultFileName();
        ScratchDir::write(list, versions[0]);
        // Besides the files, at most the one hidden file a save killed right at its end leaves.
        QStringList allowed {list, QFileInfo(TextFile::temporaryName(list)).fileName()};
        for (const QString &name : kHistories)
            allowed << History::fileName(name);

        // Each history file must be a prefix of records 0, 1, 2... ending at a record boundary.
        QByteArray records;
        QSet<qsizetype> boundaries {0};
        QList<qsizetype> sizes(kHistories.size(), 0);
        QRandomGenerator random(20240607);
        int between = 0, leftOver = 0;
        for (int kill = 0; kill < 240; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--write-until-killed"});
            QVERIFY(child.waitForReadyRead(10000));
            // The writer runs for a random few milliseconds and must not stop by itself.
            QVERIFY(!child.waitForFinished(random.bounded(16)));
            child.kill();
            QVERIFY(child.waitForFinished(10000) && child.exitStatus() == QProcess::CrashExit);

            const QByteArray now = ScratchDir::read(list);
            QVERIFY2(now == versions[0] || now == versions[1], qPrintable(QString::number(kill)));
            for (int h = 0; h < kHistories.size(); ++h) {
                const QString file = History::fileName(kHistories[h]);
                const QByteArray bytes = ScratchDir::exists(file) ? ScratchDir::read(file) : "";
                while (records.size() < bytes.size()) {
                    records
                        += History::encodeRecord("12月31日", "07時05分09秒", boundaries.size() - 1);
                    boundaries.insert(records.size());
                }
                QVERIFY(boundaries.contains(bytes.size()) && records.startsWith(bytes));
                QVERIFY(bytes.size() >= sizes[h]);
                sizes[h] = bytes.size();
            }
            between += sizes[0] != sizes[1];
            leftOver += ScratchDir::entries().contains(allowed[1]);
            for (const QString &entry : ScratchDir::entries())
                QVERIFY2(allowed.contains(entry), qPrintable(entry));
        }
        qInfo("240 kills survived: %d between two appends, %d left the hidden file; %lld records, "
              "none lost",
              between, leftOver, qlonglong(boundaries.size() - 1));
    }
};

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--write-until-killed") == 0)
        return writeUntilKilled();
    QCoreApplication app(argc, argv);
    TestKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kill.moc"
