#include "history.h"
#include "historyindex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

// Any bytes as a history file: the history view's index lists exactly the records, texts and
// total that the reader of the whole decoded file gives.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const bool entered = dir.isValid() && QDir::setCurrent(dir.path());
    if (!entered)
        std::abort();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QFile file(QStringLiteral("a.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();

    const QList<History::Record> read = History::parse(bytes);
    HistoryIndex index;
    if (!index.read(QStringLiteral("a")).ok() || index.size() != read.size())
        std::abort();
    double total = 0;
    for (qsizetype row = 0; row < read.size(); ++row) {
        const History::Record listed = index.record(row);
        if (listed.date != read[row].date || listed.time != read[row].time
            || listed.count != read[row].count)
            std::abort();
        total = History::addToTotal(total, read[row].count);
    }
    if (index.total() != total)
        std::abort();
    return 0;
}
