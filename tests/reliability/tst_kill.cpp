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

// Two versions of the item list, of different lengths, as the writer alternates them.
QByteArray version(int v, ItemTable *table = nullptr)
{
    QList<Item> items {{"腹筋", 20}, {"スクワット", 15}, {"腕立て,速め", 12}};
    for (int k = 0; v == 1 && k < 17; ++k)
        items.append(Item {QStringLiteral("追加%1").arg(k), qint16(k)});
    QByteArray bytes;
    for (const Item &item : items)
        bytes += ItemList::encodeRecord(item.name, QString::number(item.target));
    if (table)
        table->replaceAll(items);
    return bytes;
}

// Saves the item list and appends history records until killed. Each history file goes on
// from the number of records it holds, so its counts run 0, 1, 2... with no gap.
int writeUntilKilled()
{
    FakeClock clock;
    QList<int> next;
    for (const QString &name : kHistories)
        next.append(int(History::read(name).records.size()));
    ItemTable tables[2];
    version(0, &tables[0]), version(1, &tables[1]);
    for (int i = 0; write(STDOUT_FILENO, "r", 1) == 1; ++i) {
        bool ok = ItemList::save(tables[i % 2]).ok();
        for (int h = 0; h < kHistories.size(); ++h)
            ok = ok && History::appendSetRecord(kHistories[h], next[h]++, clock).ok();
        if (!ok)
            return 1;
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
        const QString list = ItemList::defaultFileName();
        ScratchDir::write(list, version(0));
        // At most the one hidden file a save killed between naming and renaming leaves.
        QStringList allowed {list, QFileInfo(TextFile::temporaryName(list)).fileName()};
        for (const QString &name : kHistories)
            allowed << History::fileName(name);
        QByteArray records; // 0, 1, 2...; every history file must be a prefix ending at a boundary
        QSet<qsizetype> boundaries {0};
        QList<qsizetype> sizes(kHistories.size(), 0);
        QRandomGenerator random(20240607);
        for (int kill = 0; kill < 240; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {"--write-until-killed"});
            // The writer runs a random few milliseconds and must not stop by itself.
            QVERIFY(child.waitForReadyRead(10000) && !child.waitForFinished(random.bounded(16)));
            child.kill();
            QVERIFY(child.waitForFinished(10000) && child.exitStatus() == QProcess::CrashExit);
            const QByteArray now = ScratchDir::read(list);
            QVERIFY2(now == version(0) || now == version(1), qPrintable(QString::number(kill)));
            for (int h = 0; h < kHistories.size(); ++h) {
                const QString file = History::fileName(kHistories[h]);
                const QByteArray bytes = ScratchDir::exists(file) ? ScratchDir::read(file) : "";
                while (records.size() < bytes.size()) {
                    records
                        += History::encodeRecord("12月31日", "07時05分09秒", boundaries.size() - 1);
                    boundaries.insert(records.size());
                }
                QVERIFY(boundaries.contains(bytes.size()) && records.startsWith(bytes));
                QVERIFY(bytes.size() >= std::exchange(sizes[h], bytes.size()));
            }
            for (const QString &entry : ScratchDir::entries())
                QVERIFY2(allowed.contains(entry), qPrintable(entry));
        }
        qInfo("240 kills; %lld records written, none lost", qlonglong(boundaries.size() - 1));
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
