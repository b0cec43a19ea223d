#pragma once

#include "iostatus.h"

#include <QString>

// What both windows tell the user when a file operation fails.
namespace FailureTexts {

QString title(const IoStatus &status);
QString text(const IoStatus &status);

} // namespace FailureTexts
