#include "chmviewer.h"
#include "scratchdir.h"

#include <QTest>
#include <map>

enum class Folder { Data, Build, Installed, None };
Q_DECLARE_METATYPE(Folder)

const QString kHelp = "QvHelp.chm";

class TestHelpLookup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The data folder's own copy first, then the one the build compiled, then the installed one.
    void firstFolderHoldingTheHelpWins_data()
    {
        QTest::addColumn<QList<Folder>>("holding");
        QTest::addColumn<Folder>("found");
        QTest::newRow("the data folder's copy before all others")
            << QList {Folder::Data, Folder::Build, Folder::Installed} << Folder::Data;
        QTest::newRow("the build's before the installed one")
            << QList {Folder::Build, Folder::Installed} << Folder::Build;
        QTest::newRow("the installed one when no other is there")
            << QList {Folder::Installed} << Folder::Installed;
        QTest::newRow("none anywhere") << QList<Folder> {} << Folder::None;
    }
    void firstFolderHoldingTheHelpWins()
    {
        QFETCH(QList<Folder>, holding);
        QFETCH(Folder, found);
        const QTemporaryDir data, build, installed;
        const std::map<Folder, QString> help {{Folder::Data, data.filePath(kHelp)},
                                              {Folder::Build, build.filePath(kHelp)},
                                              {Folder::Installed, installed.filePath(kHelp)},
                                              {Folder::None, QString()}};
        for (Folder folder : holding)
            ScratchDir::write(help.at(folder), "ITSF");
        // Where the data folder has no help file, a folder of that name stands in its place.
        if (!holding.contains(Folder::Data))
            QVERIFY(QDir(data.path()).mkdir(kHelp));
        QCOMPARE(locateHelp(kHelp, {data.path(), build.path(), installed.path()}), help.at(found));
    }

    // The quick start runs the build tree's program in a copy of sample/: it finds the help this
    // build compiled, and no older copy of its own.
    void theQuickStartFindsTheHelpOfItsBuild()
    {
        if (QStringLiteral(ZORVEX_BUILT_HELP).isEmpty())
            QSKIP("built without chmcmd, so without the help");
        QVERIFY(QDir::setCurrent(ZORVEX_SAMPLE_DIR));
        QCOMPARE(locateHelp(kHelp, HelpFolders::forProgramIn(ZORVEX_PROGRAM_DIR)),
                 ZORVEX_BUILT_HELP);
    }
};

QTEST_GUILESS_MAIN(TestHelpLookup)
#include "tst_helplookup.moc"
