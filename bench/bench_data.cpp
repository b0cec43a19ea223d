// The data operations behind Next and behind loading the item list, each beside the least the
// file system needs for the same bytes.

#include "benchfiles.h"
#include "benchservices.h"
#include "codepage932.h"
#include "history.h"
#include "itemlist.h"
#include "textfile.h"
#include "zrvm.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray nativeName(const QString &name)
{
    return QFile::encodeName(name);
}

// Read, decode, split into lines: what any reader of the file must at least do.
void readDecodeSplit(benchmark::State &state, const QString &fileName, int count)
{
    for (auto _ : state) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot read");
        const QString text = CodePage932::decode(file.readAll()).text;
        const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The floor of the history view: read the file through one buffer and count its lines, the
// least any reader of it does.
void BM_HistoryFloor(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString fileName = History::fileName(BenchFiles::itemName(1));
    BenchFiles::write(fileName, BenchFiles::history(count));
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    for (auto _ : state) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot read");
        qsizetype lines = 0;
        for (qint64 read; (read = file.read(piece.data(), piece.size())) > 0;)
            lines += std::count(piece.cbegin(), piece.cbegin() + read, '\n');
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_HistoryFloor)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

ItemTable twentyItems()
{
    ItemTable table;
    table.replaceAll(ItemList::parse(BenchFiles::itemList(20)));
    return table;
}

void BM_NextPath(benchmark::State &state)
{
    BenchFiles::write(ItemList::defaultFileName(), BenchFiles::itemList(20));
    ItemTable table; // read from the file, as only such a table may be written back
    if (!ItemList::load(table).ok())
        state.SkipWithError("read failed");
    BenchClock clock;
    QFile::remove(History::fileName(table.name(1)));
    for (auto _ : state) {
        if (!History::appendSetRecord(table.name(1), 12, clock).ok() || !ItemList::save(table).ok())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_NextPath)->Unit(benchmark::kMicrosecond);

// The same without waiting for the disk: what the syncs that make a shown set survive a power
// cut add to Next.
void BM_NextPathUnsynced(benchmark::State &state)
{
    const auto noSync = [](int) {
        return 0;
    };
    const auto data = std::exchange(TextFile::syncData, +noSync);
    const auto all = std::exchange(TextFile::syncAll, +noSync);
    BM_NextPath(state);
    TextFile::syncData = data;
    TextFile::syncAll = all;
}
BENCHMARK(BM_NextPathUnsynced)->Unit(benchmark::kMicrosecond);

// The same bytes appended to one file and flushed to the disk, and a file of the same size
// replaced in one step (a new file, flushed to the disk, renamed over the old one), with the
// bare system calls.
void BM_NextFloor(benchmark::State &state)
{
    const ItemTable table = twentyItems();
    const QByteArray record
        = History::encodeRecord(QStringLiteral("05月09日"), QStringLiteral("23時49分31秒"), 12);
    const QByteArray list = BenchFiles::itemList(20);
    const QByteArray history = nativeName(History::fileName(table.name(1)) + u'~');
    const QByteArray target = nativeName(ItemList::defaultFileName() + u'~');
    const QByteArray temporary = target + ".new";
    ::unlink(history.constData());
    for (auto _ : state) {
        int fd = ::open(history.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        bool ok
            = fd >= 0 && ::write(fd, record.constData(), size_t(record.size())) == record.size();
        ok = ok && ::fdatasync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ok = ok && fd >= 0 && ::write(fd, list.constData(), size_t(list.size())) == list.size();
        ok = ok && ::fdatasync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        ok = ok && ::rename(temporary.constData(), target.constData()) == 0;
        if (!ok)
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_NextFloor)->Unit(benchmark::kMicrosecond);

void BM_LoadItemList(benchmark::State &state)
{
    const int count = int(state.range(0));
    BenchFiles::write(ItemList::defaultFileName(), BenchFiles::itemList(count));
    for (auto _ : state) {
        if (!ZRVM::LoadItemList().ok() || ZRVM::items.count() != count)
            state.SkipWithError("load failed");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_LoadItemList)->Arg(20)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_LoadItemListFloor(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString fileName = ItemList::defaultFileName() + u'~';
    BenchFiles::write(fileName, BenchFiles::itemList(count));
    readDecodeSplit(state, fileName, count);
}
BENCHMARK(BM_LoadItemListFloor)->Arg(20)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
