// Times whole processes from exec to the first paint of their window: the program's
// benchmark copy against an empty Qt window and against that window with one line of text,
// and against the same copy built without the start-up font check, taking turns, in one run on
// one display. Then starts the real program on the same item list and reads how much CPU it uses
// while idle.
//
// Usage: zorvex_startup_driver <firstpaint> <empty window> <text window>
//            <firstpaint without font check> <program> [runs]

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
#include <ctime>
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
    double ms = 0;
    long maxRssKb = 0;
    bool ok = false;
};

Run runOnce(const char *exe)
{
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(exe, exe, static_cast<char *>(nullptr));
        _exit(127);
    }
    if (pid < 0)
        return run;
    int status = 0;
    rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) { }
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                 .count();
    run.maxRssKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

template<typename T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// utime + stime of a process, in milliseconds.
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

bool writeItemList(int count)
{
    QByteArray bytes;
    for (int k = 1; k <= count; ++k)
        bytes += ItemList::encodeRecord(QStringLiteral("腕立て伏せ%1").arg(k),
                                        QString::number(10 + k));
    QFile file(ItemList::defaultFileName());
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: %s <firstpaint> <emptywindow> <textwindow> <firstpaint without font "
                     "check> <program> [runs]\n",
                     argv[0]);
        return 2;
    }
    const auto absolute = [](const char *path) {
        return QDir().absoluteFilePath(QString::fromLocal8Bit(path)).toStdString();
    };
    constexpr int kinds = 4;
    const std::string exes[kinds]
        = {absolute(argv[1]), absolute(argv[2]), absolute(argv[3]), absolute(argv[4])};
    const char *names[kinds] = {"program", "empty_window", "text_window", "without_font_check"};
    const std::string program = absolute(argv[5]);
    const int runs = argc > 6 ? std::max(1, std::atoi(argv[6])) : 40;

    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()) || !writeItemList(20)) {
        std::fprintf(stderr, "cannot prepare a scratch directory\n");
        return 1;
    }

    // Warm the page cache and the font cache for all alike.
    for (int k = 0; k < 3; ++k) {
        for (const std::string &exe : exes)
            runOnce(exe.c_str());
    }
    std::vector<double> ms[kinds];
    std::vector<long> rss[kinds];
    for (int k = 0; k < runs; ++k) {
        // Each run starts with a different one, so that drift hits all alike.
        for (int turn = 0; turn < kinds; ++turn) {
            const int which = (k + turn) % kinds;
            const Run r = runOnce(exes[which].c_str());
            if (!r.ok) {
                std::fprintf(stderr, "%s did not end on its first paint\n", names[which]);
                return 1;
            }
            ms[which].push_back(r.ms);
            rss[which].push_back(r.maxRssKb);
        }
    }
    const double a = median(ms[0]);
    const long ar = median(rss[0]);
    for (int floor = 1; floor < kinds; ++floor) {
        const double f = median(ms[floor]);
        const long fr = median(rss[floor]);
        std::printf("startup_to_first_paint_ms  program %.1f  %s %.1f  ratio %.2f  (median of %d "
                    "runs each)\n",
                    a, names[floor], f, a / f, runs);
        std::printf("startup_peak_rss_kb        program %ld  %s %ld  ratio %.2f\n", ar,
                    names[floor], fr, double(ar) / double(fr));
    }

    // The real program, left alone on the counting window.
    const pid_t pid = fork();
    if (pid == 0) {
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
    std::printf("idle_cpu_ms                %.0f over %d s on the counting window\n",
                after - before, idleSeconds);
    return 0;
}
