// The inquiry rules: request text, reply kinds, records, tags, versions and the answer rows.
#include "core/answer.h"
#include "support/rulerows.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Shown
{
    QStringList rows;
    QList<quint32> colours;
    QStringList failedStages;
};

// Runs the records of one reply through the row builder as the window does: each record from
// fresh working values, an empty record (no tag) skipped.
Shown showRecords(const QStringList& records)
{
    Shown shown;
    QString stage = u"GetInquiry: Parse Data"_s;
    for (const QString& record : records) {
        answer::RowWorkingValues values;
        const QStringList fields = answer::splitFields(record);
        const QString tag = answer::recordTag(fields).value_or(QString());
        if (!answer::isDisplayTag(tag))
            continue;
        const answer::RowResult result = answer::buildAnswerRow(tag, fields, values, stage);
        shown.failedStages << result.failedStages;
        if (result.row) {
            shown.rows << *result.row;
            shown.colours << result.colour;
        }
        if (!result.noteRow.isEmpty()) {
            shown.rows << result.noteRow;
            shown.colours << answer::Black;
        }
    }
    return shown;
}

QString row(const QString& record)
{
    const Shown shown = showRecords({record});
    return shown.rows.value(0);
}

} // namespace

class TestAnswer : public QObject
{
    Q_OBJECT

private slots:
    void inquiryRequest_data();
    void inquiryRequest();
    void hiddenKeyword_data();
    void hiddenKeyword() { compareRule<QString, bool>(answer::isHiddenKeyword); }
    void replyKind_data();
    void replyKind() { compareRule<QString, answer::ReplyKind>(answer::replyKind); }
    void serverErrorText_data();
    void serverErrorText();
    void splitRecords_data();
    void splitRecords() { compareRule<QString, QStringList>(answer::splitRecords); }
    void withoutCutField_data();
    void withoutCutField() { compareRule<QString>(answer::withoutCutField); }
    void recordTag_data();
    void recordTag();
    void newerVersion_data();
    void newerVersion();
    void fourRecordExample();
    void columns_data();
    void columns();
    void recordsOwnValues_data();
    void recordsOwnValues();
    void shortRecordReportsEachMissingField();
    void overflowReportsTheFailedFill();
};

void TestAnswer::inquiryRequest_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("expected"); // empty: nothing is sent
    QTest::newRow("blanks trimmed, upper-cased") << u"  ph3600 "_s << u"<I>,1234,JSMITH,PH3600"_s;
    QTest::newRow("12 characters sent") << u"abcdefghijkl"_s << u"<I>,1234,JSMITH,ABCDEFGHIJKL"_s;
    QTest::newRow("13 characters refused") << u"abcdefghijklm"_s << QString();
    QTest::newRow("blanks only refused") << u"   "_s << QString();
    QTest::newRow("tab is not a blank") << u"\tx"_s << u"<I>,1234,JSMITH,\tX"_s;
    QTest::newRow("comma not cleaned here") << u"ab,12"_s << u"<I>,1234,JSMITH,AB,12"_s;
    QTest::newRow("sharp s kept, not doubled") << u"ab\u00df"_s << u"<I>,1234,JSMITH,AB\u00df"_s;
}

void TestAnswer::inquiryRequest()
{
    QFETCH(QString, part);
    QFETCH(QString, expected);
    QCOMPARE(answer::inquiryRequest(u"1234 ", u" JSMITH", part).value_or(QString()), expected);
}

void TestAnswer::hiddenKeyword_data()
{
    addRuleColumns<QString, bool>();
    QTest::newRow("mixed case with blanks") << u"  RevealSettings "_s << true;
    QTest::newRow("tab around it is not trimmed") << u"\trevealsettings"_s << false;
    QTest::newRow("one letter short") << u"REVEALSETTING"_s << false;
}

