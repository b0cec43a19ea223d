#pragma once

#include "helpviewer.h"

#include <QString>

class QProcess;

// The folders the help file is looked for in, in this order.
struct HelpFolders
{
    QString data; // the folder Zorvex runs in: a copy of the user's own comes first
    QString build; // where a build tree compiles it, for a program started from that tree
    QString installed; // where it is installed with the program

    // The current folder, <program folder>/../resources/help and the installed folder.
    static HelpFolders forProgramIn(const QString &programFolder);
};

// The absolute path of the help file in the first of the folders that holds it as a file; empty
// when none does.
QString locateHelp(const QString &helpFile, const HelpFolders &folders);

// Shows the help file, found through HelpFolders, in an installed CHM viewer. One viewer at a
// time; pressing help again brings the open one to the front.
class ChmViewer final : public HelpViewer
{
public:
    ChmViewer() = default;
    ~ChmViewer() override;

    void displayTopic(QWidget *owner, const QString &helpFile) override;
    void closeAll(QWidget *owner, const QString &helpFile) override;

private:
    QProcess *m_viewer = nullptr;
};
