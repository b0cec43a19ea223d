#include "codepage932.h"
#include "scratchdir.h"

#include <QTest>

class TestCodePage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void waveDashMapsLikeWindows();
    void roundTrip_data();
    void roundTrip();
    void strayBytesSurviveUnchanged_data();
    void strayBytesSurviveUnchanged();
    void unencodableCharactersAreNamed();
};

void TestCodePage::waveDashMapsLikeWindows()
{
    const CodePage932::Decoded d = CodePage932::decode(hex("81 60"));
    QCOMPARE(d.text, QString(QChar(0xFF5E)));
    QVERIFY(d.badByteOffsets.isEmpty());
    const CodePage932::Encoded e = CodePage932::encode(QString(QChar(0xFF5E)));
    QVERIFY(e.ok());
    QCOMPARE(e.bytes, hex("81 60"));
}

void TestCodePage::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << QStringLiteral("abc,12\r\n") << QByteArray("abc,12\r\n");
    QTest::newRow("kanji") << QStringLiteral("腹筋") << hex("95 A0 8B D8");
    QTest::newRow("katakana") << QStringLiteral("スクワット")
                              << hex("83 58 83 4E 83 8F 83 62 83 67");
    QTest::newRow("half-width kana") << QStringLiteral("ｱｲ") << hex("B1 B2");
    QTest::newRow("full-width digit") << QStringLiteral("２０") << hex("82 51 82 4F");
}

void TestCodePage::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(CodePage932::encode(text).bytes, bytes);
    const CodePage932::Decoded d = CodePage932::decode(bytes);
    QCOMPARE(d.text, text);
    QVERIFY(d.badByteOffsets.isEmpty());
}

void TestCodePage::strayBytesSurviveUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<qsizetype>>("bad");
    QTest::newRow("lone high byte") << hex("41 FF 42") << QList<qsizetype> {1};
    QTest::newRow("lead byte at end") << hex("95 A0 8B") << QList<qsizetype> {2};
    QTest::newRow("lead after whole char at end") << hex("81 81 81") << QList<qsizetype> {2};
    QTest::newRow("lead then blank") << hex("81 20 41") << QList<qsizetype> {0};
    QTest::newRow("0x80") << hex("80") << QList<qsizetype> {0};
}

void TestCodePage::strayBytesSurviveUnchanged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<qsizetype>, bad);
    const CodePage932::Decoded d = CodePage932::decode(bytes);
    QCOMPARE(d.badByteOffsets, bad);
    QVERIFY(!CodePage932::canEncode(d.text));
    const CodePage932::Encoded e = CodePage932::encode(d.text);
    QVERIFY(e.ok());
    QCOMPARE(e.bytes, bytes);
}

void TestCodePage::unencodableCharactersAreNamed()
{
    const QString text = QStringLiteral("a😀b𠮷c¥");
    const CodePage932::Encoded e = CodePage932::encode(text);
    QVERIFY(!e.ok());
    QCOMPARE(e.unencodable, QStringLiteral("😀𠮷¥"));
    QVERIFY(!CodePage932::canEncode(text));
    QVERIFY(CodePage932::canEncode(QStringLiteral("腹筋 ～")));
}

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
