// The quick-order pad's rules: reading a list, judging an answer for a line, writing CSV.
#include "core/order.h"
#include "core/quicklist.h"
#include "support/orderlines.h"

#include <QTest>

using namespace Qt::StringLiterals;
using quicklist::Status;

namespace {

// "PART|quantity|LIN|problem" for each line read, and "cut N" when lines were left out.
QStringList described(const quicklist::List& list)
{
    QStringList lines;
    for (const quicklist::Line& line : list.lines)
        lines << line.part + u'|' + QString::number(line.value) + u'|' + line.lin + u'|'
                + line.problem;
    if (list.cut > 0)
        lines << u"cut "_s + QString::number(list.cut);
    return lines;
}

const QString Refused = u"Part number holds %1, which cannot be sent"_s;

} // namespace

class TestQuickList : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void classify_data();
    void classify();
    void csvReadsBack();
};

void TestQuickList::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // "binary": refused as not text
    const QStringList two{u"PF1234|2||"_s, u"B7721|1||"_s};
    QTest::newRow("comma, no header") << QByteArray("pf1234,2\r\nB7721,1\r\n") << two;
    QTest::newRow("tab from a spreadsheet") << QByteArray("PF1234\t2\nB7721\t1") << two;
    QTest::newRow("semicolon, decimal comma stays one field")
        << QByteArray("PF1234;2,5\nB7721;1")
        << QStringList{u"PF1234|1||Quantity 2,5 is not a number of at least 1"_s, u"B7721|1||"_s};
    QTest::newRow("first separator wins: tab before comma")
        << QByteArray("PF1234\t2\nB7721,X\t1")
        << QStringList{u"PF1234|2||"_s, u"B7721,X|1||"_s + Refused.arg(u","_s)};
    QTest::newRow("blanks when no separator") << QByteArray("  PF1234   2\n\nB7721 1 extra") << two;
    QTest::newRow("blank lines and quotes tolerated")
        << QByteArray("\"PF1234\",\"2\"\r\n\r\n  \r\n\"B7721\" , 1") << two;
    QTest::newRow("header reorders and names LIN")
        << QByteArray("Qty,LIN,Part Number\n2,xyz,PF1234\n1,,B7721")
        << QStringList{u"PF1234|2|XYZ|"_s, u"B7721|1||"_s};
    QTest::newRow("header names in any case: Part#, Quantity")
        << QByteArray("PART#;QUANTITY\nPF1234;2\nB7721;1") << two;
    QTest::newRow("header without quantity column: 1 each")
        << QByteArray("Part\nPF1234\nB7721") << QStringList{u"PF1234|1||"_s, u"B7721|1||"_s};
    QTest::newRow("no quantity field is 1, an empty one invalid")
        << QByteArray("PF1234\nB7721,")
        << QStringList{u"PF1234|1||"_s, u"B7721|1||Quantity is empty"_s};
    QTest::newRow("zero, negative, text, fraction below 1")
        << QByteArray("A,0\nB,-2\nC,two\nD,0.5")
        << QStringList{u"A|1||Quantity 0 is not a number of at least 1"_s,
                       u"B|1||Quantity -2 is not a number of at least 1"_s,
                       u"C|1||Quantity two is not a number of at least 1"_s,
                       u"D|1||Quantity 0.5 is not a number of at least 1"_s};
    QTest::newRow("fraction allowed, five characters refused as ORDER refuses")
        << QByteArray("A,2.5\nB,10000")
        << QStringList{u"A|2.5||"_s,
                       u"B|1||The quantity 10000 does not fit an order line (at most 4 "
                       "characters, such as 9999 or 2.5). Please enter a smaller quantity."_s};
    QTest::newRow("part number 12 characters, 13 refused")
        << QByteArray("ABCDEFGHIJKL,1\nABCDEFGHIJKLM,1")
        << QStringList{u"ABCDEFGHIJKL|1||"_s,
                       u"ABCDEFGHIJKLM|1||Part number longer than 12 characters"_s};
    QTest::newRow("empty part, quote, less-than, control character")
        << QByteArray(",2\n\"AB\"\"C\",1\nA<B,1\nA\x81"
                      "B,1")
        << QStringList{u"|2||No part number"_s, u"AB\"C|1||"_s + Refused.arg(u"\""_s),
                       u"A<B|1||"_s + Refused.arg(u"<"_s),
                       u"A\u0081B|1||"_s + Refused.arg(u"U+0081"_s)};
    QTest::newRow("character outside Windows-1252")
        << QByteArray("AB\xE2\x82\xAC"
                      "1,1\nA\xCE\xA9,1")
        << QStringList{u"AB\u20AC1|1||"_s, u"A\u03A9|1||"_s + Refused.arg(u"\u03A9"_s)};
    QTest::newRow("Windows-1252 bytes read as such") << QByteArray("\x80"
                                                                   "12,1")
                                                     << QStringList{u"\u20AC12|1||"_s};
    QTest::newRow("UTF-8 with a byte order mark")
        << QByteArray("\xEF\xBB\xBFPart,Qty\r\nPF1234,2\r\nB7721,1\r\n") << two;
    QTest::newRow("UTF-16 LE with a byte order mark, as spreadsheets write Unicode text")
        << QByteArray("\xFF\xFE")
            + QByteArray(reinterpret_cast<const char*>(u"PF1234\t2\r\nB7721\t1"), 34)
        << two;
    QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0P\0F\0001\0,\0002", 12)
                               << QStringList{u"PF1|2||"_s};
    QByteArray many;
    for (int i = 0; i < 502; ++i)
        many += "P" + QByteArray::number(i) + ",1\n";
    QStringList kept;
    for (int i = 0; i < 500; ++i)
        kept << u"P"_s + QString::number(i) + u"|1||"_s;
    QTest::newRow("over 500 lines cut to 500") << many << (kept << u"cut 2"_s);
    const QStringList binary{u"binary"_s};
    QTest::newRow("binary: a NUL byte") << QByteArray("PF1234,2\0\0", 10) << binary;
    QTest::newRow("binary: a picture's header") << QByteArray("\x89PNG\r\n\x1A\n") << binary;
    QTest::newRow("binary: UTF-16 holding a NUL") << QByteArray("\xFF\xFE\0\0", 4) << binary;
}

