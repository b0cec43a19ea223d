#include "itemlist.h"
#include "namecheck.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>

// Any text as an item name. A name that is accepted must make a plain file name in the current
// directory, pass the history operations' own test and come back whole from the item list.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString name
        = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    if (checkItemName(name) != NameProblem::None)
        return 0;
    if (!isSafeHistoryName(name))
        std::abort();
    const QByteArray local = QFile::encodeName(name + QStringLiteral(".txt"));
    if (local.contains('/') || local.contains('\0') || local.size() > 255
        || QFile::decodeName(local) != name + QStringLiteral(".txt"))
        std::abort();
    const QList<Item> back = ItemList::parse(ItemList::encodeRecord(name, QStringLiteral("1")));
    if (back.size() != 1 || back[0].name != name || back[0].target != 1)
        std::abort();
    return 0;
}
