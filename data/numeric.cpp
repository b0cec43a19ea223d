#include "numeric.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <limits>

namespace Numeric {

double valueOf(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < n && text[j] >= u'0' && text[j] <= u'9') {
            ++j;
            ++fraction;
        }
        if (fraction > 0 || digits > 0) {
            digits += fraction;
            i = j;
        }
    }
    if (digits == 0)
        return 0.0;
    // The usual count is a few ASCII characters: converted in place, without a string copy.
    char ascii[64];
    qsizetype length = 0;
    if (i - start < qsizetype(sizeof ascii)) {
        for (qsizetype k = start; k < i; ++k) {
            if (text[k] != u'+')
                ascii[length++] = char(text[k].unicode());
        }
        if (length > 0 && ascii[length - 1] == '.')
            --length;
        double value = 0;
        const auto parsed = std::from_chars(ascii, ascii + length, value);
        if (parsed.ec == std::errc() && parsed.ptr == ascii + length)
            return value;
    }
    QString number = text.sliced(start, i - start).toString();
    if (number.endsWith(u'.'))
        number.chop(1);
    bool ok = false;
    double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value)) {
        // Only a number past the double range gets here; keep its sign and stay finite.
        const double max = std::numeric_limits<double>::max();
        value = number.startsWith(u'-') ? -max : max;
    }
    return value;
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

qint16 toInt16(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(value);
    if (r <= -32768.0)
        return -32768;
    if (r >= 32767.0)
        return 32767;
    return qint16(r);
}

QString format(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value))
        return QString::number(qint64(value));
    // Fixed notation: an exponent would not read back through valueOf().
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace Numeric
