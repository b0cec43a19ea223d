#include "codepage932.h"
#include "itemlist.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

// Any bytes read as an item list; the items read must survive a rewrite in the file's own
// encoding and a second reading, and the text decoded from the bytes must encode back to bytes
// that decode the same way.
static bool same(const QList<Item> &a, const QList<Item> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Item &x, const Item &y) {
        return x.name == y.name && x.target == y.target;
    });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<Item> items = ItemList::parse(bytes);

    const QString text = CodePage932::decode(bytes).text;
    const QByteArray again = CodePage932::encode(text).bytes;
    if (CodePage932::decode(again).text != text)
        std::abort();

    const FileText::Encoding encoding = FileText::encodingOf(bytes);
    QByteArray rewritten = FileText::markOf(encoding).toByteArray();
    QList<Item> expected;
    for (const Item &item : items) {
        // A name the format cannot carry (a quote) is never written: a rewrite refuses it.
        if (!ItemList::carries(item.name, encoding))
            continue;
        rewritten += ItemList::encodeRecord(item.name, QString::number(item.target), encoding);
        expected.append(item);
    }
    if (!same(ItemList::parse(rewritten), expected))
        std::abort();

    // A rewrite in place: a changed first target and a first item left out, whatever the other
    // lines hold, read back as exactly the items asked for.
    if (items.isEmpty())
        return 0;
    QList<Item> changed = items;
    changed[0].target = changed[0].target == 5 ? 6 : 5;
    QString uncarried;
    const std::optional<QByteArray> saved = ItemList::rewritten(bytes, changed, {}, uncarried);
    if (saved ? !same(ItemList::parse(*saved), changed) : uncarried.isEmpty())
        std::abort();
    // Refused only when the next line starts with the bytes of UTF-8's mark.
    const std::optional<QByteArray> shorter = ItemList::rewritten(bytes, items, 1, uncarried);
    if (shorter ? !same(ItemList::parse(*shorter), items.sliced(1))
                : !bytes.contains("\xEF\xBB\xBF"))
        std::abort();
    return 0;
}
