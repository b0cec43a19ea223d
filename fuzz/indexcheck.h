#pragma once

#include "history.h"
#include "historyindex.h"

#include <QFile>

// Whether the history view's index lists exactly the records, texts and total that the reader
// of the whole decoded file gives, for a history a.txt of these bytes in the current folder.
inline bool indexListsWhatTheReaderReads(const QByteArray &bytes)
{
    QFile file(QStringLiteral("a.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    const QList<History::Record> read = History::parse(bytes);
    HistoryIndex index;
    if (!index.read(QStringLiteral("a")).ok() || index.size() != read.size())
        return false;
    double total = 0;
    for (qsizetype row = 0; row < read.size(); ++row) {
        const History::Record listed = index.record(row);
        if (listed.date != read[row].date || listed.time != read[row].time
            || listed.count != read[row].count)
            return false;
        total = History::addToTotal(total, read[row].count);
    }
    return index.total() == total;
}
