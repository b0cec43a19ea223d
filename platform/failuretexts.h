#pragma once

#include "iostatus.h"

#include <QSet>
#include <QString>

class Dialogs;
class QWidget;

// What both windows tell the user when a file operation fails.
namespace FailureTexts {

QString title(const IoStatus &status);
QString text(const IoStatus &status);

} // namespace FailureTexts

// Tells that a file holds a line no record can be read from, which the readers left out and a
// rewrite keeps as it is: once per file and line while its owner, a window, is open, not each
// time the file is read, for the line stays until the user mends it.
class DamagedLineNotice
{
public:
    // Line 0: nothing is damaged.
    void tell(Dialogs &dialogs, QWidget *parent, const QString &fileName, qsizetype line);

private:
    QSet<QString> m_told;
};
