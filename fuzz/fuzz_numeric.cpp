#include "numeric.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

// Any text as a number: the value is finite, its written form reads back as the same value, and
// making it whole keeps it within half a unit and within the 16-bit range where asked.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text
        = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const double value = Numeric::valueOf(text);
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
    return 0;
}
