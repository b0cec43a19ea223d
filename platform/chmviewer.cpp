#include "chmviewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

#ifdef ZORVEX_HAVE_XCB
#include <QGuiApplication>
#include <memory>
#include <xcb/xcb.h>
#endif

namespace {

// The window itself stays silent about help; a terminal or the session log gets one line.
void tell(const QString &line)
{
    std::fprintf(stderr, "zorvex: %s\n", qUtf8Printable(line));
}

#ifdef ZORVEX_HAVE_XCB
template<typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, uint16_t(qstrlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<quint32> property32(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name,
                          xcb_atom_t type)
{
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, window, name, type, 0, 4096), nullptr),
        &std::free);
    if (!reply || reply->format != 32)
        return {};
    const auto *values = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    return QList<quint32>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

// Asks the window manager to activate the process's window, the way a taskbar does: no extra
// tool is needed, and the request is not refused as focus stealing. Without X11 or without a
// window manager nothing happens.
void raiseWindowOf(qint64 pid)
{
    const auto *x11
        = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return;
    xcb_connection_t *connection = x11->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t pidAtom = atom(connection, "_NET_WM_PID");
    const xcb_atom_t active = atom(connection, "_NET_ACTIVE_WINDOW");
    const QList<quint32> windows
        = property32(connection, root, atom(connection, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    for (const quint32 window : windows) {
        if (property32(connection, window, pidAtom, XCB_ATOM_CARDINAL).value(0) != pid)
            continue;
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = active;
        event.data.data32[0] = 2; // the request comes from a pager or taskbar
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
    }
    xcb_flush(connection);
}
#else
void raiseWindowOf(qint64) { }
#endif

// The first viewer found on the PATH: xchm, kchmviewer, then the desktop's own choice.
QString viewerProgram()
{
    for (const char *name : {"xchm", "kchmviewer", "xdg-open"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

} // namespace

HelpFolders HelpFolders::forProgramIn(const QString &programFolder)
{
    // A build tree has the program in app/ and the compiled help in resources/help/.
    return {.data = QDir::currentPath(),
            .build = QDir::cleanPath(programFolder + QStringLiteral("/../resources/help")),
            .installed = QStringLiteral(ZORVEX_DATA_DIR)};
}

QString locateHelp(const QString &helpFile, const HelpFolders &folders)
{
    for (const QString &folder : {folders.data, folders.build, folders.installed}) {
        const QFileInfo file(QDir(folder).filePath(helpFile));
        if (!folder.isEmpty() && file.isFile())
            return file.absoluteFilePath();
    }
    return QString();
}

ChmViewer::~ChmViewer()
{
    closeAll(nullptr, QString());
}

void ChmViewer::displayTopic(QWidget *, const QString &helpFile)
{
    if (m_viewer && m_viewer->state() != QProcess::NotRunning) {
        raiseWindowOf(m_viewer->processId());
        return;
    }
    const HelpFolders folders = HelpFolders::forProgramIn(QCoreApplication::applicationDirPath());
    const QString file = locateHelp(helpFile, folders);
    if (file.isEmpty()) {
        tell(QStringLiteral("no help file %1 in the current folder, in %2 or in %3")
                 .arg(helpFile, folders.build, folders.installed));
        return;
    }
    const QString program = viewerProgram();
    if (program.isEmpty()) {
        tell(QStringLiteral("no viewer for %1; install one with: sudo apt-get install xchm")
                 .arg(file));
        return;
    }
    closeAll(nullptr, helpFile);
    m_viewer = new QProcess;
    m_viewer->setProgram(program);
    m_viewer->setArguments({file});
    m_viewer->setProcessChannelMode(QProcess::ForwardedChannels);
    m_viewer->start();
    if (!m_viewer->waitForStarted())
        tell(QStringLiteral("could not start %1: %2").arg(program, m_viewer->errorString()));
}

void ChmViewer::closeAll(QWidget *, const QString &)
{
    if (!m_viewer)
        return;
    if (m_viewer->state() != QProcess::NotRunning) {
        m_viewer->terminate();
        if (!m_viewer->waitForFinished(2000))
            m_viewer->kill();
        m_viewer->waitForFinished(1000);
    }
    delete m_viewer;
    m_viewer = nullptr;
}
