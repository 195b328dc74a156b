#include "core/order.h"
#include "support/orderlines.h"
#include "support/rulerows.h"

#include "core/text.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// An answer row in the 73-column layout: note, LIN, part number, description, list, net,
// core/environmental and availability.
QString answerRow(const QString& lin, const QString& part, const QString& description,
                  const QString& list, const QString& net, const QString& charge,
                  bool environmental = false)
{
    return u"*      "_s + text::padRight(lin, 4) + text::padRight(part, 13)
        + text::padRight(description, 17) + text::padLeft(list, 9) + text::padLeft(net, 8)
        + text::padLeft(charge, 8) + (environmental ? u"e "_s : u"  "_s) + u"   12"_s;
}

} // namespace

class TestOrder : public QObject
{
    Q_OBJECT

private slots:
    void quantityFits_data();
    void quantityFits();
    void orderLine_data();
    void orderLine();
    void subTotal_data();
    void subTotal() { compareRule<QStringList, float>(order::subTotal); }
    void itemRecord_data();
    void itemRecord() { compareRule<QString>(order::itemRecord); }
    void orderMessage();
    void confirmationNumber_data();
    void confirmationNumber() { compareOptionalRule<QString, int>(order::confirmationNumber); }
};

void TestOrder::quantityFits_data()
{
    QTest::addColumn<float>("quantity");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fits");
    QTest::newRow("whole") << 3.0f << u"3"_s << true;
    QTest::newRow("9999 is the largest whole") << 9999.0f << u"9999"_s << true;
    QTest::newRow("10000 is too wide") << 10000.0f << u"10000"_s << false;
    QTest::newRow("2.5 fits") << 2.5f << u"2.5"_s << true;
    QTest::newRow("1.1 in single precision still reads 1.1") << 1.1f << u"1.1"_s << true;
    QTest::newRow("1.125 is too wide") << 1.125f << u"1.125"_s << false;
    QTest::newRow("99.5 fits") << 99.5f << u"99.5"_s << true;
}

void TestOrder::quantityFits()
{
    compareRule<float>(order::quantityText, "quantity", "text");
    compareRule<float, bool>(order::quantityFits, "quantity", "fits");
}

void TestOrder::orderLine_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<float>("quantity");
    QTest::addColumn<QString>("expected");
    // Three blanks and 2; a blank; XYZ and a blank; ABC123 and seven blanks; FILTER and eleven
    // blanks; three blanks and 12.50; eight blanks; six blanks and 25.00.
    QTest::newRow("quantity 2, no core charge")
        << answerRow(u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"19.95"_s, u"12.50"_s, QString()) << 2.0f
        << u"   2"_s + u" "_s + u"XYZ "_s + u"ABC123"_s + QString(7, u' ') + u"FILTER"_s
            + QString(11, u' ') + u"   12.50"_s + QString(8, u' ') + QString(6, u' ') + u"25.00"_s;
    QTest::newRow("net 10 and core 5 times 3")
        << answerRow(u"AB"_s, u"P1"_s, u"PUMP"_s, u"20.00"_s, u"10.00"_s, u"5.00"_s) << 3.0f
        << lineOf(u"3"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"5.00"_s, u"45.00"_s);
    QTest::newRow("environmental marker after column 66 is not carried over")
        << answerRow(u"AB"_s, u"P1"_s, u"PUMP"_s, u"20.00"_s, u"10.00"_s, u"2.00"_s, true) << 1.0f
        << lineOf(u"1"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"2.00"_s, u"12.00"_s);
    QTest::newRow("1.5 kept, total uses it")
        << answerRow(u"AB"_s, u"P1"_s, u"PUMP"_s, u"20.00"_s, u"10.00"_s, QString()) << 1.5f
        << lineOf(u"1.5"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, QString(), u"15.00"_s);
    QTest::newRow("not stocked: the note's text reads as 0")
        << (u"*      "_s + text::padRight(u"XYZ"_s, 4) + text::padRight(u"PF99"_s, 13)
            + text::padRight(u"AIR FILTER"_s, 17) + u"  **  number not stocked  **"_s)
        << 1.0f
        << lineOf(u"1"_s, u"XYZ"_s, u"PF99"_s, u"AIR FILTER"_s, u"ber not "_s, u"stocked "_s,
                  u".00"_s);
    QTest::newRow("short row: the total follows directly")
        << u"*      XYZ PF1"_s << 2.0f << u"   2 XYZ PF1        .00"_s;
    QTest::newRow("total wider than 11 is written whole")
        << answerRow(u"AB"_s, u"P1"_s, u"GOLD"_s, u"1"_s, u"10001.00"_s, QString()) << 9999.0f
        << lineOf(u"9999"_s, u"AB"_s, u"P1"_s, u"GOLD"_s, u"10001.00"_s, QString(),
                  u"100000000.00"_s);
}

