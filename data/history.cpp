#include "history.h"

#include "clock.h"
#include "codepage932.h"
#include "fieldreader.h"
#include "filetext.h"
#include "namecheck.h"
#include "numeric.h"
#include "textfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

IoStatus unusableName(const QString &itemName, IoAction action = IoAction::Write)
{
    return IoStatus::failure(History::fileName(itemName),
                             QStringLiteral("not a plain file name in the current directory"),
                             action, IoProblem::UnusableName);
}

void visitRecords(QByteArrayView bytes, const History::RecordVisitor &visit)
{
    const QString text = FileText::decode(bytes);
    const QStringView all(text);
    QStringView fields[3];
    for (qsizetype at = 0; at < all.size();) {
        const qsizetype start = at;
        bool damaged = false;
        FieldReader reader(TextFile::readablePart(
            all.sliced(start, TextFile::lineEnd(all, start, at) - start), damaged));
        if (int n = reader.nextRecord(fields, 3))
            visit(fields[0], n > 1 ? fields[1] : QStringView(), n > 2 ? fields[2] : QStringView());
    }
}

// Files copied from Windows may differ from the item's name in letter case only. When
// "<name>.txt" does not exist, the one file whose name matches without regard to case holds the
// history; of several such files none is more right than another, so then only the exact name
// counts.
QString existingFileName(const QString &itemName)
{
    const QString exact = History::fileName(itemName);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList found = TextFile::namesIgnoringCase(exact);
    return found.size() == 1 ? found.first() : exact;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

namespace History {

QString fileName(const QString &itemName)
{
    return itemName + QStringLiteral(".txt");
}

double addToTotal(double total, QStringView count)
{
    const double sum = Numeric::roundHalfEven(total + Numeric::valueOf(count));
    return std::clamp(sum, -kTotalLimit, kTotalLimit);
}

QString recordText(const QString &date, const QString &time, double count)
{
    return u'"' + date + QStringLiteral("\",\"") + time + QStringLiteral("\",")
        + Numeric::format(count) + QStringLiteral("\r\n");
}

QByteArray encodeRecord(const QString &date, const QString &time, double count)
{
    return CodePage932::encode(recordText(date, time, count)).bytes;
}

QList<Record> parse(QByteArrayView bytes)
{
    QList<Record> records;
    visitRecords(bytes, [&records](QStringView date, QStringView time, QStringView count) {
        records.append(Record {date.toString(), time.toString(), count.toString()});
    });
    return records;
}

IoStatus appendSetRecord(const QString &itemName, double count, const Clock &clock)
{
    if (!isSafeHistoryName(itemName))
        return unusableName(itemName);
    // One reading for both: a set right at midnight carries the date and the time of one instant.
    const QDateTime now = clock.currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    const QString dateText = twoDigits(date.month()) + u'月' + twoDigits(date.day()) + u'日';
    const QString timeText = twoDigits(time.hour()) + u'時' + twoDigits(time.minute()) + u'分'
        + twoDigits(time.second()) + u'秒';
    return TextFile::append(existingFileName(itemName), recordText(dateText, timeText, count));
}

IoStatus ensure(const QString &itemName)
{
    if (!isSafeHistoryName(itemName))
        return unusableName(itemName);
    return TextFile::append(existingFileName(itemName), QString());
}

ReadResult read(const QString &itemName)
{
    ReadResult result;
    if (!isSafeHistoryName(itemName)) {
        result.status = unusableName(itemName, IoAction::Read);
        return result;
    }
    TextFile::ReadResult file = TextFile::readAll(existingFileName(itemName));
    result.status = file.status;
    if (file.status.ok())
        result.records = parse(file.bytes);
    return result;
}

IoStatus open(const QString &itemName, QFile &file)
{
    if (!isSafeHistoryName(itemName))
        return unusableName(itemName, IoAction::Read);
    file.setFileName(existingFileName(itemName));
    return TextFile::openToRead(file);
}

IoStatus clear(const QString &itemName)
{
    if (!isSafeHistoryName(itemName))
        return unusableName(itemName);
    return TextFile::truncate(existingFileName(itemName));
}

bool sameFile(const QString &a, const QString &b)
{
    return a == b || existingFileName(a) == existingFileName(b);
}

IoStatus remove(const QString &itemName)
{
    if (!isSafeHistoryName(itemName))
        return IoStatus::success();
    const QString file = existingFileName(itemName);
    return QFileInfo::exists(file) ? TextFile::remove(file) : IoStatus::success();
}

} // namespace History
