#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

class Dialogs;

// The lock of the data folder (the current directory) for one run, so that no second copy of
// the program rewrites the item list from its own stale table. It refuses a start only while
// another copy provably runs on this folder:
// - a lock of a running copy on this machine: the user is told (二重起動), and take() is false;
// - a lock of a copy on this machine that is gone, or one that is empty or unreadable: taken over;
// - a lock from another machine, whose copy this one cannot see: the user is asked, with not
//   starting as the default, as a folder restored from a backup or carried over brings one;
// - a folder that cannot hold a lock at all (no write permission): used without one; a rewrite
//   still never overwrites a list that changed since it was read.
// A held lock is released however the run ends: normally, on SIGTERM, SIGHUP or SIGINT, or when
// the toolkit exits because the display went away.
class FolderLock
{
public:
    explicit FolderLock(const QString &fileName = QStringLiteral(".zorvex.lock"));
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    bool take(Dialogs &dialogs);

private:
    std::unique_ptr<QLockFile> m_lock;
};
