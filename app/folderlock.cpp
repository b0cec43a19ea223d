#include "folderlock.h"

#include "dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the signal and exit handlers need, set up before the lock is held: nothing in a signal
// handler may allocate.
char heldPath[4096];
dev_t heldDevice = 0;
ino_t heldInode = 0;
volatile std::sig_atomic_t held = 0;

// Only the lock this copy made goes: should another copy have put its own lock in its place
// meanwhile, that one stays.
void releaseHeld()
{
    if (held) {
        held = 0;
        struct stat st
        {
        };
        if (::lstat(heldPath, &st) == 0 && st.st_dev == heldDevice && st.st_ino == heldInode)
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
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) != 0)
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
    : m_lock(fileName)
{
    // A copy may count for hours: only a copy that is gone leaves a stale lock.
    m_lock.setStaleLockTime(0);
}

FolderLock::~FolderLock()
{
    // The lock goes with m_lock; from here on it may be another copy's.
    held = 0;
}

bool FolderLock::take(Dialogs &dialogs)
{
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() != QLockFile::LockFailedError)
            return true;
        qint64 pid = 0;
        QString host, application;
        const bool readable = m_lock.getLockInfo(&pid, &host, &application);
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
                    .arg(host, QDir(m_lock.fileName()).absolutePath()),
                QStringLiteral("起動確認"), MessageIcon::Warning, MessageButtons::OkCancel,
                DefaultButton::Cancel))
            return false;
        // A file of that name this program may not even read is not taken for a lock of its
        // own: it stays, and this copy runs without a lock, as in a folder it may not write.
        if (!readable && !QFileInfo(m_lock.fileName()).isReadable())
            return true;
        // An empty or garbled lock names nobody; one from another machine the user let go.
        m_lock.removeStaleLockFile();
        if (!m_lock.tryLock(0))
            return m_lock.error() != QLockFile::LockFailedError || otherCopyRuns(dialogs);
    }
    releaseOnEveryEnd(m_lock.fileName());
    return true;
}
