#include "itemlist.h"

#include "fieldreader.h"
#include "numeric.h"
#include "textfile.h"

#include <QFileInfo>
#include <limits>

namespace {

QString recordText(const QString &name, const QString &targetText)
{
    return u'"' + name + QStringLiteral("\",") + targetText;
}

// One record of a list file and where its line lies in the file's bytes.
struct Line
{
    Item item;
    qsizetype start = 0;
    qsizetype contentEnd = 0; // where its line end begins
    qsizetype end = 0; // after its line end
};

// The records of a list file, each with its line; a line of blanks holds none. The text is
// decoded once and walked line by line beside the bytes.
QList<Line> recordLines(QByteArrayView bytes)
{
    const FileText::Encoding encoding = FileText::encodingOf(bytes);
    const qsizetype mark = FileText::textStart(bytes);
    const QString text = FileText::decode(bytes.sliced(mark), encoding);
    QList<Line> lines;
    qsizetype at = mark, textAt = 0;
    while (at < bytes.size() && textAt < text.size()) {
        Line line;
        line.start = at;
        line.contentEnd = TextFile::lineEnd(bytes, at, at);
        line.end = at;
        qsizetype textNext = 0;
        const qsizetype textEnd = TextFile::lineEnd(QStringView(text), textAt, textNext);
        bool damaged = false;
        const QStringView content
            = TextFile::readablePart(QStringView(text).sliced(textAt, textEnd - textAt), damaged);
        textAt = textNext;
        FieldReader reader(content);
        QStringView fields[2];
        const int n = reader.nextRecord(fields, 2);
        if (n == 0)
            continue;
        line.item.name = fields[0].toString();
        // A missing or non-numeric target reads as 0; fractions and values out of range are
        // made whole and clamped into the 16-bit target.
        line.item.target = n > 1 ? Numeric::toInt16(Numeric::valueOf(fields[1])) : qint16(0);
        lines.append(std::move(line));
    }
    return lines;
}

bool sameItem(const Item &a, const Item &b)
{
    return a.name == b.name && a.target == b.target;
}

IoStatus notCarried(const QString &fileName, const QString &itemName)
{
    return IoStatus::failure(fileName, itemName, IoAction::Write, IoProblem::NameNotCarried);
}

IoStatus notReadYet(const QString &fileName)
{
    return IoStatus::failure(fileName, QStringLiteral("never read"), IoAction::Write,
                             IoProblem::NotReadYet);
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

QByteArray encodeRecord(const QString &name, const QString &targetText, FileText::Encoding encoding)
{
    return FileText::encode(recordText(name, targetText) + QStringLiteral("\r\n"), encoding);
}

QList<Item> parse(QByteArrayView bytes)
{
    QList<Item> items;
    for (Line &line : recordLines(bytes))
        items.append(std::move(line.item));
    return items;
}

qsizetype damagedLine(QByteArrayView bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype start = at;
        bool damaged = false;
        (void)TextFile::readablePart(
            bytes.sliced(start, TextFile::lineEnd(bytes, start, at) - start), damaged);
        if (damaged)
            return TextFile::lineAfter(bytes.first(start));
    }
    return 0;
}

bool carries(const QString &name, FileText::Encoding encoding)
{
    // A character without a code page 932 form is left out of the bytes, so it fails here too.
    const QByteArray bytes = FileText::markOf(encoding).toByteArray()
        + encodeRecord(name, QStringLiteral("1"), encoding);
    const QList<Item> back = parse(bytes);
    return back.size() == 1 && back[0].name == name;
}

IoStatus load(ItemTable &table)
{
    const QString name = fileName();
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

std::optional<QByteArray> rewritten(QByteArrayView old, const QList<Item> &items,
                                    std::optional<int> leaveOut, QString &uncarried)
{
    const FileText::Encoding encoding = FileText::encodingOf(old);
    const QList<Line> lines = recordLines(old);
    if (lines.size() != items.size())
        return std::nullopt;
    // The file as it is, with the lines of the records that changed replaced and the line of the
    // item left out taken away: hand-made lines, line ends and byte forms of the others stay.
    QByteArray bytes;
    qsizetype copied = 0;
    for (qsizetype k = 0; k < items.size(); ++k) {
        const Line &line = lines[k];
        const Item &item = items[k];
        if (leaveOut && *leaveOut == k + 1) {
            bytes += old.sliced(copied, line.start - copied);
            copied = line.end;
            continue;
        }
        if (sameItem(item, line.item))
            continue;
        // A name that would come back altered would cut the item off from its history.
        if (!carries(item.name, encoding)) {
            uncarried = item.name;
            return std::nullopt;
        }
        bytes += old.sliced(copied, line.start - copied);
        bytes += FileText::encode(recordText(item.name, QString::number(item.target)), encoding);
        copied = line.contentEnd;
    }
    bytes += old.sliced(copied);
    // A file whose first line goes may be left with the bytes of UTF-8's mark at its start: a
    // code page 932 file would read as UTF-8, and in a UTF-8 file the line's first character
    // would read as a second mark.
    if (FileText::encodingOf(bytes) != encoding
        || FileText::textStart(bytes) != FileText::textStart(old))
        return std::nullopt;
    return bytes;
}

IoStatus save(const ItemTable &table, std::optional<int> leaveOut)
{
    const QString file = fileName();
    if (!table.fileBytes())
        return notReadYet(file);
    QString uncarried;
    const std::optional<QByteArray> bytes
        = rewritten(*table.fileBytes(), table.items(), leaveOut, uncarried);
    if (!bytes)
        return uncarried.isEmpty() ? notReadYet(file) : notCarried(file, uncarried);
    const IoStatus written = TextFile::replace(file, *bytes, &*table.fileBytes());
    // Once an item is left out, the table no longer matches the file until it is read again.
    if (written.ok())
        table.setFileBytes(leaveOut ? std::nullopt : bytes);
    return written;
}

IoStatus append(const ItemTable &table, const QString &itemName, double target, bool &edited)
{
    const QString file = fileName();
    const TextFile::ReadResult now = TextFile::readAll(file);
    if (!now.status.ok())
        return now.status;
    edited = !table.fileBytes() || *table.fileBytes() != now.bytes;
    const FileText::Encoding encoding = FileText::encodingOf(now.bytes);
    if (!carries(itemName, encoding))
        return notCarried(file, itemName);
    QByteArray bytes = now.bytes;
    if (!TextFile::lastLineEnded(bytes))
        bytes += "\r\n";
    bytes += encodeRecord(itemName, Numeric::format(target), encoding);
    return TextFile::replace(file, bytes, &now.bytes);
}

} // namespace ItemList
