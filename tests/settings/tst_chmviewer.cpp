#include "chmviewer.h"
#include "scratchdir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <signal.h>

// A stand-in for xchm: it notes its process id and argument, then stays open like a viewer.
class TestChmViewer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void exitClosesEveryViewerStarted();

private:
    QTemporaryDir m_bin;
};

void TestChmViewer::initTestCase()
{
    const QString script = m_bin.filePath(QStringLiteral("xchm"));
    ScratchDir::write(script, "#!/bin/sh\necho $$ >> viewer.pids\nexec sleep 600\n");
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("PATH", m_bin.path().toLocal8Bit() + ":" + qgetenv("PATH"));
}

void TestChmViewer::exitClosesEveryViewerStarted()
{
    ScratchDir dir;
    ChmViewer help;
    help.displayTopic(nullptr, QStringLiteral("QvHelp.chm")); // no help file: nothing starts
    ScratchDir::write(QStringLiteral("QvHelp.chm"), "ITSF");
    help.displayTopic(nullptr, QStringLiteral("QvHelp.chm"));
    help.displayTopic(nullptr, QStringLiteral("QvHelp.chm"));
    QTRY_COMPARE(ScratchDir::read(QStringLiteral("viewer.pids")).count('\n'), 2);
    const QList<QByteArray> pids
        = ScratchDir::read(QStringLiteral("viewer.pids")).trimmed().split('\n');
    for (const QByteArray &pid : pids)
        QCOMPARE(::kill(pid.toInt(), 0), 0);
    help.closeAll(nullptr, QStringLiteral("QvHelp.chm"));
    for (const QByteArray &pid : pids) {
        QCOMPARE(::kill(pid.toInt(), 0), -1);
        QCOMPARE(errno, ESRCH);
    }
}

QTEST_GUILESS_MAIN(TestChmViewer)
#include "tst_chmviewer.moc"
