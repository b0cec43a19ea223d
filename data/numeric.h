#pragma once

#include <QString>
#include <QStringView>

namespace Numeric {

// The number at the start of a text: leading blanks, an optional sign, ASCII digits and an
// optional period with more digits. Reading stops at the first character that cannot continue
// the number, so "12abc" is 12 and "1e3" is 1; a text that does not begin with a number is 0.
double valueOf(QStringView text);

// Nearest integer, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// roundHalfEven, then clamped into the 16-bit range.
qint16 toInt16(double value);

// A whole value without a fraction ("25", "-3", "100000"); any other value in the shortest
// form that reads back as the same double ("2.5", "0.1"). The separator is always a period.
QString format(double value);

} // namespace Numeric
