#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <fcntl.h>
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

} // namespace

namespace TextFile {

ReadResult readAll(const QString &fileName)
{
    ReadResult result;
    QFile file(fileName);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = IoStatus::failure(fileName, file.errorString(), IoAction::Read);
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        result.status = IoStatus::failure(fileName, file.errorString(), IoAction::Read);
    return result;
}

IoStatus append(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return IoStatus::failure(fileName, file.errorString());
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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return IoStatus::failure(fileName, file.errorString());
    file.close();
    return IoStatus::success();
}

} // namespace TextFile
