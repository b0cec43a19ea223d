#include "codepage932.h"
#include "namecheck.h"
#include "numeric.h"
#include "scratchdir.h"

#include <QTest>

Q_DECLARE_METATYPE(NameProblem)

class TestText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void codePage_data();
    void codePage();
    void valueOf_data();
    void valueOf();
    void roundingAndWriting();
    void nameCheck_data();
    void nameCheck();
};

void TestText::codePage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qsizetype>>("bad");
    QTest::newRow("wave dash") << hex("81 60") << QString(QChar(0xFF5E)) << QList<qsizetype> {};
    QTest::newRow("kanji, kana") << hex("95 A0 8B D8 83 58 B1") << "腹筋スｱ" << QList<qsizetype> {};
    QTest::newRow("stray byte") << hex("41 FF 42") << QString("A") + QChar(0xDCFF) + "B"
                                << QList<qsizetype> {1};
    QTest::newRow("lead byte at end")
        << hex("81 81 81") << QString("＝") + QChar(0xDC81) << QList<qsizetype> {2};
    QTest::newRow("unassigned pair")
        << hex("EC 74") << QChar(0xDCEC) + QString("t") << QList<qsizetype> {0};
    QTest::newRow("1A 1C 7F") << hex("1A 1C 7F 81 7F")
                              << QString("\x1a\x1c\x7f") + QChar(0xDC81) + QString("\x7f")
                              << QList<qsizetype> {3};
    QTest::newRow("unassigned pair, then pair")
        << hex("EE EE F6") << QString(QChar(0xDCEE)) + QChar(0xDCEE) + QChar(0xDCF6)
        << QList<qsizetype> {0, 1, 2};
    QTest::newRow("lead then blank")
        << hex("81 20") << QChar(0xDC81) + QString(" ") << QList<qsizetype> {0};
}

void TestText::codePage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QList<qsizetype>, bad);
    const CodePage932::Decoded d = CodePage932::decode(bytes);
    QCOMPARE(d.text, text);
    QCOMPARE(d.badByteOffsets, bad);
    QCOMPARE(CodePage932::encode(text).bytes, bytes); // stray bytes go back as they came
    QCOMPARE(CodePage932::canEncode(text), bad.isEmpty());
    const CodePage932::Encoded e = CodePage932::encode(u"a😀b𠮷c¥");
    QCOMPARE(e.unencodable, QString("😀𠮷¥"));
}

void TestText::valueOf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    const QList<QPair<const char *, double>> rows {
        {"15", 15},   {"12abc", 12}, {"abc12", 0}, {"  3", 3}, {"-3", -3},     {"+4", 4},
        {"2.5", 2.5}, {".5", 0.5},   {"7.", 7},    {"1e3", 1}, {"", 0},        {"-", 0},
        {".", 0},     {"- 3", 0},    {"3回", 3},   {"３", 0},  {"1.2.3", 1.2}, {"1,5", 1}};
    for (const auto &[text, value] : rows)
        QTest::newRow(text) << QString(text) << value;
}

void TestText::valueOf()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Numeric::valueOf(text), value);
}

void TestText::roundingAndWriting()
{
    const QList<QPair<double, double>> rounding {{2.5, 2},   {3.5, 4},   {4.5, 4},    {0.5, 0},
                                                 {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}};
    for (const auto &[in, out] : rounding)
        QCOMPARE(Numeric::roundHalfEven(in), out);
    QCOMPARE(Numeric::toInt16(40000), qint16(32767));
    QCOMPARE(Numeric::toInt16(-40000), qint16(-32768));
    QCOMPARE(Numeric::toInt16(std::nan("")), qint16(0));

    const QList<QPair<double, QString>> written {{25, "25"},
                                                 {-0.0, "0"},
                                                 {-3, "-3"},
                                                 {100000, "100000"},
                                                 {2.5, "2.5"},
                                                 {0.5, "0.5"},
                                                 {1e21, "1000000000000000000000"}};
    for (const auto &[value, text] : written)
        QCOMPARE(Numeric::format(value), text);
    // Whatever is written reads back as the same number, never in exponent form.
    for (double v : {0.1, 1.0 / 3.0, -0.000001, 1e-12, 9007199254740993.0, 1e300})
        QCOMPARE(Numeric::valueOf(Numeric::format(v)), v);
}

void TestText::nameCheck_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<NameProblem>("problem");
    const QList<QPair<QString, NameProblem>> rows {
        {"腹筋 ", NameProblem::None},
        {" 腕立て,速め", NameProblem::None},
        {"項目一覧.txt", NameProblem::None},
        {"", NameProblem::Empty},
        {"a/b", NameProblem::PathSeparator},
        {"..\\x", NameProblem::PathSeparator},
        {"a\tb", NameProblem::ControlCharacter},
        {QString::fromLatin1("a\0", 2), NameProblem::ControlCharacter},
        {"\u0085", NameProblem::ControlCharacter},
        {".", NameProblem::DotName},
        {"..", NameProblem::DotName},
        {"項目一覧", NameProblem::ItemListName},
        {"腹筋😀", NameProblem::NotInCodePage},
        {"𠮷野家", NameProblem::NotInCodePage},
        {QString(251, u'a'), NameProblem::None},
        {QString(252, u'a'), NameProblem::TooLong},
        // Two bytes each in code page 932, three on a UTF-8 file system.
        {QString(83, u'腹'), NameProblem::None},
        {QString(84, u'腹'), NameProblem::TooLong}};
    for (const auto &[name, problem] : rows)
        QTest::newRow(qPrintable(name.left(12))) << name << problem;
    for (QChar c : QString(":*?\"<>|"))
        QTest::newRow(qPrintable(QString(c)))
            << QString("a") + c << NameProblem::ForbiddenCharacter;
}

void TestText::nameCheck()
{
    QFETCH(QString, name);
    QFETCH(NameProblem, problem);
    QCOMPARE(checkItemName(name), problem);
}

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
