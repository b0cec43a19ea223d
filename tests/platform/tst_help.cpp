#include "chmviewer.h"
#include "scratchdir.h"

class TestHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void helpIsLookedForInTheDataFolderThenTheInstalledOne()
    {
        ScratchDir dir;
        const ChmViewer viewer(dir.path() + "/usr");
        QCOMPARE(viewer.locate("QvHelp.chm"), "");
        QVERIFY(QDir().mkdir("usr"));
        ScratchDir::write("usr/QvHelp.chm", "ITSF");
        QCOMPARE(viewer.locate("QvHelp.chm"), dir.path() + "/usr/QvHelp.chm");
        ScratchDir::write("QvHelp.chm", "ITSF");
        QCOMPARE(viewer.locate("QvHelp.chm"), dir.path() + "/QvHelp.chm");
    }

    void eachViewerWinsOverTheLaterOnes()
    {
        ScratchDir dir;
        qputenv("PATH", dir.path().toLocal8Bit());
        for (const char *program : {"xdg-open", "kchmviewer", "xchm"}) {
            QVERIFY(QFile::copy("/bin/true", program));
            QCOMPARE(ChmViewer::viewerProgram(), dir.path() + '/' + program);
        }
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "tst_help.moc"
