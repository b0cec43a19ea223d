#pragma once

#include "filetext.h"
#include "history.h"

#include <QDateTime>
#include <QFile>
#include <vector>

// A history file read once, in pieces, keeping only where each record's line starts and the
// running total of the counts: listing a history of a million records costs about what reading
// its file costs, and little memory. A record's texts are read back from the file when asked
// for, which a list does for the rows on screen only. Records, their texts and the total are
// exactly what History::read and History::addToTotal make of the same file.
class HistoryIndex
{
public:
    // Reads the item's history file, found as History::read finds it. A file that cannot be
    // read whole leaves the index empty and tells why.
    IoStatus read(const QString &itemName);

    qsizetype size() const { return qsizetype(m_starts.size()); }
    // Made whole after every record, as History::addToTotal does.
    double total() const { return m_total; }
    // The texts of the record at 0-based row. Should the file have changed since it was read,
    // or have become unreadable, the texts are empty: the record is no longer there to show.
    History::Record record(qsizetype row) const;
    // The number of the first line skipped for being damaged (see TextFile::damages), or 0.
    qsizetype damagedLine() const { return m_damagedLine; }

private:
    void readRecords(QFile &file);
    void readShown(qsizetype row) const;

    QString m_itemName;
    qint64 m_fileSize = 0;
    QDateTime m_modified;
    FileText::Encoding m_encoding = FileText::Encoding::CodePage932;
    std::vector<qint64> m_starts;
    double m_total = 0;
    qint64 m_damagedAt = -1;
    qsizetype m_damagedLine = 0;
    // The records last read back for the list, from row m_shownFrom on.
    mutable qsizetype m_shownFrom = 0;
    mutable QList<History::Record> m_shown;
};
