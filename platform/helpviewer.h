#pragma once

#include <QString>

class QWidget;

// Opens the help file and closes every help window the program opened.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;
    virtual void displayTopic(QWidget *owner, const QString &helpFile) = 0;
    virtual void closeAll(QWidget *owner, const QString &helpFile) = 0;
};
