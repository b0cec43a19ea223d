#pragma once

#include "iostatus.h"
#include "itemtable.h"

#include <QByteArray>
#include <optional>

// The item list file "項目一覧.txt" in the current directory: one record `"name",target` per
// item, code page 932, every line ended by CR LF.
namespace ItemList {

// The name a new item list file is created with.
QString defaultFileName();
// The existing item list file, found without regard to letter case, or defaultFileName().
QString fileName();

// Replaces the table with the file's records. A missing file gives an empty table and no error.
// A failed read, or a file with more records than the item count holds, leaves a table that may
// not be written back.
IoStatus load(ItemTable &table);
// Rewrites the whole file from the table, leaving out one position when given. The old file
// stays intact until the new contents are complete on disk. Refused when the table did not come
// from a successful read, when the file changed since, and when a name would not read back.
IoStatus save(const ItemTable &table, std::optional<int> leaveOut = std::nullopt);
// Adds one record at the end of the file, on a line of its own, creating the file if needed.
IoStatus append(const QString &name, double target);
// Whether a record of the file reads back with exactly this name.
bool carries(const QString &name);

// The byte form of a file holding these records, and the records a file's bytes hold.
QByteArray encodeRecord(const QString &name, const QString &targetText);
QList<Item> parse(QByteArrayView bytes);

} // namespace ItemList
