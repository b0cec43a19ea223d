#pragma once

#include "iostatus.h"

#include <QByteArray>
#include <QStringList>

// Whole-file operations shared by the item list and the history files.
namespace TextFile {

struct ReadResult
{
    IoStatus status = IoStatus::success();
    QByteArray bytes;
};

// A missing file reads as empty, and nothing is created.
ReadResult readAll(const QString &fileName);
// Appends the bytes in one write, on a line of their own: a last line that an editor saved
// without its line end gets CR LF first. On failure the file is cut back to its former length,
// and a file this call created is removed again.
IoStatus append(const QString &fileName, const QByteArray &bytes);
// Replaces the contents in one step: the old file stays until the new one is complete. A
// symbolic link is written through, and a file the user may not write is left alone. With
// expected given, the file must still hold exactly those bytes (a missing one holds none), or
// nothing is written: someone else changed it since.
IoStatus replace(const QString &fileName, const QByteArray &bytes,
                 const QByteArray *expected = nullptr);
// Removes the "<name>.XXXXXX" files that replace() leaves when killed between naming its new
// file and renaming it over the old one.
void removeLeftovers(const QString &fileName);
// Creates the file empty or cuts it to zero length.
IoStatus truncate(const QString &fileName);
// The files of the current directory whose names equal the given one without regard to letter
// case, as files copied from Windows may name them; in name order.
QStringList namesIgnoringCase(const QString &fileName);

} // namespace TextFile
