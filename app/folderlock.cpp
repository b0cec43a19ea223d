#include "folderlock.h"

#include "dialogs.h"

#include <QLockFile>

bool lockDataFolder(QLockFile &lock, Dialogs &dialogs)
{
    // A copy may count for hours: only a copy that is gone leaves a stale lock.
    lock.setStaleLockTime(0);
    // A folder that cannot hold a lock file at all (no write permission) is used without one;
    // a rewrite still never overwrites a list that changed since it was read.
    if (lock.tryLock(0) || lock.error() != QLockFile::LockFailedError)
        return true;
    dialogs.message(nullptr,
                    QStringLiteral("このフォルダではすでにZorvexが起動しています。\n"
                                   "先に起動したZorvexを使ってください。"),
                    QStringLiteral("二重起動"), MessageIcon::Warning);
    return false;
}
