#include "chmviewer.h"
#include "scratchdir.h"

class TestHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lookupOrder_data()
    {
        QTest::addColumn<QStringList>("copies");
        QTest::addColumn<QString>("shown");
        QTest::newRow("data folder first")
            << QStringList {"QvHelp.chm", "usr/QvHelp.chm"} << "/QvHelp.chm";
        QTest::newRow("then the installed copy")
            << QStringList {"usr/QvHelp.chm"} << "/usr/QvHelp.chm";
        QTest::newRow("nothing when neither exists") << QStringList {} << "";
    }
    void lookupOrder()
    {
        QFETCH(QStringList, copies);
        QFETCH(QString, shown);
        ScratchDir dir;
        QVERIFY(QDir().mkdir("usr"));
        for (const QString &copy : copies)
            ScratchDir::write(copy, "ITSF");
        const QString found = ChmViewer(dir.path() + "/usr").locate("QvHelp.chm");
        QCOMPARE(found, shown.isEmpty() ? "" : dir.path() + shown);
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
