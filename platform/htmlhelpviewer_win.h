#pragma once

#include "helpviewer.h"

// The Windows HTML Help viewer, reached through HtmlHelpA of hhctrl.ocx. The library is loaded
// on first use, so a system without it simply shows no help.
class HtmlHelpViewer final : public HelpViewer
{
public:
    HtmlHelpViewer();
    ~HtmlHelpViewer() override;
    HtmlHelpViewer(const HtmlHelpViewer &) = delete;
    HtmlHelpViewer &operator=(const HtmlHelpViewer &) = delete;

    void displayTopic(QWidget *owner, const QString &helpFile) override;
    void closeAll(QWidget *owner, const QString &helpFile) override;

private:
    void call(QWidget *owner, const QString &helpFile, unsigned command);

    void *m_library = nullptr;
    void (*m_htmlHelp)() = nullptr;
    bool m_loaded = false;
};
