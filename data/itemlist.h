#pragma once

#include "filetext.h"
#include "iostatus.h"
#include "itemtable.h"

#include <QByteArray>
#include <optional>

// The item list file "項目一覧.txt" in the current directory: one record `"name",target` per
// item, every line ended by CR LF; code page 932, or UTF-8 when an editor made it so.
namespace ItemList {

// The name a new item list file is created with.
QString defaultFileName();
// The existing item list file, found without regard to letter case, or defaultFileName().
QString fileName();

// Replaces the table with the file's records. A missing file gives an empty table and no error.
// A failed read, or a file with more records than the item count holds, leaves a table that may
// not be written back.
IoStatus load(ItemTable &table);
// Writes the table's changes to the file, leaving out one position when given: only the records
// that changed are rewritten, in the file's own encoding, and every other byte stays as it is; a
// table without changes writes nothing. The old file stays intact until the new contents are
// complete on disk. Refused when the table did not come from a successful read, when the file
// changed since, and when a changed name would not read back.
IoStatus save(const ItemTable &table, std::optional<int> leaveOut = std::nullopt);
// What save() writes over a file that holds `old`, when the items are the ones read from it with
// some changed. None when they are not, or when the result would read in another encoding
// (uncarried stays empty), or when a changed name would not read back (named in uncarried).
std::optional<QByteArray> rewritten(QByteArrayView old, const QList<Item> &items,
                                    std::optional<int> leaveOut, QString &uncarried);
// Adds one record at the end of the file as it now is, in its own encoding and on a line of its
// own, creating the file if needed; the file is replaced in one step. Sets edited when the file
// no longer held what the table was read from (or the table never came from a read).
IoStatus append(const ItemTable &table, const QString &name, double target, bool &edited);
// Whether a record of a file in this encoding reads back with exactly this name.
bool carries(const QString &name, FileText::Encoding encoding = FileText::Encoding::CodePage932);

// The bytes of one record in a file of this encoding, and the records a file's bytes hold.
QByteArray encodeRecord(const QString &name, const QString &targetText,
                        FileText::Encoding encoding = FileText::Encoding::CodePage932);
QList<Item> parse(QByteArrayView bytes);
// The number of the first line that holds no record for being damaged (see TextFile::damages),
// or 0.
qsizetype damagedLine(QByteArrayView bytes);

} // namespace ItemList
