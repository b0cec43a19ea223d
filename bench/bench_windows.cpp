// The windows at work: the history view, the flash between items and the memory of a long run
// of rounds through the real window lifetime.

#include "appwindows.h"
#include "benchfiles.h"
#include "benchservices.h"
#include "frmsettei.h"
#include "history.h"
#include "itemlist.h"
#include "zrvm.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <fstream>
#include <unistd.h>

namespace {

// Choosing the item in the combo box again reads and shows its history afresh, painting
// included.
void BM_ShowHistory(benchmark::State &state)
{
    const int count = int(state.range(0));
    BenchFiles::write(ItemList::defaultFileName(),
                      ItemList::encodeRecord(BenchFiles::itemName(1), QStringLiteral("20")));
    BenchFiles::write(History::fileName(BenchFiles::itemName(1)), BenchFiles::history(count));
    if (!ZRVM::LoadItemList().ok())
        state.SkipWithError("load failed");
    BenchNoWindows windows;
    BenchServices bench(windows);
    frmSettei window(bench.services);
    window.Form_Load();
    window.show();
    QApplication::processEvents();
    auto *combo = window.findChild<QComboBox *>(QStringLiteral("cboKoumoku"));
    for (auto _ : state) {
        Q_EMIT combo->activated(0);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ShowHistory)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// The flash's wait with the real clock and event loop: the CPU column shows whether it spins.
void BM_FlashPause(benchmark::State &state)
{
    SystemClock clock;
    QtEventPump events;
    for (auto _ : state)
        ZRVM::Pause(0.1f, clock, events);
}
BENCHMARK(BM_FlashPause)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

long residentKb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Plays 1,000 Next commands over 20 items through the real window lifetime: each round ends in
// the settings window, whose start command opens the counting window again.
void BM_RoundsMemory(benchmark::State &state)
{
    BenchFiles::write(ItemList::defaultFileName(), BenchFiles::itemList(20));
    for (int k = 1; k <= 20; ++k)
        QFile::remove(History::fileName(BenchFiles::itemName(k)));
    AppWindows windows;
    BenchServices bench(windows);
    windows.setServices(bench.services);
    const int nexts = 1000;
    long afterFirstRound = 0, afterAll = 0;
    for (auto _ : state) {
        windows.show(AppWindow::Counting);
        for (int k = 1; k <= nexts; ++k) {
            QWidget *counting = windows.loaded(AppWindow::Counting);
            if (!counting) {
                state.SkipWithError("no counting window");
                break;
            }
            counting->findChild<QToolButton *>(QStringLiteral("cmdNext"))->click();
            if (!windows.loaded(AppWindow::Counting)) {
                // End of a round: let the unloaded window go, then start the next round.
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QApplication::processEvents();
                if (k == 20)
                    afterFirstRound = residentKb();
                if (k < nexts)
                    windows.loaded(AppWindow::Settings)
                        ->findChild<QToolButton *>(QStringLiteral("cmdAgain"))
                        ->click();
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        }
        afterAll = residentKb();
    }
    state.counters["rss_after_round1_kb"] = double(afterFirstRound);
    state.counters["rss_after_1000_next_kb"] = double(afterAll);
    state.counters["rss_ratio"] = double(afterAll) / double(afterFirstRound);
}
BENCHMARK(BM_RoundsMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