void TestAnswer::replyKind_data()
{
    addRuleColumns<QString, answer::ReplyKind>();
    QTest::newRow("empty") << QString() << answer::ReplyKind::Empty;
    QTest::newRow("order") << u"<O>,12345"_s << answer::ReplyKind::Order;
    QTest::newRow("version record first is a login answer")
        << u"<V>,23.08.01<P>,XYZ"_s << answer::ReplyKind::Login;
    QTest::newRow("error") << u"<E>,Account not on file"_s << answer::ReplyKind::ServerError;
    QTest::newRow("lower case is no tag") << u"<o>,1"_s << answer::ReplyKind::Inquiry;
    QTest::newRow("shorter than a tag") << u"<O"_s << answer::ReplyKind::Inquiry;
    QTest::newRow("greeting before the records") << u"hello<O>,1"_s << answer::ReplyKind::Inquiry;
}

void TestAnswer::serverErrorText_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected"); // empty: no message field
    QTest::newRow("message") << u"<E>,Account not on file"_s << u"Error : Account not on file"_s;
    QTest::newRow("later fields ignored") << u"<E>,Bad login,x,y"_s << u"Error : Bad login"_s;
    QTest::newRow("empty message field") << u"<E>,"_s << u"Error : "_s;
    QTest::newRow("no comma") << u"<E>"_s << QString();
}

void TestAnswer::serverErrorText()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QCOMPARE(answer::serverErrorText(reply).value_or(QString()), expected);
}

void TestAnswer::withoutCutField_data()
{
    addRuleColumns<QString>();
    QTest::newRow("price cut inside: left out, the record kept")
        << u"<A>,QRS,B7721,OIL FILTER HD,3,2"_s << u"<A>,QRS,B7721,OIL FILTER HD,3,"_s;
    QTest::newRow("ends with a comma: whole") << u"<P>,A,0,"_s << u"<P>,A,0,"_s;
    QTest::newRow("tag of the next record cut") << u"<P>,A,<S"_s << u"<P>,A,<"_s;
    QTest::newRow("order number cut") << u"<O>,47"_s << u"<O>,"_s;
    QTest::newRow("the reply's tag stays") << u"<O>"_s << u"<O>"_s;
    QTest::newRow("shorter than a tag stays") << u"<E"_s << u"<E"_s;
}

void TestAnswer::splitRecords_data()
{
    addRuleColumns<QString, QStringList>();
    QTest::newRow("three records")
        << u"<P>,XYZ,PF1234<S>,XYZ,PF1234A<V>,23.08.01"_s
        << QStringList{u"P>,XYZ,PF1234"_s, u"S>,XYZ,PF1234A"_s, u"V>,23.08.01"_s};
    QTest::newRow("text before the first < dropped")
        << u"Hello there <P>,A"_s << QStringList{u"P>,A"_s};
    QTest::newRow("no < at all") << u"P>,A"_s << QStringList{};
    QTest::newRow("final < gives an empty record") << u"<P>,A<"_s << QStringList{u"P>,A"_s, {}};
    QTest::newRow("<< gives an empty record")
        << u"<P>,A<<S>,B"_s << QStringList{u"P>,A"_s, {}, u"S>,B"_s};
    QTest::newRow("blanks trimmed, tabs and line ends kept")
        << u"<  P>,A  < \tS>,B\r\n"_s << QStringList{u"P>,A"_s, u"\tS>,B\r\n"_s};
}

void TestAnswer::recordTag_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("tag"); // "-": none
    QTest::newRow("two-character tag") << u"P>,XYZ"_s << u"P>"_s;
    QTest::newRow("three-character tag") << u"NS>,XYZ"_s << u"NS>"_s;
    QTest::newRow("first three of a long field 0") << u"P>XYZ,1"_s << u"P>X"_s;
    QTest::newRow("blank in the first three trimmed") << u"V> 2,1"_s << u"V>"_s;
    QTest::newRow("empty record has no tag") << QString() << u"-"_s;
    QTest::newRow("empty field 0 is an empty tag") << u",A"_s << QString();
}

void TestAnswer::recordTag()
{
    QFETCH(QString, record);
    QFETCH(QString, tag);
    QCOMPARE(answer::recordTag(answer::splitFields(record)).value_or(u"-"_s), tag);
}

