#include "htmlhelpviewer_win.h"

#include "codepage932.h"

#include <QWidget>

#include <windows.h>

namespace {

using HtmlHelpAFunction = HWND(WINAPI *)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

const UINT kDisplayTopic = 0; // HH_DISPLAY_TOPIC
const UINT kCloseAll = 18; // HH_CLOSE_ALL

} // namespace

HtmlHelpViewer::HtmlHelpViewer() = default;

HtmlHelpViewer::~HtmlHelpViewer()
{
    if (m_library)
        FreeLibrary(static_cast<HMODULE>(m_library));
}

void HtmlHelpViewer::displayTopic(QWidget *owner, const QString &helpFile)
{
    call(owner, helpFile, kDisplayTopic);
}

void HtmlHelpViewer::closeAll(QWidget *owner, const QString &helpFile)
{
    // Nothing was opened if the library never loaded; loading it now would only cost time.
    if (m_htmlHelp)
        call(owner, helpFile, kCloseAll);
}

void HtmlHelpViewer::call(QWidget *owner, const QString &helpFile, unsigned command)
{
    if (!m_loaded) {
        m_loaded = true;
        HMODULE library = LoadLibraryW(L"hhctrl.ocx");
        if (library) {
            m_library = library;
            m_htmlHelp = reinterpret_cast<void (*)()>(GetProcAddress(library, "HtmlHelpA"));
        }
    }
    if (!m_htmlHelp)
        return;
    const auto htmlHelp = reinterpret_cast<HtmlHelpAFunction>(m_htmlHelp);
    const HWND caller = owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
    // The viewer takes the ANSI name; a name that code page 932 cannot hold cannot be a help file.
    const CodePage932::Encoded file = CodePage932::encode(helpFile);
    if (!file.ok())
        return;
    htmlHelp(caller, file.bytes.constData(), command, 0);
}
