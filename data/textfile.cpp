#include "textfile.h"

#include "filetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace TextFile {
#if defined(Q_OS_LINUX)
int (*syncData)(int fd) = ::fdatasync;
int (*syncAll)(int fd) = ::fsync;
#else
int (*syncData)(int fd) = nullptr;
int (*syncAll)(int fd) = nullptr;
#endif
} // namespace TextFile

namespace {

// Until the data is synced a power cut may leave the file with its new length and none of the
// new bytes, or some of them; a write is done only once the disk has them.
bool synced(QFileDevice &file)
{
#if defined(Q_OS_LINUX)
    return TextFile::syncData(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

// A new, renamed or removed name is a change of the folder, which the disk holds only once the
// folder itself is synced: without that, a file shown as written can be missing after a power
// cut, or the old one back in its place.
IoStatus syncFolder(const QString &fileName)
{
#if defined(Q_OS_LINUX)
    // A link is written through, so the name that changed is the one of the file it points to.
    const QFileInfo info(fileName);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : QString();
    const QString folder = QFileInfo(target.isEmpty() ? fileName : target).absolutePath();
    const int fd
        = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return IoStatus::failure(fileName, qt_error_string(errno));
    const bool ok = TextFile::syncAll(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok)
        return IoStatus::failure(fileName, qt_error_string(error));
#else
    Q_UNUSED(fileName);
#endif
    return IoStatus::success();
}

// The file's first bytes, as far as they tell its encoding, and its last byte.
IoStatus readEnds(const QString &fileName, qint64 size, QByteArray &ends)
{
    ends.clear();
    if (size <= 0)
        return IoStatus::success();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return IoStatus::failure(fileName, file.errorString(), IoAction::Read);
    ends = file.read(qMin<qint64>(size, 3));
    char last = 0;
    if (ends.size() != qMin<qint64>(size, 3) || !file.seek(size - 1) || !file.getChar(&last))
        return IoStatus::failure(fileName, file.errorString(), IoAction::Read);
    if (size > 3)
        ends += last;
    return IoStatus::success();
}

// A replacement is a new file renamed over the old one, so the folder must take new files.
IoStatus replaceFailed(const QString &fileName, const QString &reason)
{
    const QString folder = QFileInfo(fileName).absolutePath();
#if defined(Q_OS_LINUX)
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return IoStatus::failure(fileName, folder, IoAction::Write, IoProblem::FolderNotWritable);
#endif
    return IoStatus::failure(fileName, reason);
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

// Takes away the file this program has just created and still holds open, provided its name
// still leads to it: a file put in its place meanwhile is somebody else's.
void removeOwnFile(QFile &file, const QString &fileName)
{
    bool same = true;
#if defined(Q_OS_UNIX)
    struct stat held
    {
    }, named {};
    same = ::fstat(file.handle(), &held) == 0
        && ::lstat(QFile::encodeName(fileName).constData(), &named) == 0
        && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
#endif
    file.close();
    if (same)
        QFile::remove(fileName);
}

} // namespace

namespace TextFile {

IoStatus openToRead(QFile &file)
{
    if (!file.exists())
        return IoStatus::success();
    return openRegularFile(file, O_RDONLY, QIODevice::ReadOnly, IoAction::Read);
}

ReadResult readAll(const QString &fileName)
{
    ReadResult result;
    QFile file(fileName);
    result.status = openToRead(file);
    if (!result.status.ok() || !file.isOpen())
        return result;
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        result.status = IoStatus::failure(fileName, file.errorString(), IoAction::Read);
    return result;
}

bool lastLineEnded(QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes == FileText::markOf(FileText::encodingOf(bytes)))
        return true;
    return bytes.endsWith('\n') || bytes.endsWith('\r');
}

namespace {
template<typename View> View readable(View line, bool &damaged)
{
    qsizetype end = line.size();
    while (end > 0 && unit(line[end - 1]) == 0)
        --end;
    damaged = end < line.size();
    for (qsizetype i = 0; i < end; ++i) {
        if (damages(unit(line[i]))) {
            damaged = true;
            return View();
        }
    }
    return line.first(end);
}
} // namespace

QStringView readablePart(QStringView line, bool &damaged)
{
    return readable(line, damaged);
}

QByteArrayView readablePart(QByteArrayView line, bool &damaged)
{
    return readable(line, damaged);
}

qsizetype lineAfter(QByteArrayView bytes)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        line += bytes[i] == '\n'
            || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
    return line;
}

IoStatus append(const QString &fileName, QStringView text)
{
    bool existed = QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink();
    QFile file(fileName);
    const auto open = [&file](int created) {
        return openRegularFile(file, O_WRONLY | O_APPEND | created,
                               QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                               IoAction::Write);
    };
    // A file this append creates is made anew (O_EXCL), so that the one a failed first record
    // takes away again is certainly its own; one that appeared meanwhile is appended to.
    IoStatus opened = open(existed ? O_CREAT : O_CREAT | O_EXCL);
    if (!opened.ok() && !existed && QFileInfo::exists(fileName)) {
        existed = true;
        opened = open(O_CREAT);
    }
    if (!opened.ok())
        return opened;
    const qint64 before = file.size();
    if (text.isEmpty())
        return existed ? IoStatus::success() : syncFolder(fileName);
    QByteArray ends;
    if (IoStatus read = readEnds(fileName, before, ends); !read.ok())
        return read;
    QByteArray record = FileText::encode(text, FileText::encodingOf(ends));
    if (!lastLineEnded(ends))
        record.prepend("\r\n");
    if (file.write(record) != record.size() || !file.flush() || !synced(file)) {
        const QString reason
            = file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(errno);
        if (!existed) {
            removeOwnFile(file, fileName);
        } else if (file.size() != before) {
            file.resize(before);
        }
        return IoStatus::failure(fileName, reason);
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return IoStatus::failure(fileName, file.errorString());
    return existed ? IoStatus::success() : syncFolder(fileName);
}

IoStatus replace(const QString &fileName, const QByteArray &bytes, const QByteArray *expected)
{
    const QFileInfo existing(fileName);
    // Renaming a new file over a device or a pipe would replace the special file itself.
    if (existing.exists() && !existing.isFile())
        return notRegularFile(fileName, IoAction::Write);
    const ReadResult now = readAll(fileName);
    if (!now.status.ok())
        return IoStatus::failure(fileName, now.status.reason(), IoAction::Write,
                                 now.status.problem());
    if (expected && now.bytes != *expected)
        return IoStatus::failure(fileName, QStringLiteral("changed on disk"), IoAction::Write,
                                 IoProblem::ChangedOnDisk);
    // Nothing to change: the file keeps its inode, its time and its bytes.
    if (now.bytes == bytes && existing.exists())
        return IoStatus::success();
    QSaveFile file(fileName);
    // Unbuffered: a buffered write that fails only at commit() goes unnoticed by QSaveFile and
    // would replace the old file with a truncated one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return replaceFailed(fileName, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return IoStatus::failure(fileName, reason);
    }
    if (!file.commit())
        return replaceFailed(fileName, file.errorString());
    // The new contents are synced by commit(), the rename that puts them in place is not.
    return syncFolder(fileName);
}

IoStatus truncate(const QString &fileName)
{
    const bool existed = QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink();
    QFile file(fileName);
    // Cut only once it is known to be a regular file.
    if (IoStatus opened
        = openRegularFile(file, O_RDWR | O_CREAT, QIODevice::ReadWrite, IoAction::Write);
        !opened.ok())
        return opened;
    const qint64 kept = FileText::markOf(FileText::encodingOf(file.read(3))).size();
    if (file.size() != kept && (!file.resize(kept) || !synced(file)))
        return IoStatus::failure(fileName,
                                 file.error() != QFileDevice::NoError ? file.errorString()
                                                                      : qt_error_string(errno));
    file.close();
    return existed ? IoStatus::success() : syncFolder(fileName);
}

IoStatus remove(const QString &fileName)
{
    // Only a data file goes: a pipe, a device or a folder in its place is something of the user's.
    if (!QFileInfo(fileName).isFile())
        return notRegularFile(fileName, IoAction::Write);
    if (!QFile::remove(fileName))
        return IoStatus::failure(fileName, QStringLiteral("not removed"));
    return syncFolder(fileName);
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