void TestAnswer::newerVersion_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("newer");
    QTest::newRow("next month") << u"23.08.01"_s << true;
    QTest::newRow("next year") << u"24.01.02"_s << true;
    QTest::newRow("same") << u"23.07.13"_s << false;
    QTest::newRow("older") << u"23.06.30"_s << false;
    QTest::newRow("leading blank sorts first") << u" 23.08.01"_s << false;
    QTest::newRow("own version is a prefix") << u"23.07.13a"_s << true;
    QTest::newRow("empty") << QString() << false;
}

void TestAnswer::newerVersion()
{
    QFETCH(QString, server);
    QFETCH(bool, newer);
    QCOMPARE(answer::isNewerVersion(server, u"23.07.13"), newer);
}

void TestAnswer::fourRecordExample()
{
    const Shown shown = showRecords({
        u"P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"_s,
        u"S>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,"_s,
        u"A>,QRS,B7721,OIL FILTER HD,3,24.10,,,14.46,15,1.5,SHIPS FROM MAIN DC"_s,
        u"P>,XYZ,PF99,AIR FILTER,nif,0,,,0,0,0,"_s,
    });
    const QStringList expected{
        u"*      XYZ PF1234       OIL FILTER            8.95    5.37             12"_s,
        u"SupeBy XYZ PF1234A      OIL FILTER            9.49    5.69              0"_s,
        u"CanUse QRS B7721        OIL FILTER HD        24.10   14.46   16.50e     3"_s,
        u"       SHIPS FROM MAIN DC"_s,
        u"*      XYZ PF99         AIR FILTER         **  number not stocked  **"_s,
    };
    QCOMPARE(shown.rows, expected);
    QCOMPARE(shown.colours,
             (QList<quint32>{answer::Navy, answer::DarkRed, answer::DarkTeal, answer::Black,
                             answer::Navy}));
    QCOMPARE(shown.failedStages, QStringList());
}

void TestAnswer::columns_data()
{
    // One record alone; the columns at their 1-based positions.
    QTest::addColumn<QString>("record");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("length");
    QTest::newRow("PART# of 13 touches DESCRIPTION")
        << u"P>,XYZ,ABCDEFGHIJKLM,OIL,1,1,,,1,0,0"_s << 12 << u"ABCDEFGHIJKLMOIL"_s << 73;
    QTest::newRow("PART# of 14 pushes the row right")
        << u"P>,XYZ,ABCDEFGHIJKLMN,OIL,1,1,,,1,0,0"_s << 12 << u"ABCDEFGHIJKLMNOIL"_s << 74;
    QTest::newRow("list 0") << u"P>,X,P,D,1,0,,,1,0,0"_s << 42 << u"      .00"_s << 73;
    QTest::newRow("list 0.5") << u"P>,X,P,D,1,0.5,,,1,0,0"_s << 42 << u"      .50"_s << 73;
    QTest::newRow("list 1234.567")
        << u"P>,X,P,D,1,1234.567,,,1,0,0"_s << 42 << u"  1234.57"_s << 73;
    QTest::newRow("core 15, env 0") << u"P>,X,P,D,1,1,,,1,15,0"_s << 59 << u"   15.00  "_s << 73;
    QTest::newRow("core 0, env 2") << u"P>,X,P,D,1,1,,,1,0,2"_s << 59 << u"    2.00e "_s << 73;
    QTest::newRow("core 0, env 0") << u"P>,X,P,D,1,1,,,1,0,0"_s << 59 << u"          "_s << 73;
    QTest::newRow("negative sum shows blank")
        << u"P>,X,P,D,1,1,,,1,-3,1"_s << 59 << u"          "_s << 73;
    QTest::newRow("quantity 007") << u"P>,X,P,D,007,1,,,1,0,0"_s << 69 << u"    7"_s << 73;
    QTest::newRow("quantity 3.50") << u"P>,X,P,D,3.50,1,,,1,0,0"_s << 69 << u"  3.5"_s << 73;
    QTest::newRow("quantity of six digits appended whole")
        << u"P>,X,P,D,123456,1,,,1,0,0"_s << 69 << u"123456"_s << 74;
    QTest::newRow("note of NS> is six blanks")
        << u"NS>,X,P,D,1,1,,,1,0,0"_s << 1 << u"       X"_s << 73;
    QTest::newRow("fields trimmed")
        << u"A>, X , P ,  D ,1,1,,,1,0,0"_s << 1 << u"CanUse X   P            D    "_s << 73;
    QTest::newRow("comma as decimal separator is no number: blank")
        << u"P>,X,P,D,1,\"1,5\",,,1,0,0"_s << 42 << u"         "_s << 73;
    QTest::newRow("wide list price appended whole")
        << u"P>,X,P,D,1,1234567.5,,,1,0,0"_s << 42 << u"1234567.50    1.00"_s << 74;
}

