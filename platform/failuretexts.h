#pragma once

#include "iostatus.h"

#include <QString>

// What both windows tell the user when a file operation fails.
namespace FailureTexts {

QString title(const IoStatus &status);
QString text(const IoStatus &status);
// A line of a file that no record can be read from, left out and kept as it is.
QString damagedLineTitle();
QString damagedLineText(const QString &fileName, qsizetype line);

} // namespace FailureTexts
