#include "folderlock.h"

#include "dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// What the signal and exit handlers need, set up before the lock is held: nothing in a signal
// handler may allocate. The lock is known by its file and its bytes: a file number alone may be
// given again to a file made after this one went.
char heldPath[4096];
char heldBytes[512];
ssize_t heldSize = 0;
dev_t heldDevice = 0;
ino_t heldInode = 0;
volatile std::sig_atomic_t held = 0;

// Whether the lock file is still the one this copy made. Only calls a signal handler may make.
bool lockIsOurs()
{
    const int fd = ::open(heldPath, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    char now[sizeof heldBytes + 1];
    const bool same = ::fstat(fd, &st) == 0 && st.st_dev == heldDevice && st.st_ino == heldInode
        && ::read(fd, now, sizeof now) == heldSize
        && std::memcmp(now, heldBytes, size_t(heldSize)) == 0;
    ::close(fd);
    return same;
}

// Only the lock this copy made goes: should another copy have put its own lock in its place
// meanwhile, that one stays.
void releaseHeld()
{
    if (held) {
        held = 0;
        if (lockIsOurs())
            ::unlink(heldPath);
    }
}

extern "C" void releaseAndDie(int signal)
{
    releaseHeld();
    // The signal's own ending, so that whoever sent it sees the program end by it.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

extern "C" void releaseAtExit()
{
    releaseHeld();
}

void releaseOnEveryEnd(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(QDir(fileName).absolutePath());
    if (size_t(path.size()) >= sizeof heldPath)
        return;
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st
    {
    };
    heldSize = ::fstat(fd, &st) == 0 ? ::read(fd, heldBytes, sizeof heldBytes) : -1;
    ::close(fd);
    // A lock longer than what is kept of it could not be told from another one.
    if (heldSize < 0 || size_t(heldSize) == sizeof heldBytes)
        return;
    std::memcpy(heldPath, path.constData(), size_t(path.size()) + 1);
    heldDevice = st.st_dev;
    heldInode = st.st_ino;
    static bool installed = false;
    if (!installed) {
        installed = true;
        // The toolkit ends the program with exit() when its display goes away.
        std::atexit(releaseAtExit);
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            struct sigaction action
            {
            };
            // A signal the caller chose to ignore (nohup) stays ignored.
            if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
                continue;
            action = {};
            action.sa_handler = releaseAndDie;
            sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
    }
    held = 1;
}

// Locks whose file became another copy's: never destroyed, not even at exit, because QLockFile
// removes whatever file has the lock's name when it goes. Kept here so that they stay reachable.
std::vector<std::unique_ptr<QLockFile>> *const locksLeftOpen
    = new std::vector<std::unique_ptr<QLockFile>>;

bool otherCopyRuns(Dialogs &dialogs)
{
    dialogs.message(nullptr,
                    QStringLiteral("このフォルダではすでにZorvexが起動しています。\n"
                                   "先に起動したZorvexを使ってください。"),
                    QStringLiteral("二重起動"), MessageIcon::Warning);
    return false;
}

} // namespace

FolderLock::FolderLock(const QString &fileName)
    : m_lock(std::make_unique<QLockFile>(fileName))
{
    // A copy may count for hours: only a copy that is gone leaves a stale lock.
    m_lock->setStaleLockTime(0);
}

FolderLock::~FolderLock()
{
    // QLockFile removes whatever file has the lock's name. Unless that is still provably the
    // lock this copy made, the lock stays open until the process ends, and the file stays: it
    // may be another copy's lock by now, and one whose file and bytes could not be noted when it
    // was taken cannot be told from one.
    if (m_lock->isLocked() && !(held && lockIsOurs()))
        locksLeftOpen->push_back(std::move(m_lock));
    held = 0;
}

bool FolderLock::take(Dialogs &dialogs)
{
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError)
            return true;
        qint64 pid = 0;
        QString host, application;
        const bool readable = m_lock->getLockInfo(&pid, &host, &application);
        // On this machine the lock's process was looked at: it runs.
        if (readable && (host.isEmpty() || host == QSysInfo::machineHostName()))
            return otherCopyRuns(dialogs);
        if (readable
            && !dialogs.message(
                nullptr,
                QStringLiteral("このフォルダには、別のコンピュータ「%1」で起動したZorvexの"
                               "ロックファイルがあります。\n%2\n"
                               "そのZorvexが終了していれば、このまま起動できます。"
                               "起動しますか？")
                    .arg(host, QDir(m_lock->fileName()).absolutePath()),
                QStringLiteral("起動確認"), MessageIcon::Warning, MessageButtons::OkCancel,
                DefaultButton::Cancel))
            return false;
        // Only a plain file this program can read is taken for a lock: anything else of that
        // name (a file it may not read, a link, a folder) stays, and this copy runs without a
        // lock, as in a folder it may not write.
        const QFileInfo found(m_lock->fileName());
        if (!found.isReadable() || found.isSymLink() || !found.isFile())
            return true;
        // An empty or garbled lock names nobody; one from another machine the user let go.
        m_lock->removeStaleLockFile();
        if (!m_lock->tryLock(0))
            return m_lock->error() != QLockFile::LockFailedError || otherCopyRuns(dialogs);
    }
    releaseOnEveryEnd(m_lock->fileName());
    return true;
}
