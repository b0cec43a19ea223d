#include "appwindows.h"

#include "frmmain.h"
#include "frmsettei.h"

#include <QApplication>
#include <QEvent>
#include <QScopeGuard>

AppWindows::AppWindows()
{
    // The windows hand over to each other by closing one and showing the other; Qt must not
    // end the program in between.
    QApplication::setQuitOnLastWindowClosed(false);
}

AppWindows::~AppWindows()
{
    delete m_main;
    delete m_settei;
}

void AppWindows::show(AppWindow which)
{
    Q_ASSERT(m_services);
    // A load handler may open a message box, whose own event loop must not end the program
    // while the window being shown is not visible yet.
    ++m_showing;
    const auto done = qScopeGuard([this] {
        if (--m_showing == 0 && m_quitCheckDeferred) {
            m_quitCheckDeferred = false;
            scheduleQuitCheck();
        }
    });
    if (which == AppWindow::Counting) {
        if (!m_main) {
            m_main = new frmMain(*m_services);
            adopt(m_main);
            m_main->Form_Load();
        }
        // The load handler may have unloaded the window again (no items).
        if (m_main && !m_main->isHidden())
            return;
        if (m_main)
            m_main->show();
    } else {
        if (!m_settei) {
            m_settei = new frmSettei(*m_services);
            adopt(m_settei);
            m_settei->Form_Load();
        }
        if (m_settei)
            m_settei->show();
    }
}

void AppWindows::unload(QWidget *window)
{
    if (!window)
        return;
    if (window == m_main)
        m_main.clear();
    else if (window == m_settei)
        m_settei.clear();
    window->hide();
    // Destroyed only once control is back in the event loop, after the running handler.
    window->deleteLater();
    scheduleQuitCheck();
}

void AppWindows::endProgram()
{
    for (QWidget *w : {static_cast<QWidget *>(m_main), static_cast<QWidget *>(m_settei)}) {
        if (w)
            w->hide();
    }
    QCoreApplication::exit(0);
}

QWidget *AppWindows::loaded(AppWindow which) const
{
    return which == AppWindow::Counting ? static_cast<QWidget *>(m_main)
                                        : static_cast<QWidget *>(m_settei);
}

bool AppWindows::eventFilter(QObject *watched, QEvent *event)
{
    // A window closed through its title bar is unloaded like any other, with no handler of ours.
    if (event->type() == QEvent::Close && event->isAccepted()) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && (w == m_main || w == m_settei))
            scheduleQuitCheck();
    }
    return QObject::eventFilter(watched, event);
}

void AppWindows::adopt(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->installEventFilter(this);
}

void AppWindows::scheduleQuitCheck()
{
    if (m_quitCheckPending)
        return;
    m_quitCheckPending = true;
    QMetaObject::invokeMethod(this, &AppWindows::quitIfNoWindow, Qt::QueuedConnection);
}

void AppWindows::quitIfNoWindow()
{
    m_quitCheckPending = false;
    if (m_showing > 0) {
        m_quitCheckDeferred = true;
        return;
    }
    const bool open = (m_main && m_main->isVisible()) || (m_settei && m_settei->isVisible());
    if (!open)
        QCoreApplication::quit();
}
