#include "core/numbers.h"
#include "support/rulerows.h"

#include <QLocale>
#include <QTest>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void numericValue_data();
    void numericValue() { compareRule<QString, double>(numbers::numericValue); }
    void toInt16_data();
    void toInt16();
    void toInt32Range();
    void pricePatternDouble_data();
    void pricePatternDouble() { compareRule<double>(qOverload<double>(numbers::pricePattern)); }
    void pricePatternFloat_data();
    void pricePatternFloat() { compareRule<float>(qOverload<float>(numbers::pricePattern)); }
    void numberText_data();
    void numberText() { compareRule<double>(numbers::numberText); }
    void plainNumber_data();
    void plainNumber() { compareRule<float>(numbers::plainNumber); }
    void strictNumber_data();
    void strictNumber() { compareOptionalRule<QString, double>(numbers::strictNumber); }
    void strictSingleRange();
    void infinityWrittenAsLargestValue();
    void writersIgnoreTheUserLocale();
};

void TestNumbers::numericValue_data()
{
    addRuleColumns<QString, double>();
    QTest::newRow("whole number") << u"3300"_s << 3300.0;
    QTest::newRow("fraction kept") << u"3300.5"_s << 3300.5;
    QTest::newRow("trailing letters ignored") << u"3300abc"_s << 3300.0;
    QTest::newRow("blanks inside digits skipped") << u" 33 00 "_s << 3300.0;
    QTest::newRow("tabs and line feeds skipped") << u"\t3\n3"_s << 33.0;
    QTest::newRow("CR is not skipped") << u"\r5"_s << 0.0;
    QTest::newRow("hex") << u"&H1F"_s << 31.0;
    QTest::newRow("hex lower case") << u"&h1f"_s << 31.0;
    QTest::newRow("hex without digits is 0") << u"&H"_s << 0.0;
    QTest::newRow("hex is unsigned") << u"&HFFFF"_s << 65535.0;
    QTest::newRow("hex 64 bits exact") << u"&HFFFFFFFFFFFFFFFF"_s << 18446744073709551615.0;
    QTest::newRow("octal") << u"&O17"_s << 15.0;
    QTest::newRow("octal stops at 8") << u"&O178"_s << 15.0;
    QTest::newRow("D exponent") << u"1D2"_s << 100.0;
    QTest::newRow("E exponent") << u"1e2"_s << 100.0;
    QTest::newRow("negative exponent") << u"25E-1"_s << 2.5;
    QTest::newRow("exponent without digits ignored") << u"1e"_s << 1.0;
    QTest::newRow("exponent sign without digits ignored") << u"1e+"_s << 1.0;
    QTest::newRow("negative") << u"-2.5"_s << -2.5;
    QTest::newRow("plus sign") << u"+5"_s << 5.0;
    QTest::newRow("leading point") << u".5"_s << 0.5;
    QTest::newRow("trailing point") << u"5."_s << 5.0;
    QTest::newRow("two signs are no number") << u"--5"_s << 0.0;
    QTest::newRow("letters are 0") << u"abc"_s << 0.0;
    QTest::newRow("empty is 0") << QString() << 0.0;
    QTest::newRow("sign alone is 0") << u"-"_s << 0.0;
    QTest::newRow("comma is no decimal separator") << u"1,5"_s << 1.0;
    QTest::newRow("second point ends the number") << u"1.2.3"_s << 1.2;
    QTest::newRow("non-ASCII digit ends the number") << u"1\u0663"_s << 1.0;
    QTest::newRow("overflow gives largest double") << u"1e999"_s << DBL_MAX;
    QTest::newRow("negative overflow") << u"-1e999"_s << -DBL_MAX;
    QTest::newRow("huge exponent digits") << u"1e99999999999999999999"_s << DBL_MAX;
    QTest::newRow("underflow gives 0") << u"1e-999"_s << 0.0;
    QTest::newRow("leading zeros do not overflow") << u"0000000000000000000012"_s << 12.0;
}

