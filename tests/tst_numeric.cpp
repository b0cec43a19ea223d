#include "numeric.h"

#include <QTest>
#include <cmath>

class TestNumeric : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void valueOf_data();
    void valueOf();
    void roundHalfEven_data();
    void roundHalfEven();
    void toInt16Clamps();
    void format_data();
    void format();
    void formatReadsBack();
};

void TestNumeric::valueOf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << QStringLiteral("15") << 15.0;
    QTest::newRow("trailing letters") << QStringLiteral("12abc") << 12.0;
    QTest::newRow("leading letters") << QStringLiteral("abc12") << 0.0;
    QTest::newRow("leading blanks") << QStringLiteral("  3") << 3.0;
    QTest::newRow("negative") << QStringLiteral("-3") << -3.0;
    QTest::newRow("plus sign") << QStringLiteral("+4") << 4.0;
    QTest::newRow("half") << QStringLiteral("2.5") << 2.5;
    QTest::newRow("no leading zero") << QStringLiteral(".5") << 0.5;
    QTest::newRow("trailing period") << QStringLiteral("7.") << 7.0;
    QTest::newRow("exponent is not read") << QStringLiteral("1e3") << 1.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("sign only") << QStringLiteral("-") << 0.0;
    QTest::newRow("period only") << QStringLiteral(".") << 0.0;
    QTest::newRow("blank between sign and digits") << QStringLiteral("- 3") << 0.0;
    QTest::newRow("counter suffix") << QStringLiteral("3回") << 3.0;
    QTest::newRow("full-width digits") << QStringLiteral("３") << 0.0;
    QTest::newRow("second period ends it") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("comma ends it") << QStringLiteral("1,5") << 1.0;
}

void TestNumeric::valueOf()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Numeric::valueOf(text), value);
}

void TestNumeric::roundHalfEven_data()
{
    QTest::addColumn<double>("in");
    QTest::addColumn<double>("out");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("4.5") << 4.5 << 4.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("-0.4") << -0.4 << 0.0;
}

void TestNumeric::roundHalfEven()
{
    QFETCH(double, in);
    QFETCH(double, out);
    QCOMPARE(Numeric::roundHalfEven(in), out);
}

void TestNumeric::toInt16Clamps()
{
    QCOMPARE(Numeric::toInt16(40000), qint16(32767));
    QCOMPARE(Numeric::toInt16(-40000), qint16(-32768));
    QCOMPARE(Numeric::toInt16(10.5), qint16(10));
    QCOMPARE(Numeric::toInt16(32767.4), qint16(32767));
    QCOMPARE(Numeric::toInt16(std::nan("")), qint16(0));
}

void TestNumeric::format_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 25.0 << QStringLiteral("25");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("negative") << -3.0 << QStringLiteral("-3");
    QTest::newRow("large whole") << 100000.0 << QStringLiteral("100000");
    QTest::newRow("half") << 2.5 << QStringLiteral("2.5");
    QTest::newRow("below one") << 0.5 << QStringLiteral("0.5");
    QTest::newRow("tenth") << 0.1 << QStringLiteral("0.1");
    QTest::newRow("negative fraction") << -10.25 << QStringLiteral("-10.25");
    QTest::newRow("huge") << 1e21 << QStringLiteral("1000000000000000000000");
}

void TestNumeric::format()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(Numeric::format(value), text);
}

void TestNumeric::formatReadsBack()
{
    for (double v : {0.1, 1.0 / 3.0, 123456.789, -0.000001, 1e-12, 9007199254740993.0, 1e300}) {
        const QString text = Numeric::format(v);
        QVERIFY2(!text.contains(u'e'), qPrintable(text));
        QCOMPARE(Numeric::valueOf(text), v);
    }
}

QTEST_GUILESS_MAIN(TestNumeric)
#include "tst_numeric.moc"
