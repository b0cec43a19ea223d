#pragma once

#include "windowmanager.h"

#include <QObject>
#include <QPointer>

struct Services;
class frmMain;
class frmSettei;

// The program's two windows and its lifetime: a window is loaded when first shown and gone
// once unloaded or closed; the program quits when neither is open after a handler returns.
class AppWindows final : public QObject, public WindowManager
{
    Q_OBJECT
public:
    AppWindows();
    ~AppWindows() override;

    // Must be called once before the first show().
    void setServices(Services &services) { m_services = &services; }

    void show(AppWindow which) override;
    void unload(QWidget *window) override;
    void endProgram() override;

    QWidget *loaded(AppWindow which) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void adopt(QWidget *window);
    void scheduleQuitCheck();
    void quitIfNoWindow();

    Services *m_services = nullptr;
    QPointer<frmMain> m_main;
    QPointer<frmSettei> m_settei;
    bool m_quitCheckPending = false;
    int m_showing = 0;
    bool m_quitCheckDeferred = false;
};
