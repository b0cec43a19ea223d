#pragma once

#include "iostatus.h"

#include <QByteArray>
#include <QStringList>
#include <QStringView>

class QFile;

// Whole-file operations shared by the item list and the history files.
namespace TextFile {

struct ReadResult
{
    IoStatus status = IoStatus::success();
    QByteArray bytes;
};

// A missing file reads as empty, and nothing is created.
ReadResult readAll(const QString &fileName);
// Opens the file for reading in pieces, as readAll() would read it; a missing file is left
// closed, which is no failure.
IoStatus openToRead(QFile &file);
// Whether text appended to these bytes starts a line of its own: nothing but a byte-order mark,
// or a last line that is ended.
bool lastLineEnded(QByteArrayView bytes);
// Whether a line holding this character is damaged: no record holds a control character other
// than the tab. A power cut during an append can leave NUL bytes after the file's last line, on
// that line when it had no line end yet, so NUL bytes at the end of a line are read as if they
// were not there; a line damaged otherwise holds no record. Readers never write a damaged line
// back: a rewrite keeps its bytes as they are. A control byte stands for itself in both
// encodings.
constexpr bool damages(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') || c == 0x7F;
}
// The part of a line that may hold a record: without the NUL bytes at its end; empty when
// anything else in it damages it. Sets damaged when the line holds anything that damages it.
QStringView readablePart(QStringView line, bool &damaged);
QByteArrayView readablePart(QByteArrayView line, bool &damaged);
// One unit of a line, a byte of a file or a character of its text, as a number.
constexpr char16_t unit(char c)
{
    return uchar(c);
}
constexpr char16_t unit(QChar c)
{
    return c.unicode();
}
// Where the line starting at `start` ends, and in `next` where the one after it begins. CR LF, a
// lone CR and a lone LF end a line, in the bytes and in the decoded text alike: neither encoding
// uses these bytes inside a character.
template<typename View> qsizetype lineEnd(View view, qsizetype start, qsizetype &next)
{
    qsizetype end = start;
    while (end < view.size() && unit(view[end]) != u'\r' && unit(view[end]) != u'\n')
        ++end;
    next = end;
    if (next < view.size() && unit(view[next]) == u'\r')
        ++next;
    if (next < view.size() && unit(view[next]) == u'\n')
        ++next;
    return end;
}
// The 1-based number of the line that starts right after these bytes; CR LF ends one line.
qsizetype lineAfter(QByteArrayView bytes);
// Appends one or more records, given as text, in the file's own encoding (see FileText), on a
// line of their own: a last line that an editor saved without its line end gets CR LF first.
// Empty text only creates a missing file. On failure the file is cut back to its former length,
// and a file this call created is removed again, unless another file has taken its name.
IoStatus append(const QString &fileName, QStringView text);
// Replaces the contents in one step: the old file stays until the new one is complete. Bytes
// equal to those on disk are not written at all. A symbolic link is written through, and a file
// the user may not write is left alone. With expected given, the file must still hold exactly
// those bytes (a missing one holds none), or nothing is written: someone else changed it since.
IoStatus replace(const QString &fileName, const QByteArray &bytes,
                 const QByteArray *expected = nullptr);
// Cuts the file to zero length, or creates it empty; a UTF-8 file keeps its byte-order mark.
IoStatus truncate(const QString &fileName);
// Removes a data file, the removal on disk before this returns. Anything else of that name (a
// pipe, a device, a folder) is the user's and stays: a failure.
IoStatus remove(const QString &fileName);
// Every write above returns once its bytes and names are on the disk, not in the system's cache
// only: a power cut right after cannot take back what was reported as written. These do the
// syncing (fdatasync and fsync), so that a test can make one fail.
extern int (*syncData)(int fd);
extern int (*syncAll)(int fd);
// The files of the current directory whose names equal the given one without regard to letter
// case, as files copied from Windows may name them; in name order.
QStringList namesIgnoringCase(const QString &fileName);

} // namespace TextFile
