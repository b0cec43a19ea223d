#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How the bytes of an item list or a history file stand for its text. The program writes code
// page 932; a file an editor re-saved as UTF-8 starts with UTF-8's byte-order mark and stays
// UTF-8, mark included, whatever is added to it later: one file never holds two encodings.
namespace FileText {

enum class Encoding { CodePage932, Utf8 };

Encoding encodingOf(QByteArrayView bytes);
// The byte-order mark a file of this encoding starts with (none for code page 932).
QByteArrayView markOf(Encoding encoding);
// Where the text begins: after the mark, and after a second one right behind it, as editors
// leave when they add a mark to a file that had one.
qsizetype textStart(QByteArrayView bytes);
// The text from textStart() on.
QString decode(QByteArrayView bytes);
// The text of bytes without a mark, in a file of this encoding.
QString decode(QByteArrayView bytes, Encoding encoding);
// The bytes of a piece of text inside a file of this encoding, without the mark. Characters
// code page 932 has no form for are left out; callers check names before.
QByteArray encode(QStringView text, Encoding encoding);

} // namespace FileText
