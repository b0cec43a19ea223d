#include "history.h"
#include "numeric.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Any bytes read as a history, and every count taken as a number the way the total is made.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<History::Record> records = History::parse(bytes);
    // A record takes at least one byte and its line end or the end of the file.
    if (records.size() > bytes.size())
        std::abort();
    double total = 0;
    for (const History::Record &record : records) {
        const double value = Numeric::valueOf(record.count);
        if (!std::isfinite(value))
            std::abort();
        total = Numeric::roundHalfEven(total + value);
    }
    (void)total;
    return 0;
}
