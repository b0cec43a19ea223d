#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// All text files of the program are code page 932 (Shift_JIS as Windows writes it).
//
// Decoding never loses a byte: a byte that does not form a valid character is carried in
// the text as the lone low surrogate U+DC00 + byte, and encoding turns it back into that
// byte. Hand-edited files with stray bytes therefore survive a rewrite unchanged.
namespace CodePage932 {

struct Decoded
{
    QString text;
    QList<qsizetype> badByteOffsets; // offsets into the input of bytes that were not valid
};

struct Encoded
{
    QByteArray bytes;
    QString unencodable; // characters that have no code page 932 form, in order of appearance
    bool ok() const { return unencodable.isEmpty(); }
};

Decoded decode(QByteArrayView bytes);
Encoded encode(QStringView text);

// True when every character of the text has a code page 932 form (carried bytes excluded).
bool canEncode(QStringView text);

} // namespace CodePage932
