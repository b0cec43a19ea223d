// Times whole processes on one display. The processes compared take turns, each round starting
// with another one, so that drift and load hit them alike, and every ratio comes from one run.
//
//   zorvex_startup_driver startup <runs> <program> <floor>...
//       From exec to the first paint, and peak resident memory: the program's benchmark copy
//       against each floor, on an item list of 20 items.
//   zorvex_startup_driver history <runs> <settings copy> <records>...
//       From the click on the scissors to the settings window's first paint, and peak resident
//       memory: a history of each record count against an empty one.
//   zorvex_startup_driver idle <program>
//       CPU time of the real program left alone on the counting window for 5 s.
//
// Each figure is the median of the runs, with the middle half of the runs (the quartiles) beside
// it to show how much they spread; CPU time (user + system) is given as well, since another
// process on the machine delays a run's wall time much more than its CPU time.

#include "benchfiles.h"
#include "history.h"
#include "itemlist.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Run
{
    double ms = 0; // wall time: from exec, or as the child reports it
    double cpuMs = 0;
    long maxRssKb = 0;
    bool ok = false;
};

// Runs exe in dir. With reportsTime, the child's own figure on its standard output is the time.
Run runOnce(const std::string &exe, const QString &dir, bool reportsTime)
{
    Run run;
    // A run killed on its first paint leaves its lock file behind; a real start finds none.
    QFile::remove(dir + QStringLiteral("/.zorvex.lock"));
    int out[2];
    if (pipe(out) != 0)
        return run;
    const QByteArray where = QFile::encodeName(dir);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (chdir(where.constData()) == 0)
            execl(exe.c_str(), exe.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return run;
    }
    std::string printed;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            printed.append(buffer, size_t(n));
        else if (errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                 .count();
    if (reportsTime)
        run.ms = std::atof(printed.c_str());
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    run.maxRssKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (!reportsTime || run.ms > 0);
    return run;
}

struct Spread
{
    double median, low, high; // the quartiles
};

Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const auto at = [&v](double q) {
        return v[size_t(q * double(v.size() - 1) + 0.5)];
    };
    return {at(0.5), at(0.25), at(0.75)};
}

struct Kind
{
    std::string name;
    std::string exe;
    QString dir;
    std::vector<double> ms, cpuMs, rssKb;
};

// Runs every kind runs times, after warming the page and font caches for all alike.
bool takeTurns(std::vector<Kind> &kinds, int runs, bool reportsTime)
{
    for (int k = 0; k < 2; ++k) {
        for (const Kind &kind : kinds)
            runOnce(kind.exe, kind.dir, reportsTime);
    }
    const size_t n = kinds.size();
    for (int k = 0; k < runs; ++k) {
        for (size_t turn = 0; turn < n; ++turn) {
            Kind &kind = kinds[(size_t(k) + turn) % n];
            const Run r = runOnce(kind.exe, kind.dir, reportsTime);
            if (!r.ok) {
                std::fprintf(stderr, "%s did not end on its first paint\n", kind.name.c_str());
                return false;
            }
            kind.ms.push_back(r.ms);
            kind.cpuMs.push_back(r.cpuMs);
            kind.rssKb.push_back(double(r.maxRssKb));
        }
    }
    return true;
}

void print(const char *figure, const Kind &a, const Kind &b, const std::vector<double> Kind::*what,
           const char *unit)
{
    const Spread x = spread(a.*what), y = spread(b.*what);
    std::printf("%-22s %-14s %9.1f %s (%.1f-%.1f)  %-14s %9.1f %s (%.1f-%.1f)  ratio %.2f\n",
                figure, a.name.c_str(), x.median, unit, x.low, x.high, b.name.c_str(), y.median,
                unit, y.low, y.high, x.median / y.median);
}

