#pragma once

#include "helpviewer.h"

#include <QList>
#include <QPointer>

class QProcess;

// Opens the help file in an installed CHM viewer and keeps track of the viewers it started.
class ChmViewer final : public HelpViewer
{
public:
    ChmViewer();
    ~ChmViewer() override;

    void displayTopic(QWidget *owner, const QString &helpFile) override;
    void closeAll(QWidget *owner, const QString &helpFile) override;

private:
    QList<QPointer<QProcess>> m_viewers;
};