void TestAnswer::columns()
{
    QFETCH(QString, record);
    QFETCH(int, position);
    QFETCH(QString, expected);
    QFETCH(int, length);
    const QString text = row(record);
    QCOMPARE(text.mid(position - 1, expected.size()), expected);
    QCOMPARE(text.size(), length);
}

void TestAnswer::recordsOwnValues_data()
{
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("rows");
    const QString first = u"P>,XYZ,PF1,OIL FILTER,12,8.95,,,5.37,1,0"_s;
    const QString firstRow =
        u"*      XYZ PF1          OIL FILTER            8.95    5.37    1.00     12"_s;
    QTest::newRow("short record shows blanks, never the previous prices")
        << QStringList{first, u"S>,XYZ,PF2,AIR,3"_s}
        << QStringList{
               firstRow,
               u"SupeBy XYZ PF2          AIR                                             3"_s};
    QTest::newRow("NIF in capitals shows a blank AVAIL, not the previous one")
        << QStringList{first, u"P>,XYZ,PF2,AIR,NIF,1,,,1,0,0"_s}
        << QStringList{
               firstRow,
               u"*      XYZ PF2          AIR                   1.00    1.00               "_s};
    QTest::newRow("empty quantity of the first record is blank")
        << QStringList{u"P>,XYZ,PF1,OIL,,1,,,1,0,0"_s}
        << QStringList{
               u"*      XYZ PF1          OIL                   1.00    1.00               "_s};
    QTest::newRow("empty record adds no row")
        << QStringList{first + u",NOTE"_s, QString()} << QStringList{firstRow, u"       NOTE"_s};
    QTest::newRow("note of blanks adds no row")
        << QStringList{first + u",    "_s} << QStringList{firstRow};
    QTest::newRow("nif off P> has no row, but its note")
        << QStringList{first, u"S>,XYZ,PF2,AIR,nif,1,,,1,0,0,ASK US"_s}
        << QStringList{firstRow, u"       ASK US"_s};
    QTest::newRow("long LIN pushes the row right")
        << QStringList{u"P>,ABCDE,PF1,OIL,1,1,,,1,0,0"_s}
        << QStringList{
               u"*      ABCDEPF1          OIL                   1.00    1.00              1"_s};
}

void TestAnswer::recordsOwnValues()
{
    QFETCH(QStringList, records);
    QFETCH(QStringList, rows);
    QCOMPARE(showRecords(records).rows, rows);
}

void TestAnswer::shortRecordReportsEachMissingField()
{
    // Fields 5, 8, 9, 10 and 11 are missing: one failed step each, all while displaying.
    const Shown shown = showRecords({u"P>,XYZ,PF1,OIL,4"_s});
    QCOMPARE(shown.failedStages, QStringList(5, u"GetInquiry: Display Data"_s));
    QCOMPARE(shown.rows,
             QStringList{
                 u"*      XYZ PF1          OIL                                             4"_s});
}

void TestAnswer::overflowReportsTheFailedFill()
{
    const Shown shown = showRecords({u"P>,ABCDE,PF1,OIL,1,1234567.5,,,1,0,0"_s});
    // Field 11 is missing, LIN is too long for its column, the list price too wide for its own.
    QCOMPARE(shown.failedStages,
             (QStringList{u"GetInquiry: Display Data"_s, u"GetInquiry: Display Data"_s,
                          u"GetInquiry: Format Pricing"_s}));
}

QTEST_GUILESS_MAIN(TestAnswer)
#include "tst_answer.moc"