void TestNumbers::toInt16_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected"); // -99999: no value
    const int none = -99999;
    QTest::newRow("half to even down") << 3300.5 << 3300;
    QTest::newRow("half to even up") << 3301.5 << 3302;
    QTest::newRow("12.5 gives 12") << 12.5 << 12;
    QTest::newRow("13.5 gives 14") << 13.5 << 14;
    QTest::newRow("below half rounds down") << 32767.4 << 32767;
    QTest::newRow("rounding past the top fails") << 32767.5 << none;
    QTest::newRow("bottom half rounds into range") << -32768.5 << -32768;
    QTest::newRow("below the bottom fails") << -32769.0 << none;
    QTest::newRow("NaN fails") << std::numeric_limits<double>::quiet_NaN() << none;
    QTest::newRow("infinity fails") << std::numeric_limits<double>::infinity() << none;
    QTest::newRow("clamped overflow fails") << DBL_MAX << none;
}

void TestNumbers::toInt16()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    const auto result = numbers::toInt16(value);
    if (expected == -99999)
        QVERIFY(!result.has_value());
    else
        QCOMPARE(result.value_or(qint16(-1)), qint16(expected));
}

void TestNumbers::toInt32Range()
{
    QCOMPARE(numbers::toInt32(2147483647.4).value_or(0), 2147483647);
    QVERIFY(!numbers::toInt32(2147483647.5));
    QCOMPARE(numbers::toInt32(-2147483648.5).value_or(0), -2147483647 - 1);
    QCOMPARE(numbers::toInt32(86399.5).value_or(0), 86400);
    QVERIFY(!numbers::toInt32(std::nan("")));
}

void TestNumbers::pricePatternDouble_data()
{
    addRuleColumns<double>();
    QTest::newRow("zero has no integer digits") << 0.0 << u".00"_s;
    QTest::newRow("below one has no leading zero") << 0.5 << u".50"_s;
    QTest::newRow("negative below one") << -0.5 << u"-.50"_s;
    QTest::newRow("one decimal padded") << 12.3 << u"12.30"_s;
    QTest::newRow("third decimal rounds up") << 1234.567 << u"1234.57"_s;
    QTest::newRow("half cent rounds away from zero") << 0.005 << u".01"_s;
    QTest::newRow("negative half cent away from zero") << -0.005 << u"-.01"_s;
    QTest::newRow("carry widens the integer part") << 99999.995 << u"100000.00"_s;
    QTest::newRow("wide values written in full") << 123456789.0 << u"123456789.00"_s;
    QTest::newRow("negative rounding to zero has no sign") << -0.004 << u".00"_s;
    QTest::newRow("negative zero has no sign") << -0.0 << u".00"_s;
    QTest::newRow("exponent form expanded") << 1e20 << u"100000000000000000000.00"_s;
    QTest::newRow("large whole number by its shortest digits")
        << 3.3935263963869905e19 << u"33935263963869905000.00"_s;
    QTest::newRow("tiny exponent form expanded") << 1.5e-7 << u".00"_s;
    QTest::newRow("decimal text decides, not binary") << 1.005 << u"1.01"_s;
    QTest::newRow("NaN written as zero") << std::numeric_limits<double>::quiet_NaN() << u".00"_s;
}

void TestNumbers::pricePatternFloat_data()
{
    addRuleColumns<float>();
    QTest::newRow("8.95f as its text reads") << 8.95f << u"8.95"_s;
    QTest::newRow("2.675f rounds up as its text reads") << 2.675f << u"2.68"_s;
    QTest::newRow("single sum of prices") << (19.99f + 5.01f) << u"25.00"_s;
    QTest::newRow("negative single") << -3.5f << u"-3.50"_s;
    QTest::newRow("large single") << 1e10f << u"10000000000.00"_s;
}

void TestNumbers::numberText_data()
{
    addRuleColumns<double>();
    QTest::newRow("whole number gets a blank") << 3.0 << u" 3"_s;
    QTest::newRow("fraction") << 2.5 << u" 2.5"_s;
    QTest::newRow("negative gets a minus") << -2.0 << u"-2"_s;
    QTest::newRow("zero") << 0.0 << u" 0"_s;
    QTest::newRow("negative zero is not negative") << -0.0 << u" 0"_s;
    QTest::newRow("0.1 as typed") << 0.1 << u" 0.1"_s;
    QTest::newRow("exact binary fraction") << 1.125 << u" 1.125"_s;
    QTest::newRow("15 significant digits") << 0.1 + 0.2 << u" 0.3"_s;
    QTest::newRow("largest without exponent") << 999999999999999.0 << u" 999999999999999"_s;
    QTest::newRow("exponent beyond 15 digits") << 1e20 << u" 1E+20"_s;
    QTest::newRow("small values use exponent") << 0.00001 << u" 1E-05"_s;
}

