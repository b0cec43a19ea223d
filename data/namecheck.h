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

// The weaker test every history file operation makes, whatever the item list file holds: the
// name must not lead out of the current directory or onto the item list file, and must make a
// file name of its own.
bool isSafeHistoryName(const QString &name);
