#pragma once

#include "iostatus.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <functional>

class Clock;
class QFile;

// One history file per item name: "<name>.txt" in the current directory (or the single file
// that matches it without regard to letter case), one record
// `"mm月dd日","hh時nn分ss秒",count` per recorded set, oldest first.
namespace History {

struct Record
{
    QString date;
    QString time;
    QString count; // exactly as written
};

struct ReadResult
{
    IoStatus status = IoStatus::success();
    QList<Record> records;
};

QString fileName(const QString &itemName);

IoStatus appendSetRecord(const QString &itemName, double count, const Clock &clock);
IoStatus ensure(const QString &itemName);
// A missing file reads as an empty history; nothing is created by reading.
ReadResult read(const QString &itemName);
// Opens the file for a reader that takes it apart itself (HistoryIndex); a missing file is left
// closed and reads as an empty history.
IoStatus open(const QString &itemName, QFile &file);
// A record's fields, as views valid during the call only.
using RecordVisitor = std::function<void(QStringView date, QStringView time, QStringView count)>;
IoStatus clear(const QString &itemName);
// Deletes the item's history file. A name no history can have, or no file at all, is nothing
// to delete; anything but a data file in its place stays, and that is a failure.
IoStatus remove(const QString &itemName);
// Whether two item names reach one history file, as names differing in letter case can.
bool sameFile(const QString &a, const QString &b);

// The running total of a history after one more record's count: made whole after every record
// (2.5 and 2.5 give 2, then 4) and held within ±1e15, far beyond any real total, so that a
// hand-edited count cannot overflow a conversion to a whole number.
double addToTotal(double total, QStringView count);
inline constexpr double kTotalLimit = 1e15;

// One record's text, line end included, and its code page 932 bytes.
QString recordText(const QString &date, const QString &time, double count);
QByteArray encodeRecord(const QString &date, const QString &time, double count);
QList<Record> parse(QByteArrayView bytes);

} // namespace History
