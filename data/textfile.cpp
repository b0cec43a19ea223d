#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace TextFile {

ReadResult readAll(const QString &fileName)
{
    ReadResult result;
    QFile file(fileName);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = IoStatus::failure(fileName, file.errorString());
        return result;
    }
    result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        result.status = IoStatus::failure(fileName, file.errorString());
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
        return IoStatus::failure(fileName, QStringLiteral("not a regular file"));
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

IoStatus truncate(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return IoStatus::failure(fileName, file.errorString());
    file.close();
    return IoStatus::success();
}

} // namespace TextFile
