#include "chmviewer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

ChmViewer::ChmViewer() = default;

ChmViewer::~ChmViewer()
{
    closeAll(nullptr, QString());
}

void ChmViewer::displayTopic(QWidget *, const QString &helpFile)
{
    const QFileInfo file(QDir::current().filePath(helpFile));
    if (!file.isFile())
        return;
    // Viewers the user has closed are forgotten, so pressing help often keeps nothing around.
    for (qsizetype k = m_viewers.size() - 1; k >= 0; --k) {
        QProcess *viewer = m_viewers.at(k);
        if (!viewer || viewer->state() == QProcess::NotRunning) {
            delete viewer;
            m_viewers.removeAt(k);
        }
    }
    for (const QString &program : {QStringLiteral("xchm"), QStringLiteral("kchmviewer")}) {
        const QString path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            continue;
        auto *viewer = new QProcess;
        viewer->setProgram(path);
        viewer->setArguments({file.absoluteFilePath()});
        viewer->setProcessChannelMode(QProcess::ForwardedChannels);
        viewer->start();
        m_viewers.append(viewer);
        return;
    }
}

void ChmViewer::closeAll(QWidget *, const QString &)
{
    for (const QPointer<QProcess> &viewer : std::as_const(m_viewers)) {
        if (!viewer)
            continue;
        if (viewer->state() != QProcess::NotRunning) {
            viewer->terminate();
            if (!viewer->waitForFinished(2000))
                viewer->kill();
            viewer->waitForFinished(1000);
        }
        delete viewer.data();
    }
    m_viewers.clear();
}
