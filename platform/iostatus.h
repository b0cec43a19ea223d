#pragma once

#include <QString>

enum class IoAction { Read, Write };

// Why a file operation failed, as far as the user is told more than the system's own reason.
enum class IoProblem {
    System, // the file system refused: no space, no permission, ...
    NotRegularFile, // a pipe, a device or a folder stands where a text file belongs
    TooManyItems, // more records than the item count can hold
    UnusableName, // the item's name cannot be a history file name
    NotReadYet, // a rewrite of a list that was never read successfully
    ChangedOnDisk, // the file changed since the program last read or wrote it
    NameNotCarried, // the file format cannot carry the name unchanged
    FolderNotWritable, // a replacement needs a new file in a folder the user may not write
};

// Outcome of a file operation. A failure names the file and what went wrong, so that a
// window can tell the user instead of carrying on as if the data had been written.
class [[nodiscard]] IoStatus
{
public:
    static IoStatus success() { return IoStatus(); }
    static IoStatus failure(const QString &fileName, const QString &reason,
                            IoAction action = IoAction::Write,
                            IoProblem problem = IoProblem::System)
    {
        IoStatus s;
        s.m_ok = false;
        s.m_fileName = fileName;
        s.m_reason = reason;
        s.m_action = action;
        s.m_problem = problem;
        return s;
    }

    bool ok() const { return m_ok; }
    QString fileName() const { return m_fileName; }
    QString reason() const { return m_reason; }
    IoAction action() const { return m_action; }
    IoProblem problem() const { return m_problem; }

private:
    IoStatus() = default;
    bool m_ok = true;
    QString m_fileName;
    QString m_reason;
    IoAction m_action = IoAction::Write;
    IoProblem m_problem = IoProblem::System;
};
