#include "core/text.h"
#include "support/rulerows.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void trimBlanks_data();
    void trimBlanks() { compareRule<QString>(text::trimBlanks); }
    void syntaxOut_data();
    void syntaxOut() { compareRule<QString>(text::syntaxOut); }
    void pad_data();
    void pad()
    {
        QFETCH(QString, value);
        QFETCH(int, width);
        QFETCH(QString, left);
        QFETCH(QString, right);
        QCOMPARE(text::padLeft(value, width), left);
        QCOMPARE(text::padRight(value, width), right);
    }
    void columns_data();
    void columns()
    {
        QFETCH(QString, value);
        QFETCH(int, position);
        QFETCH(int, count);
        QFETCH(QString, expected);
        QCOMPARE(text::columns(value, position, count), expected);
    }
    void toUpper8Bit_data();
    void toUpper8Bit() { compareRule<QString>(text::toUpper8Bit); }
};

void TestText::trimBlanks_data()
{
    addRuleColumns<QString>();
    QTest::newRow("blanks both ends") << u"  ab c  "_s << u"ab c"_s;
    QTest::newRow("tab stays") << u"\tx "_s << u"\tx"_s;
    QTest::newRow("CR LF stay") << u" x\r\n"_s << u"x\r\n"_s;
    QTest::newRow("no-break space stays") << u"\u00a0x"_s << u"\u00a0x"_s;
    QTest::newRow("only blanks") << u"   "_s << QString();
}

void TestText::syntaxOut_data()
{
    addRuleColumns<QString>();
    QTest::newRow("quote and comma become blanks") << u"A \"B\", C"_s << u"A  B   C"_s;
    QTest::newRow("at the ends, not trimmed") << u",x\""_s << u" x "_s;
    QTest::newRow("single quote stays") << u"O'Neil"_s << u"O'Neil"_s;
    QTest::newRow("typographic quotes stay") << u"\u201cx\u201d"_s << u"\u201cx\u201d"_s;
}

void TestText::pad_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::newRow("shorter is filled") << u"12"_s << 4 << u"  12"_s << u"12  "_s;
    QTest::newRow("exact width unchanged") << u"1234"_s << 4 << u"1234"_s << u"1234"_s;
    QTest::newRow("longer is never cut") << u"12345"_s << 4 << u"12345"_s << u"12345"_s;
    QTest::newRow("empty becomes blanks") << QString() << 3 << u"   "_s << u"   "_s;
}

void TestText::columns_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    QTest::newRow("middle") << u"abcdef"_s << 2 << 3 << u"bcd"_s;
    QTest::newRow("first column is 1") << u"abcdef"_s << 1 << 2 << u"ab"_s;
    QTest::newRow("short text gives fewer") << u"abcdef"_s << 5 << 10 << u"ef"_s;
    QTest::newRow("last column") << u"abcdef"_s << 6 << 1 << u"f"_s;
    QTest::newRow("beyond the end is empty") << u"abcdef"_s << 7 << 3 << QString();
    QTest::newRow("position 0 counts as 1") << u"abcdef"_s << 0 << 2 << u"ab"_s;
    QTest::newRow("negative count is empty") << u"abcdef"_s << 2 << -1 << QString();
}

void TestText::toUpper8Bit_data()
{
    addRuleColumns<QString>();
    QTest::newRow("a to z") << u"ph3600-x"_s << u"PH3600-X"_s;
    QTest::newRow("accented letters of the code page")
        << u"\u00e9\u00e0\u00f6"_s << u"\u00c9\u00c0\u00d6"_s;
    QTest::newRow("capitals the code page holds above 0x7F")
        << u"\u0161\u0153\u017e\u00ff"_s << u"\u0160\u0152\u017d\u0178"_s;
    QTest::newRow("sharp s stays one character") << u"stra\u00dfe"_s << u"STRA\u00dfE"_s;
    QTest::newRow("micro sign has no capital in the code page") << u"5\u00b5f"_s << u"5\u00b5F"_s;
}

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
