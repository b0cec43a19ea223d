#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <fcntl.h>

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Whether the file's last line is ended, so that a record appended starts a line of its own.
IoStatus lastLineEnded(const QString &fileName, qint64 size, bool &ended)
{
    ended = true;
    if (size <= 0)
        return IoStatus::success();
    QFile file(fileName);
    char last = 0;
    if (!file.open(QIODevice::ReadOnly) || !file.seek(size - 1) || !file.getChar(&last))
        return IoStatus::failure(fileName, file.errorString(), IoAction::Read);
    ended = last == '\n' || last == '\r';
    return IoStatus::success();
}

IoStatus notRegularFile(const QString &fileName, IoAction action)
{
    return IoStatus::failure(fileName, QStringLiteral("not a regular file"), action,
                             IoProblem::NotRegularFile);
}

// Opens the file only when it is a regular file after following links: a pipe would hold the
// program until something writes to it, and a device such as /dev/zero never ends. The check
// and the use share one descriptor, opened without waiting for a pipe's other end, so nothing
// can be swapped in between.
IoStatus openRegularFile(QFile &file, int flags, QIODevice::OpenMode mode, IoAction action)
{
    const QString fileName = file.fileName();
#if defined(Q_OS_LINUX)
    const QByteArray path = QFile::encodeName(fileName);
    const int fd = ::open(path.constData(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    struct stat st
    {
    };
    if (fd < 0) {
        const int error = errno;
        // A pipe without a reader or a folder opened for writing fails for what it is.
        if (::stat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode))
            return notRegularFile(fileName, action);
        return IoStatus::failure(fileName, qt_error_string(error), action);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return notRegularFile(fileName, action);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return IoStatus::success();
    ::close(fd);
#else
    Q_UNUSED(flags);
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return notRegularFile(fileName, action);
    if (file.open(mode))
        return IoStatus::success();
#endif
    return IoStatus::failure(fileName, file.errorString(), action);
}

} // namespace

namespace TextFile {

ReadResult readAll(const QString &fileName)
{
    ReadResult result;
    QFile file(fileName);
    if (!file.exists())
        return result;
    result.status = openRegularFile(file, O_RDONLY, QIODevice::ReadOnly, IoAction::Read);
    if (!result.status.ok())
        return result;
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        result.status = IoStatus::failure(fileName, file.errorString(), IoAction::Read);
    return result;
}

IoStatus append(const QString &fileName, const QByteArray &bytes)
{
    const bool existed = QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink();
    QFile file(fileName);
    if (IoStatus opened = openRegularFile(
            file, O_WRONLY | O_APPEND | O_CREAT,
            QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered, IoAction::Write);
        !opened.ok())
        return opened;
    const qint64 before = file.size();
    if (bytes.isEmpty())
        return IoStatus::success();
    bool ended = true;
    if (IoStatus read = lastLineEnded(fileName, before, ended); !read.ok())
        return read;
    const QByteArray record = ended ? bytes : QByteArrayLiteral("\r\n") + bytes;
    if (file.write(record) != record.size() || !file.flush()) {
        const QString reason = file.errorString();
        if (!existed) {
            file.close();
            QFile::remove(fileName);
        } else if (file.size() != before) {
            file.resize(before);
        }
        return IoStatus::failure(fileName, reason);
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return IoStatus::failure(fileName, file.errorString());
    return IoStatus::success();
}

IoStatus replace(const QString &fileName, const QByteArray &bytes, const QByteArray *expected)
{
    const QFileInfo existing(fileName);
    // Renaming a new file over a device or a pipe would replace the special file itself.
    if (existing.exists() && !existing.isFile())
        return notRegularFile(fileName, IoAction::Write);
    if (expected) {
        const ReadResult now = readAll(fileName);
        if (!now.status.ok())
            return IoStatus::failure(fileName, now.status.reason(), IoAction::Write,
                                     now.status.problem());
        if (now.bytes != *expected)
            return IoStatus::failure(fileName, QStringLiteral("changed on disk"), IoAction::Write,
                                     IoProblem::ChangedOnDisk);
    }
    QSaveFile file(fileName);
    // Unbuffered: a buffered write that fails only at commit() goes unnoticed by QSaveFile and
    // would replace the old file with a truncated one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return IoStatus::failure(fileName, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return IoStatus::failure(fileName, reason);
    }
    if (!file.commit())
        return IoStatus::failure(fileName, file.errorString());
    return IoStatus::success();
}

void removeLeftovers(const QString &fileName)
{
    const QFileInfo info(fileName);
    QDir dir = info.dir();
    const QString prefix = info.fileName() + u'.';
    const QStringList found = dir.entryList({prefix + QStringLiteral("??????")},
                                            QDir::Files | QDir::Hidden | QDir::System
                                                | QDir::NoSymLinks | QDir::CaseSensitive);
    for (const QString &name : found) {
        const QStringView suffix = QStringView(name).sliced(prefix.size());
        // Exactly the six letters and digits the new file's name ends in, nothing else.
        if (std::all_of(suffix.begin(), suffix.end(),
                        [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); }))
            dir.remove(name);
    }
}

IoStatus truncate(const QString &fileName)
{
    QFile file(fileName);
    // Cut only once it is known to be a regular file.
    if (IoStatus opened
        = openRegularFile(file, O_WRONLY | O_CREAT, QIODevice::WriteOnly, IoAction::Write);
        !opened.ok())
        return opened;
    if (!file.resize(0))
        return IoStatus::failure(fileName, file.errorString());
    file.close();
    return IoStatus::success();
}

QStringList namesIgnoringCase(const QString &fileName)
{
    QStringList found = QDir::current().entryList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    found.removeIf([&fileName](const QString &entry) {
        return entry.compare(fileName, Qt::CaseInsensitive) != 0;
    });
    return found;
}

} // namespace TextFile
