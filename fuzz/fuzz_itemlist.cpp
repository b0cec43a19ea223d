#include "codepage932.h"
#include "itemlist.h"

#include <cstdint>
#include <cstdlib>

// Any bytes read as an item list; the items read must survive a rewrite and a second reading,
// and the text decoded from the bytes must encode back to bytes that decode the same way.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<Item> items = ItemList::parse(bytes);

    const QString text = CodePage932::decode(bytes).text;
    const QByteArray again = CodePage932::encode(text).bytes;
    if (CodePage932::decode(again).text != text)
        std::abort();

    QByteArray rewritten;
    QList<Item> expected;
    for (const Item &item : items) {
        // A name the format cannot carry (a quote, a character a list re-saved as UTF-8 held
        // that code page 932 lacks) is never written: a rewrite refuses it.
        if (!ItemList::carries(item.name))
            continue;
        rewritten += ItemList::encodeRecord(item.name, QString::number(item.target));
        expected.append(item);
    }
    const QList<Item> reread = ItemList::parse(rewritten);
    if (reread.size() != expected.size())
        std::abort();
    for (qsizetype k = 0; k < reread.size(); ++k) {
        if (reread[k].name != expected[k].name || reread[k].target != expected[k].target)
            std::abort();
    }
    return 0;
}
