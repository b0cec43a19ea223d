#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Reads the comma-separated records of the program's text files, one record per line.
//
// Blanks before a field are skipped. A field that begins with a double quote runs to the next
// double quote on its line, and whatever follows the closing quote up to the next comma is
// dropped; any other field runs to the next comma or the line end. A line ends with CR LF, a
// lone CR or a lone LF; a last line without an end counts as well. Lines holding nothing but
// blanks are skipped, so a damaged line never shifts the records after it.
class FieldReader
{
public:
    explicit FieldReader(QStringView text)
        : m_text(text)
    { }

    bool atEnd();
    // Reads the next record into fields[0..maxFields) and returns how many fields its line had
    // (at most maxFields; further fields are skipped). Returns 0 at the end of the text.
    int nextRecord(QStringView *fields, int maxFields);

private:
    void skipBlankLines();

    QStringView m_text;
    qsizetype m_pos = 0;
};