void TestNumbers::plainNumber_data()
{
    addRuleColumns<float>();
    QTest::newRow("whole") << 12.0f << u"12"_s;
    QTest::newRow("no leading zeros") << 7.0f << u"7"_s;
    QTest::newRow("no trailing zeros") << 3.5f << u"3.5"_s;
    QTest::newRow("zero") << 0.0f << u"0"_s;
    QTest::newRow("negative") << -2.0f << u"-2"_s;
    QTest::newRow("seven digits") << 1234.567f << u"1234.567"_s;
    QTest::newRow("all digits that tell the value apart") << 1.2345678f << u"1.2345678"_s;
    QTest::newRow("large, never an exponent") << 12345678.0f << u"12345678"_s;
    QTest::newRow("small, never an exponent") << 0.0000125f << u"0.0000125"_s;
    QTest::newRow("single 0.1 reads as 0.1") << 0.1f << u"0.1"_s;
}

void TestNumbers::strictNumber_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("given");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain price") << u"12.34"_s << true << 12.34;
    QTest::newRow("blanks around allowed") << u"  5  "_s << true << 5.0;
    QTest::newRow("sign and exponent") << u"-1.5E+2"_s << true << -150.0;
    QTest::newRow("lower-case exponent") << u"1e2"_s << true << 100.0;
    QTest::newRow("leading point") << u".5"_s << true << 0.5;
    QTest::newRow("trailing point") << u"5."_s << true << 5.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("only blanks") << u"   "_s << false << 0.0;
    QTest::newRow("letters") << u"abc"_s << false << 0.0;
    QTest::newRow("NIF") << u"NIF"_s << false << 0.0;
    QTest::newRow("trailing letters") << u"12abc"_s << false << 0.0;
    QTest::newRow("comma decimal") << u"1,5"_s << false << 0.0;
    QTest::newRow("hex") << u"&H10"_s << false << 0.0;
    QTest::newRow("blank inside") << u"1 2"_s << false << 0.0;
    QTest::newRow("D exponent") << u"1D2"_s << false << 0.0;
    QTest::newRow("dangling exponent") << u"1e"_s << false << 0.0;
    QTest::newRow("point alone") << u"."_s << false << 0.0;
    QTest::newRow("tab around") << u"\t5"_s << false << 0.0;
    QTest::newRow("beyond double range") << u"1e400"_s << false << 0.0;
}

void TestNumbers::strictSingleRange()
{
    QCOMPARE(numbers::strictSingle(u"2.5").value_or(0.0f), 2.5f);
    QVERIFY(!numbers::strictSingle(u"1e39"));
    QVERIFY(!numbers::strictSingle(u"-1e39"));
    QVERIFY(!numbers::strictSingle(u"x"));
    QCOMPARE(numbers::strictSingle(u"3.4028235e38").value_or(0.0f), FLT_MAX);
    QVERIFY(!numbers::strictSingle(u"3.4028236e38"));
}

void TestNumbers::infinityWrittenAsLargestValue()
{
    const QString price = numbers::pricePattern(-std::numeric_limits<double>::infinity());
    QVERIFY(price.startsWith(u"-17976931348623157"_s));
    QCOMPARE(price.size(), 1 + 309 + 3);
    QVERIFY(price.endsWith(u".00"_s));
    QCOMPARE(numbers::numberText(std::numeric_limits<double>::infinity()),
             u" 1.79769313486232E+308"_s);
}

void TestNumbers::writersIgnoreTheUserLocale()
{
    // The C library's locale too: a comma separator there must not leak into the results.
    const char* cLocale = std::setlocale(LC_ALL, "de_DE.UTF-8");
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const bool ok = numbers::pricePattern(12.3) == u"12.30"_s
        && numbers::numberText(2.5) == u" 2.5"_s && numbers::numericValue(u"2.5") == 2.5
        && numbers::strictNumber(u"2.5").value_or(0) == 2.5;
    QLocale::setDefault(saved);
    std::setlocale(LC_ALL, "C");
    QVERIFY(ok);
    if (!cLocale)
        qInfo("de_DE.UTF-8 is not installed; only the Qt locale was switched");
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
