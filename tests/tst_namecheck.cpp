#include "namecheck.h"

#include <QTest>

Q_DECLARE_METATYPE(NameProblem)

class TestNameCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void check_data();
    void check();
};

void TestNameCheck::check_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<NameProblem>("problem");
    QTest::newRow("plain") << QStringLiteral("腹筋") << NameProblem::None;
    QTest::newRow("trailing blank") << QStringLiteral("腹筋 ") << NameProblem::None;
    QTest::newRow("leading blank") << QStringLiteral(" 腹筋") << NameProblem::None;
    QTest::newRow("comma") << QStringLiteral("腕立て,速め") << NameProblem::None;
    QTest::newRow("dots inside") << QStringLiteral("a..b") << NameProblem::None;
    QTest::newRow("item list with extension")
        << QStringLiteral("項目一覧.txt") << NameProblem::None;
    QTest::newRow("empty") << QString() << NameProblem::Empty;
    QTest::newRow("slash") << QStringLiteral("a/b") << NameProblem::PathSeparator;
    QTest::newRow("backslash") << QStringLiteral("a\\b") << NameProblem::PathSeparator;
    QTest::newRow("parent") << QStringLiteral("../x") << NameProblem::PathSeparator;
    for (const char *c : {":", "*", "?", "\"", "<", ">", "|"})
        QTest::newRow(c) << (QStringLiteral("a") + QLatin1String(c))
                         << NameProblem::ForbiddenCharacter;
    QTest::newRow("tab") << QStringLiteral("a\tb") << NameProblem::ControlCharacter;
    QTest::newRow("newline") << QStringLiteral("a\r\n") << NameProblem::ControlCharacter;
    QTest::newRow("NUL") << QString::fromLatin1("a\0", 2) << NameProblem::ControlCharacter;
    QTest::newRow("DEL") << QStringLiteral("a\x7f") << NameProblem::ControlCharacter;
    QTest::newRow("C1 control") << QString(QChar(0x85)) << NameProblem::ControlCharacter;
    QTest::newRow("dot") << QStringLiteral(".") << NameProblem::DotName;
    QTest::newRow("dot dot") << QStringLiteral("..") << NameProblem::DotName;
    QTest::newRow("item list") << QStringLiteral("項目一覧") << NameProblem::ItemListName;
    QTest::newRow("emoji") << QStringLiteral("腹筋😀") << NameProblem::NotInCodePage;
    QTest::newRow("outside BMP kanji") << QStringLiteral("𠮷野家") << NameProblem::NotInCodePage;
    QTest::newRow("yen sign") << QStringLiteral("¥") << NameProblem::NotInCodePage;
    QTest::newRow("300 characters") << QString(300, u'a') << NameProblem::TooLong;
    QTest::newRow("251 ascii fits") << QString(251, u'a') << NameProblem::None;
    QTest::newRow("252 ascii too long") << QString(252, u'a') << NameProblem::TooLong;
    // Two bytes each in code page 932 but three on a UTF-8 file system.
    QTest::newRow("83 kanji fit") << QString(83, u'腹') << NameProblem::None;
    QTest::newRow("84 kanji too long") << QString(84, u'腹') << NameProblem::TooLong;
}

void TestNameCheck::check()
{
    QFETCH(QString, name);
    QFETCH(NameProblem, problem);
    QCOMPARE(checkItemName(name), problem);
}

QTEST_GUILESS_MAIN(TestNameCheck)
#include "tst_namecheck.moc"
