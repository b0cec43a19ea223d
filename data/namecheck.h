#pragma once

#include <QString>

// Whether a name can be stored as an item: its history file must be a plain file in the
// current directory that is neither the item list file nor out of code page 932's reach.
enum class NameProblem {
    None,
    Empty,
    PathSeparator, // / or \ .
    ForbiddenCharacter, // : * ? " < > |
    ControlCharacter,
    DotName, // "." or ".."
    ItemListName, // 項目一覧 in any letter case
    NotInCodePage, // a character code page 932 cannot hold, or gives back as another
    TooLong, // the history file name would pass 255 bytes
};

NameProblem checkItemName(const QString &name);

// A name as typed, in the form it is stored in: composed (NFC), as input methods and files from
// other systems may deliver it decomposed, and with the characters that Linux input methods and
// UTF-8 text give for some code page 932 characters turned into the ones code page 932 reads
// back (〜 U+301C becomes ～ U+FF5E, the code 81 60).
QString typedName(const QString &typed);
// The characters of a name that code page 932 cannot hold, or gives back as other characters.
QString charactersOutsideCodePage(const QString &name);

// The weaker test every history file operation makes, whatever the item list file holds: the
// name must not lead out of the current directory or onto the item list file, and must make a
// file name of its own.
bool isSafeHistoryName(const QString &name);