void TestOrder::orderLine()
{
    QFETCH(QString, row);
    QFETCH(float, quantity);
    QFETCH(QString, expected);
    const QString line = order::orderLine(row, quantity);
    QCOMPARE(line, expected);
}

void TestOrder::subTotal_data()
{
    addRuleColumns<QStringList, float>();
    const auto line = [](const QString& total) {
        return lineOf(u"1"_s, u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"5.00"_s, total);
    };
    QTest::newRow("empty cart") << QStringList() << 0.0f;
    QTest::newRow("two lines") << QStringList{line(u"45.00"_s), line(u"125.40"_s)} << 170.4f;
    QTest::newRow("a line of 100000 and more counts in full")
        << QStringList{line(u"123456.00"_s), line(u"1.00"_s)} << 123457.0f;
    QTest::newRow("a total wider than its column counts in full")
        << QStringList{line(u"123456789.00"_s)} << 123456789.0f;
    QTest::newRow("short line: its last 11 characters")
        << QStringList{u"   2 XYZ PF1        7.50"_s} << 7.5f;
}

void TestOrder::itemRecord_data()
{
    addRuleColumns<QString>();
    QTest::newRow("the example line")
        << lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s, QString(), u"25.00"_s)
        << u"<P> ,2,XYZ,ABC123,FILTER,25.00,,,,"_s;
    QTest::newRow("1.5; 4-character LIN sent as 3, 17-character description as 16")
        << lineOf(u"1.5"_s, u"ABCD"_s, u"P123456789012"_s, u"DESCRIPTION123456"_s, u"10.00"_s,
                  QString(), u"15.00"_s)
        << u"<P> ,1.5,ABC,P123456789012,DESCRIPTION12345,15.00,,,,"_s;
    QTest::newRow("an 11-character total is sent whole")
        << lineOf(u"9"_s, u"AB"_s, u"P1"_s, u"GOLD"_s, u"1234567.00"_s, QString(), u"11111103.00"_s)
        << u"<P> ,9,AB,P1,GOLD,11111103.00,,,,"_s;
}

void TestOrder::orderMessage()
{
    const QString line =
        lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s, QString(), u"25.00"_s);
    QCOMPARE(order::orderMessage(u"1234", u"SMITHCO", u"JOE", u"PO77", u"RUSH", {line}),
             u"<O>,1234,SMITHCO,JOE,PO77,RUSH,<P> ,2,XYZ,ABC123,FILTER,25.00,,,,"
             "<X>  End of Order"_s);
    // Order fields are trimmed of blanks (only blanks: empty fields follow each other); account
    // and login go as held.
    QCOMPARE(order::orderMessage(u" 12", u"AB ", u"  ", u" P 1 ", QString(), {line, line}),
             u"<O>, 12,AB ,,P 1,,<P> ,2,XYZ,ABC123,FILTER,25.00,,,,"
             "<P> ,2,XYZ,ABC123,FILTER,25.00,,,,<X>  End of Order"_s);
}

void TestOrder::confirmationNumber_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("given");
    QTest::addColumn<int>("expected");
    QTest::newRow("4711") << u"<O>,4711"_s << true << 4711;
    QTest::newRow("zero") << u"<O>,0"_s << true << 0;
    QTest::newRow("empty field 1") << u"<O>,"_s << true << 0;
    QTest::newRow("not numeric") << u"<O>,ABC"_s << true << 0;
    QTest::newRow("no field 1") << u"<O>"_s << false << 0;
    QTest::newRow("blank before the number") << u"<O>, 4711"_s << true << 4711;
    QTest::newRow("fraction rounds") << u"<O>,4711.6"_s << true << 4712;
    QTest::newRow("half to even") << u"<O>,12.5"_s << true << 12;
    QTest::newRow("above 16 bits") << u"<O>,40000"_s << true << 40000;
    QTest::newRow("further fields ignored") << u"<O>,77,x,y"_s << true << 77;
    QTest::newRow("negative") << u"<O>,-5"_s << true << -5;
    QTest::newRow("largest 32-bit") << u"<O>,2147483647"_s << true << 2147483647;
    QTest::newRow("outside 32 bits") << u"<O>,2147483648"_s << false << 0;
}

QTEST_GUILESS_MAIN(TestOrder)
#include "tst_order.moc"
