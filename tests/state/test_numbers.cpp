#include "state/Numbers.h"

#include <QtTest>

#include <cmath>
#include <limits>

class TestNumbers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void leadingNumberHugeInput();
    void toInt16_data();
    void toInt16();
    void toInt16Nan();
    void formats();
};

void TestNumbers::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    // No number at all.
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("plus") << "+" << 0.0;
    QTest::newRow("minus") << "-" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("minus letter") << "-x" << 0.0;
    QTest::newRow("point") << "." << 0.0;
    QTest::newRow("signed point") << "-." << 0.0;
    QTest::newRow("two signs") << "--5" << 0.0;
    QTest::newRow("mixed signs") << "+-5" << 0.0;
    QTest::newRow("blank after sign") << "- 5" << 0.0;
    QTest::newRow("blanks only") << " \t " << 0.0;
    QTest::newRow("line break not a blank") << "\n5" << 0.0;
    QTest::newRow("non-ASCII digit") << QString(QChar(0x0663)) << 0.0;
    QTest::newRow("full-width digit") << QString(QChar(0xFF15)) << 0.0;

    // Prefixes.
    QTest::newRow("integer") << "42" << 42.0;
    QTest::newRow("sign in the middle") << "12-3" << 12.0;
    QTest::newRow("trailing letters") << "15abc" << 15.0;
    QTest::newRow("leading blanks") << "  -7" << -7.0;
    QTest::newRow("leading tab") << "\t 8" << 8.0;
    QTest::newRow("line end") << "12\r\n" << 12.0;
    QTest::newRow("explicit plus") << "+7" << 7.0;
    QTest::newRow("minus zero") << "-0" << 0.0;
    QTest::newRow("decimal") << "3.5x" << 3.5;
    QTest::newRow("trailing point") << "12." << 12.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("negative leading point") << "-.25" << -0.25;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("no exponent") << "1e5" << 1.0;
    QTest::newRow("no hex") << "0x10" << 0.0;
    QTest::newRow("comma stops") << "1,5" << 1.0;
    QTest::newRow("inner blank stops") << " 3 4" << 3.0;
    QTest::newRow("leading zeros") << "007" << 7.0;
    QTest::newRow("beyond 16 bits") << "123456789012345678" << 123456789012345678.0;
}

void TestNumbers::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(::leadingNumber(text), expected);
}

void TestNumbers::leadingNumberHugeInput()
{
    const QString nines(10000, u'9');
    QCOMPARE(::leadingNumber(nines), std::numeric_limits<double>::infinity());
    QCOMPARE(::leadingNumber(QStringLiteral("-") + nines + QStringLiteral("x")), -std::numeric_limits<double>::infinity());

    // Long but small values must still read exactly.
    QCOMPARE(::leadingNumber(QString(10000, u'0') + QStringLiteral("7")), 7.0);
    QCOMPARE(::leadingNumber(QStringLiteral("1.") + QString(10000, u'0') + QStringLiteral("5")), 1.0);
    QCOMPARE(::leadingNumber(QStringLiteral("0.") + QString(10000, u'0') + QStringLiteral("1")), 0.0);
    QCOMPARE(::leadingNumber(QString(5000, u' ') + QStringLiteral("-3")), -3.0);

    // Either side of the largest double, about 1.8e308.
    QVERIFY(std::isinf(::leadingNumber(QStringLiteral("2") + QString(308, u'0'))));
    QCOMPARE(::leadingNumber(QStringLiteral("1") + QString(308, u'0')), 1e308);
}

void TestNumbers::toInt16_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("2.5 to even") << 2.5 << 2;
    QTest::newRow("3.5 to even") << 3.5 << 4;
    QTest::newRow("0.5 to even") << 0.5 << 0;
    QTest::newRow("1.5 to even") << 1.5 << 2;
    QTest::newRow("-0.5 to even") << -0.5 << 0;
    QTest::newRow("-2.5 to even") << -2.5 << -2;
    QTest::newRow("-3.5 to even") << -3.5 << -4;
    QTest::newRow("below half") << 2.4999 << 2;
    QTest::newRow("above half") << 2.5001 << 3;
    QTest::newRow("negative above half") << -2.5001 << -3;
    QTest::newRow("whole") << -17.0 << -17;
    QTest::newRow("max") << 32767.0 << 32767;
    QTest::newRow("max plus fraction") << 32767.4 << 32767;
    QTest::newRow("half above max") << 32767.5 << 32767;
    QTest::newRow("far above") << 40000.0 << 32767;
    QTest::newRow("min") << -32768.0 << -32768;
    QTest::newRow("half below min") << -32768.5 << -32768;
    QTest::newRow("far below") << -1e300 << -32768;
    QTest::newRow("+inf") << std::numeric_limits<double>::infinity() << 32767;
    QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << -32768;
    QTest::newRow("half near max to even") << 32766.5 << 32766;
    QTest::newRow("half near min to even") << -32767.5 << -32768;
}

void TestNumbers::toInt16()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(int{::toInt16(value)}, expected);
}

void TestNumbers::toInt16Nan()
{
    QCOMPARE(int{::toInt16(std::numeric_limits<double>::quiet_NaN())}, 0);
    QCOMPARE(int{::toInt16(-std::numeric_limits<double>::quiet_NaN())}, 0);
}

void TestNumbers::formats()
{
    QCOMPARE(formatPlain(0), QStringLiteral("0"));
    QCOMPARE(formatPlain(7), QStringLiteral("7"));
    QCOMPARE(formatPlain(-7), QStringLiteral("-7"));
    QCOMPARE(formatPlain(32767), QStringLiteral("32767"));

    QCOMPARE(formatTwoDigits(0), QStringLiteral("00"));
    QCOMPARE(formatTwoDigits(5), QStringLiteral("05"));
    QCOMPARE(formatTwoDigits(10), QStringLiteral("10"));
    QCOMPARE(formatTwoDigits(123), QStringLiteral("123"));
    QCOMPARE(formatTwoDigits(-5), QStringLiteral("-05"));
    QCOMPARE(formatTwoDigits(-123), QStringLiteral("-123"));
    QCOMPARE(formatTwoDigits(std::numeric_limits<int>::min()), QStringLiteral("-2147483648"));
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
