#include "history.h"
#include "numeric.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

// Any bytes read as a history. Every count is read as a number: the value is finite, its written
// form reads back as the same value, making it whole keeps it within half a unit (and within the
// 16-bit range where asked), and the running total of all of them stays finite.
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
        if (Numeric::valueOf(Numeric::format(value)) != value)
            std::abort();
        const double whole = Numeric::roundHalfEven(value);
        if (whole != std::trunc(whole) || std::fabs(whole - value) > 0.5)
            std::abort();
        const qint16 small = Numeric::toInt16(value);
        if (value >= -32768.5 && value <= 32767.5 && std::fabs(double(small) - value) > 0.5)
            std::abort();
        total = History::addToTotal(total, record.count);
        if (!std::isfinite(total))
            std::abort();
    }
    return 0;
}
