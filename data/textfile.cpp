#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <optional>

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if defined(Q_OS_LINUX) && defined(O_TMPFILE)
using TextFile::temporaryName;

// The new contents go to a file without a name, so a process killed while writing leaves no
// stray file behind; the file is named only to be renamed over the old one at once. Gives
// nothing when the file system or /proc cannot do this, and the caller falls back.
std::optional<IoStatus> replaceThroughUnnamedFile(const QString &fileName, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(fileName);
    const QByteArray dir = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::nullopt;
    const auto failed = [&](int error) {
        ::close(fd);
        return IoStatus::failure(fileName, qt_error_string(error));
    };
    struct stat old
    {
    };
    if (::stat(target.constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            return failed(errno);
        done += n > 0 ? n : 0;
    }
    if (::fsync(fd) != 0)
        return failed(errno);
    // A fixed name: a process killed in the instant between naming and renaming leaves this one
    // hidden file, which the next save takes over, instead of a new stray file each time.
    const QByteArray temporary = QFile::encodeName(temporaryName(fileName));
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    ::unlink(temporary.constData());
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW)
        != 0) {
        ::close(fd);
        return std::nullopt;
    }
    ::close(fd);
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return IoStatus::failure(fileName, qt_error_string(error));
    }
    return IoStatus::success();
}
#else
std::optional<IoStatus> replaceThroughUnnamedFile(const QString &, const QByteArray &)
{
    return std::nullopt;
}
#endif

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
    QFile file(fileName);
    if (IoStatus opened = openRegularFile(
            file, O_WRONLY | O_APPEND | O_CREAT,
            QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered, IoAction::Write);
        !opened.ok())
        return opened;
    const qint64 before = file.size();
    if (bytes.isEmpty())
        return IoStatus::success();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        if (file.isSequential() == false && file.size() != before)
            file.resize(before);
        return IoStatus::failure(fileName, reason);
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return IoStatus::failure(fileName, file.errorString());
    return IoStatus::success();
}

IoStatus replace(const QString &fileName, const QByteArray &bytes)
{
    const QFileInfo existing(fileName);
    // Renaming a new file over a device or a pipe would replace the special file itself.
    if (existing.exists() && !existing.isFile())
        return IoStatus::failure(fileName, QStringLiteral("not a regular file"), IoAction::Write,
                                 IoProblem::NotRegularFile);
    if (std::optional<IoStatus> done = replaceThroughUnnamedFile(fileName, bytes))
        return *done;
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

QString temporaryName(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".new");
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

} // namespace TextFile