// The program against each floor after it, or each kind against the floor before them.
void report(const char *what, const std::vector<Kind> &kinds, int runs, bool floorFirst)
{
    std::printf("%s, median of %d runs each (quartiles in brackets):\n", what, runs);
    for (size_t k = 1; k < kinds.size(); ++k) {
        const Kind &a = floorFirst ? kinds[k] : kinds[0];
        const Kind &b = floorFirst ? kinds[0] : kinds[k];
        print("wall_time", a, b, &Kind::ms, "ms");
        print("cpu_time", a, b, &Kind::cpuMs, "ms");
        print("peak_resident", a, b, &Kind::rssKb, "kB");
    }
}

bool write(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::string absolute(const char *path)
{
    return QDir().absoluteFilePath(QString::fromLocal8Bit(path)).toStdString();
}

// utime + stime of a running process, in milliseconds.
double cpuMs(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    // The command name may hold blanks; the fields after it are fixed.
    const size_t close = line.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long utime = 0, stime = 0;
    for (int k = 3; k <= 15 && fields >> field; ++k) {
        if (k == 14)
            utime = std::stoul(field);
        if (k == 15)
            stime = std::stoul(field);
    }
    return double(utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

int idle(const std::string &program, const QString &dir)
{
    const QByteArray where = QFile::encodeName(dir);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(where.constData()) == 0)
            execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double before = cpuMs(pid);
    const int idleSeconds = 5;
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double after = cpuMs(pid);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    if (before < 0 || after < 0) {
        std::fprintf(stderr, "the program ended before it could be watched\n");
        return 1;
    }
    std::printf("idle_cpu_ms %.0f over %d s on the counting window\n", after - before, idleSeconds);
    return 0;
}

int usage(const char *self)
{
    std::fprintf(stderr,
                 "usage: %s startup <runs> <program> <floor>...\n"
                 "       %s history <runs> <settings copy> <records>...\n"
                 "       %s idle <program>\n",
                 self, self, self);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3)
        return usage(argv[0]);
    const std::string mode = argv[1];
    QTemporaryDir scratch;
    const QString items = scratch.path() + QStringLiteral("/items");
    if (!scratch.isValid() || !QDir().mkpath(items)
        || !write(items + u'/' + ItemList::defaultFileName(), BenchFiles::itemList(20))) {
        std::fprintf(stderr, "cannot prepare a scratch directory\n");
        return 1;
    }
    if (mode == "idle")
        return idle(absolute(argv[2]), items);
    if (argc < 5)
        return usage(argv[0]);
    const int runs = std::max(1, std::atoi(argv[2]));

    std::vector<Kind> kinds;
    if (mode == "startup") {
        kinds.push_back({"program", absolute(argv[3]), items, {}, {}, {}});
        for (int k = 4; k < argc; ++k) {
            const std::string exe = absolute(argv[k]);
            kinds.push_back({exe.substr(exe.rfind('/') + 1), exe, items, {}, {}, {}});
        }
        if (!takeTurns(kinds, runs, false))
            return 1;
        report("Start-up to the first paint", kinds, runs, false);
        return 0;
    }
    if (mode != "history")
        return usage(argv[0]);
    // One folder per history size, the same items in each; the empty history is the floor.
    const std::string settings = absolute(argv[3]);
    std::vector<int> sizes {0};
    for (int k = 4; k < argc; ++k)
        sizes.push_back(std::atoi(argv[k]));
    for (const int size : sizes) {
        const QString dir = scratch.path() + QStringLiteral("/history%1").arg(size);
        const QString history = dir + u'/' + History::fileName(BenchFiles::itemName(1));
        if (!QDir().mkpath(dir)
            || !write(dir + u'/' + ItemList::defaultFileName(), BenchFiles::itemList(20))
            || !write(history, BenchFiles::history(size))) {
            std::fprintf(stderr, "cannot prepare a scratch directory\n");
            return 1;
        }
        const std::string name = size == 0 ? "empty_history" : std::to_string(size) + "_records";
        kinds.push_back({name, settings, dir, {}, {}, {}});
    }
    if (!takeTurns(kinds, runs, true))
        return 1;
    report("From the click on the scissors to the settings window's first paint", kinds, runs,
           true);
    return 0;
}
