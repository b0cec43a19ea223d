#include "history.h"
#include "numeric.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Any bytes read as a history, every count taken as a number, and the running total of them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<History::Record> records = History::parse(bytes);
    // A record takes at least one byte and its line end or the end of the file.
    if (records.size() > bytes.size())
        std::abort();
    double total = 0;
    for (const History::Record &record : records) {
        if (!std::isfinite(Numeric::valueOf(record.count)))
            std::abort();
        total = History::addToTotal(total, record.count);
        if (!std::isfinite(total))
            std::abort();
    }
    return 0;
}
