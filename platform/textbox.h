#pragma once

#include <QLineEdit>

// A single-line text box that a screen reader reads whole. The toolkit's own text box reports its
// text attributes as runs of no length, and a screen reader that reads a line run by run then
// drops the last character: a count of 14 was read as 1, a count of 8 not at all, 腹筋 as 腹.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
    TextBox(const QString &text, QWidget *parent = nullptr);
};
