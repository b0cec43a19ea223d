#include "chmviewer.h"
#include "codepage932.h"
#include "fakes.h"
#include "scratchdir.h"
#include "zrvm.h"

#include <QTest>
#include <map>

enum class Folder { Data, Build, Installed, None };
Q_DECLARE_METATYPE(Folder)

const QString kHelp = "QvHelp.chm";

class TestPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every byte survives a decode and an encode, even one that is no code page 932.
    void codePage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("wave dash") << QByteArray::fromHex("81 60") << QString(QChar(0xFF5E));
        QTest::newRow("a stray byte")
            << QByteArray::fromHex("41 FF 42") << "A" + QString(QChar(0xDCFF)) + "B";
        QTest::newRow("a lead byte at the end")
            << QByteArray::fromHex("81 81 81") << "＝" + QString(QChar(0xDC81));
        QTest::newRow("an unassigned pair keeps its ASCII byte")
            << QByteArray::fromHex("EC 74") << QChar(0xDCEC) + QString("t");
    }
    void codePage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Text(CodePage932::decode(bytes).text), Text(text));
        QCOMPARE(CodePage932::encode(text).bytes, bytes);
    }

    // Each dispatch comes back after 30 ms; the wait goes on for the rest, on the monotonic
    // clock, while the time of day stands still.
    void pauseWaitsOnTheMonotonicClock()
    {
        FakeServices fake;
        fake.duringDispatch = [&] {
            fake.monotonic -= qMax(0, fake.waits.last() - 30);
        };
        ZRVM::Pause(0.1f, fake, fake);
        QCOMPARE(fake.waits, (QList<int> {100, 70, 40, 10}));
    }

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

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
