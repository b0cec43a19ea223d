#pragma once

#include "helpviewer.h"

class QProcess;

// Shows the help file in an installed CHM viewer: the file in the current folder when there is
// one, else the copy installed with the program. One viewer at a time; pressing help again
// brings the open one to the front.
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
