#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

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
    const bool existed = QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink();
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return IoStatus::failure(fileName, file.errorString());
    const qint64 before = file.size();
    if (bytes.isEmpty())
        return IoStatus::success();
    bool ended = true;
    if (IoStatus read = lastLineEnded(fileName, before, ended); !read.ok())
        return read;
    const QByteArray record = ended ? bytes : QByteArrayLiteral("\r\n") + bytes;
    if (file.write(record) != record.size() || !file.flush()) {
        const QString reason = file.errorString();
        if (!existed)
            file.remove();
        else if (file.isSequential() == false && file.size() != before)
            file.resize(before);
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
        return IoStatus::failure(fileName, QStringLiteral("not a regular file"), IoAction::Write,
                                 IoProblem::NotRegularFile);
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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return IoStatus::failure(fileName, file.errorString());
    file.close();
    return IoStatus::success();
}

} // namespace TextFile
