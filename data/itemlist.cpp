#include "itemlist.h"

#include "codepage932.h"
#include "fieldreader.h"
#include "numeric.h"
#include "textfile.h"

#include <QDir>
#include <QFileInfo>
#include <limits>

namespace {

IoStatus unencodable(const QString &fileName, const QString &characters)
{
    return IoStatus::failure(fileName, characters, IoAction::Write, IoProblem::NameNotCarried);
}

void appendRecordText(QString &text, const QString &name, const QString &targetText)
{
    text += u'"';
    text += name;
    text += QStringLiteral("\",");
    text += targetText;
    text += QStringLiteral("\r\n");
}

IoStatus writeEncoded(const QString &fileName, const QString &text, bool appending)
{
    CodePage932::Encoded encoded = CodePage932::encode(text);
    if (!encoded.ok())
        return unencodable(fileName, encoded.unencodable);
    return appending ? TextFile::append(fileName, encoded.bytes)
                     : TextFile::replace(fileName, encoded.bytes);
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
    const QStringList entries = QDir::current().entryList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(preferred, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return preferred;
}

QByteArray encodeRecord(const QString &name, const QString &targetText)
{
    QString line;
    appendRecordText(line, name, targetText);
    return CodePage932::encode(line).bytes;
}

QList<Item> parse(QByteArrayView bytes)
{
    const QString text = CodePage932::decode(bytes).text;
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

IoStatus load(ItemTable &table)
{
    const QString name = fileName();
    TextFile::ReadResult read = TextFile::readAll(name);
    if (!read.status.ok())
        return read.status;
    QList<Item> items = parse(read.bytes);
    if (IoStatus counted = checkItemCount(name, items.size()); !counted.ok())
        return counted;
    table.replaceAll(std::move(items));
    return IoStatus::success();
}

IoStatus save(const ItemTable &table, std::optional<int> leaveOut)
{
    QString text;
    const int count = table.count();
    for (int k = 1; k <= count; ++k) {
        if (!leaveOut || *leaveOut != k)
            appendRecordText(text, table.name(k), QString::number(table.target(k)));
    }
    return writeEncoded(fileName(), text, false);
}

IoStatus append(const QString &itemName, double target)
{
    QString text;
    appendRecordText(text, itemName, Numeric::format(target));
    return writeEncoded(fileName(), text, true);
}

} // namespace ItemList
