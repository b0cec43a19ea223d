#include "itemlist.h"

#include "codepage932.h"
#include "fieldreader.h"
#include "numeric.h"
#include "textfile.h"

#include <QFileInfo>
#include <limits>

namespace {

void appendRecordText(QString &text, const QString &name, const QString &targetText)
{
    text += u'"';
    text += name;
    text += QStringLiteral("\",");
    text += targetText;
    text += QStringLiteral("\r\n");
}

IoStatus notCarried(const QString &fileName, const QString &itemName)
{
    return IoStatus::failure(fileName, itemName, IoAction::Write, IoProblem::NameNotCarried);
}

// The item count is 16 bits wide: a longer list would wrap it, and the next save would keep
// only the records the wrapped count still reached.
IoStatus checkItemCount(const QString &fileName, qsizetype count)
{
    if (count <= std::numeric_limits<qint16>::max())
        return IoStatus::success();
    return IoStatus::failure(fileName, QString::number(count), IoAction::Read,
                             IoProblem::TooManyItems);
}

} // namespace

namespace ItemList {

QString defaultFileName()
{
    return QStringLiteral("項目一覧.txt");
}

QString fileName()
{
    const QString preferred = defaultFileName();
    if (QFileInfo::exists(preferred))
        return preferred;
    // The name is matched without regard to letter case, as on the file system it comes from.
    const QStringList found = TextFile::namesIgnoringCase(preferred);
    return found.isEmpty() ? preferred : found.first();
}

QByteArray encodeRecord(const QString &name, const QString &targetText)
{
    QString line;
    appendRecordText(line, name, targetText);
    return CodePage932::encode(line).bytes;
}

QList<Item> parse(QByteArrayView bytes)
{
    const QString text = decodeFileText(bytes);
    FieldReader reader(text);
    QList<Item> items;
    QStringView fields[2];
    while (int n = reader.nextRecord(fields, 2)) {
        Item item;
        item.name = fields[0].toString();
        // A missing or non-numeric target reads as 0; fractions and values out of range are
        // made whole and clamped into the 16-bit target.
        item.target = n > 1 ? Numeric::toInt16(Numeric::valueOf(fields[1])) : qint16(0);
        items.append(std::move(item));
    }
    return items;
}

bool carries(const QString &name)
{
    // A character without a code page 932 form is left out of the bytes, so it fails here too.
    const QList<Item> back = parse(encodeRecord(name, QStringLiteral("1")));
    return back.size() == 1 && back[0].name == name;
}

IoStatus load(ItemTable &table)
{
    const QString name = fileName();
    TextFile::removeLeftovers(name);
    TextFile::ReadResult read = TextFile::readAll(name);
    if (!read.status.ok()) {
        table.setFileBytes(std::nullopt);
        return read.status;
    }
    QList<Item> items = parse(read.bytes);
    if (IoStatus counted = checkItemCount(name, items.size()); !counted.ok()) {
        table.setFileBytes(std::nullopt);
        return counted;
    }
    table.replaceAll(std::move(items));
    table.setFileBytes(std::move(read.bytes));
    return IoStatus::success();
}

IoStatus save(const ItemTable &table, std::optional<int> leaveOut)
{
    const QString file = fileName();
    QString text;
    const int count = table.count();
    for (int k = 1; k <= count; ++k) {
        if (leaveOut && *leaveOut == k)
            continue;
        // A name that would come back altered would cut the item off from its history.
        if (!carries(table.name(k)))
            return notCarried(file, table.name(k));
        appendRecordText(text, table.name(k), QString::number(table.target(k)));
    }
    if (!table.fileBytes())
        return IoStatus::failure(file, QStringLiteral("never read"), IoAction::Write,
                                 IoProblem::NotReadYet);
    const QByteArray bytes = CodePage932::encode(text).bytes;
    const IoStatus written = TextFile::replace(file, bytes, &*table.fileBytes());
    if (written.ok())
        table.setFileBytes(bytes);
    return written;
}

IoStatus append(const QString &itemName, double target)
{
    if (!carries(itemName))
        return notCarried(fileName(), itemName);
    QString text;
    appendRecordText(text, itemName, Numeric::format(target));
    return TextFile::append(fileName(), CodePage932::encode(text).bytes);
}

} // namespace ItemList