void TestQuickList::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    const auto text = quicklist::decode(bytes);
    QCOMPARE(!text.has_value(), expected == QStringList{u"binary"_s});
    if (text)
        QCOMPARE(described(quicklist::read(*text)), expected);
}

void TestQuickList::classify_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QStringList>("offers"); // "LIN PART avail" of each offer
    const QString pf1234 = u"<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"_s;
    const QString superseding = u"<S>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,"_s;
    QTest::newRow("found, a superseding part beside it")
        << u"PF1234"_s << pf1234 + superseding + u"<V>,23.07.13"_s << Status::Found
        << QStringList{u"XYZ PF1234 12"_s};
    QTest::newRow("found under two LIN codes, an alternative beside")
        << u"PF1234"_s
        << pf1234 + u"<P>,QRS,PF1234,OIL FILTER,3,9.10,,,5.50,0,0,<A>,QRS,B7721,X,3,1,,,1,0,0,"_s
        << Status::Found << QStringList{u"XYZ PF1234 12"_s, u"QRS PF1234 3"_s};
    QTest::newRow("no longer sold, superseded")
        << u"PF1100"_s
        << u"<NS>,XYZ,PF1100,OIL FILTER,0,7.95,,,4.77,0,0,DISCONTINUED<S>,XYZ,PF1234,OIL "
           "FILTER,12,8.95,,,5.37,0,0,"_s
        << Status::Superseded << QStringList{u"XYZ PF1234 12"_s};
    QTest::newRow("no longer sold, nothing offered")
        << u"PF1100"_s << u"<NS>,XYZ,PF1100,OIL FILTER,0,7.95,,,4.77,0,0,"_s << Status::NoLongerSold
        << QStringList();
    QTest::newRow("a short record takes no price of the record before")
        << u"PF1234"_s << u"<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,<P>,QRS,PF1234"_s
        << Status::Found << QStringList{u"XYZ PF1234 12"_s, u"QRS PF1234 -1"_s};
    QTest::newRow("not stocked: the row carries no price")
        << u"PF99"_s << u"<P>,XYZ,PF99,AIR FILTER,nif,0,,,0,0,0,"_s << Status::NotStocked
        << QStringList();
    QTest::newRow("not found") << u"ZZ9"_s << u"<NF>,ZZ9<V>,23.07.13"_s << Status::NotFound
                               << QStringList();
    QTest::newRow("only other parts shown")
        << u"ZZ9"_s << pf1234 << Status::NotFound << QStringList();
    QTest::newRow("server error") << u"PF1234"_s << u"<E>,Account not on file"_s << Status::Failed
                                  << QStringList();
    QTest::newRow("nothing came back")
        << u"PF1234"_s << QString() << Status::Failed << QStringList();
}

void TestQuickList::classify()
{
    QFETCH(QString, part);
    QFETCH(QString, reply);
    QFETCH(Status, status);
    QFETCH(QStringList, offers);
    const quicklist::Verdict verdict = quicklist::classify(part, reply);
    QCOMPARE(verdict.status, status);
    QStringList shown;
    for (const quicklist::Offer& offer : verdict.offers)
        shown << offer.lin + u' ' + offer.part + u' ' + QString::number(offer.avail.value_or(-1));
    QCOMPARE(shown, offers);
}

void TestQuickList::csvReadsBack()
{
    // A description with a comma and a quote, a fraction, a core charge; a not-stocked line.
    const QString pump =
        lineOf(u"2.5"_s, u"AB"_s, u"P1"_s, u"PUMP, \"HD\""_s, u"10.00"_s, u"5.00"_s, u"37.50"_s);
    const QString free = order::orderLine(u"*      XYZ PF99         AIR FILTER       "
                                          "  **  number not stocked  **",
                                          1);
    const QString text = quicklist::csv({pump, free});
    QCOMPARE(text,
             u"Part Number,Quantity,LIN,Description,Net,Core,Total\r\n"
             "P1,2.5,AB,\"PUMP, \"\"HD\"\"\",10.00,5.00,37.50\r\n"
             "PF99,1,XYZ,AIR FILTER,0.00,0.00,0.00\r\n"_s);
    QCOMPARE(described(quicklist::read(text)), (QStringList{u"P1|2.5|AB|"_s, u"PF99|1|XYZ|"_s}));
}

QTEST_GUILESS_MAIN(TestQuickList)
#include "tst_quicklist.moc"
