#pragma once

#include "helpviewer.h"

#include <QString>

class QProcess;

// Shows the help file in an installed CHM viewer: the file in the current folder when there is
// one, else the copy installed with the program. One viewer at a time; pressing help again
// brings the open one to the front.
class ChmViewer final : public HelpViewer
{
public:
    ChmViewer();
    explicit ChmViewer(const QString &installedFolder);
    ~ChmViewer() override;

    void displayTopic(QWidget *owner, const QString &helpFile) override;
    void closeAll(QWidget *owner, const QString &helpFile) override;

    // The absolute path of the help file to show, or empty when neither copy exists.
    QString locate(const QString &helpFile) const;

private:
    QString m_installedFolder;
    QProcess *m_viewer = nullptr;
};
