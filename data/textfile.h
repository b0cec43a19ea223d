#pragma once

#include "iostatus.h"

#include <QByteArray>

// Whole-file operations shared by the item list and the history files.
namespace TextFile {

struct ReadResult
{
    IoStatus status = IoStatus::success();
    QByteArray bytes;
};

// A missing file reads as empty, and nothing is created.
ReadResult readAll(const QString &fileName);
// Appends the bytes in one write; on failure the file is cut back to its former length so that
// no partial record is left behind.
IoStatus append(const QString &fileName, const QByteArray &bytes);
// Replaces the contents in one step: the old file stays until the new one is complete.
IoStatus replace(const QString &fileName, const QByteArray &bytes);
// The hidden file beside it that replace() may leave behind when the process is killed.
QString temporaryName(const QString &fileName);
// Creates the file empty or cuts it to zero length.
IoStatus truncate(const QString &fileName);

} // namespace TextFile
