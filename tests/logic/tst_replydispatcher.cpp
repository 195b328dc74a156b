// The reply dispatcher through its own interface, without a window: what it makes of each reply
// (its rows, a login answer, a server error, not found, the version note, the failed steps that
// trace mode shows), and that a reply taken in as it grows, cut anywhere or reset, ends as whole.
#include "core/answer.h"
#include "logic/replies/replydispatcher.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString PRecord = u"<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"_s;
const QString PRow = u"*      XYZ PF1234       OIL FILTER            8.95    5.37             12"_s;
const QString Answer = u"<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"
                       "<S>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,"
                       "<A>,QRS,B7721,OIL FILTER HD,3,24.10,,,14.46,15,1.5,SHIPS FROM MAIN DC"
                       "<P>,XYZ,PF99,AIR FILTER,nif,0,,,0,0,0,<V>,23.08.01"_s;
const QStringList AnswerRows{
    PRow,
    u"SupeBy XYZ PF1234A      OIL FILTER            9.49    5.69              0"_s,
    u"CanUse QRS B7721        OIL FILTER HD        24.10   14.46   16.50e     3"_s,
    u"       SHIPS FROM MAIN DC"_s,
    u"*      XYZ PF99         AIR FILTER         **  number not stocked  **"_s,
};

// A dispatcher and all it signals: its rows, and every other signal as a line of text.
struct Recorded
{
    Recorded()
    {
        using D = ReplyDispatcher;
        const D* d = &dispatcher;
        const auto note = [this](const QString& event) {
            return [this, event] { events << event; };
        };
        QObject::connect(d, &D::replyStarted, note(u"started"_s));
        QObject::connect(d, &D::emptyReply, note(u"empty"_s));
        QObject::connect(d, &D::loginPassed, note(u"login"_s));
        QObject::connect(d, &D::partNotFound, note(u"not found"_s));
        QObject::connect(d, &D::newVersionAvailable, note(u"new version"_s));
        QObject::connect(d, &D::answerComplete, note(u"complete"_s));
        QObject::connect(d, &D::orderConfirmation, [this](quint64 id, const QString& reply) {
            events << u"order %1: %2"_s.arg(id).arg(reply);
        });
        QObject::connect(d, &D::serverError,
                         [this](const QString& message) { events << u"error: "_s + message; });
        QObject::connect(d, &D::stepFailed,
                         [this](const QString& stage) { events << u"step: "_s + stage; });
        QObject::connect(d, &D::answerRow, [this](const QString& row, quint32) { rows << row; });
    }
    void grow(const QString& text) { dispatcher.takeReply(1, text, false, true); }
    void end(const QString& text) { dispatcher.takeReply(1, text, true, true); }
    // The rows, the other signals in a fixed order, and the last of "complete" and "not found":
    // what the status line ends with. An answer taken in as it grows completes with its first
    // rows, a whole one after all of them, or not at all when not found ends it.
    [[nodiscard]] QStringList outcome() const
    {
        QStringList sorted = events;
        sorted.removeAll(u"complete"_s);
        sorted.sort();
        const auto last = std::find_if(events.rbegin(), events.rend(), [](const QString& event) {
            return event == u"complete"_s || event == u"not found"_s;
        });
        return rows + sorted + QStringList{last == events.rend() ? QString() : *last};
    }
    // Nothing shown that the whole reply would not show, no box that more text could change, and
    // the ending steps (which select the first row) at most once.
    [[nodiscard]] bool beginningOf(const Recorded& whole) const
    {
        return whole.rows.mid(0, rows.size()) == rows && events.count(u"complete"_s) <= 1
            && std::none_of(events.begin(), events.end(), [](const QString& event) {
                   return event.startsWith(u"order"_s) || event.startsWith(u"error"_s);
               });
    }

    ReplyDispatcher dispatcher;
    QStringList rows;
    QStringList events;
};

} // namespace

class TestReplyDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void wholeReply_data();
    void wholeReply();
    void takenAsItGrows_data();
    void takenAsItGrows();
};

void TestReplyDispatcher::wholeReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("events"); // after "started", joined by " | "
    QTest::newRow("empty reply") << QString() << QStringList() << u"empty"_s;
    QTest::newRow("version record first is a login answer")
        << u"<V>,23.08.01"_s + PRecord << QStringList() << u"login"_s;
    QTest::newRow("server error") << u"<E>,Account not on file,x"_s << QStringList()
                                  << u"error: Error : Account not on file"_s;
    QTest::newRow("server error without a message: an empty box, a failed step")
        << u"<E>"_s << QStringList() << u"step: GetInquiry: Initial | error: "_s;
    QTest::newRow("confirmation") << u"<O>,4711"_s << QStringList() << u"order 0: <O>,4711"_s;
    QTest::newRow("not found after a display record keeps its row, ignores the version")
        << PRecord + u"<NF>,PF1234<V>,99.01.01"_s << QStringList{PRow} << u"not found"_s;
    QTest::newRow("answer with a version record")
        << Answer << AnswerRows << u"new version | complete"_s;
    QTest::newRow("final < adds no row") << PRecord + u"<"_s << QStringList{PRow}
                                         << u"step: GetInquiry: Format Pricing | complete"_s;
    QTest::newRow("greeting before the first record ignored")
        << u"Hello <there> "_s + PRecord << QStringList{PRow} << u"complete"_s;
    QTest::newRow("unknown tags and a leading empty record add nothing")
        << u"<<X>,1<ZZ>,2"_s << QStringList() << u"step: GetInquiry: Parse Data | complete"_s;
    // Fields 5, 8, 9, 10 and 11 missing: each step skipped is signalled, the row shows blanks.
    const QString missing = u"step: GetInquiry: Display Data | "_s.repeated(5);
    QTest::newRow("short record shows blanks, never the previous prices")
        << PRecord + u"<NS>,XYZ,PF7,HOSE,4"_s
        << QStringList{PRow,
                       u"       XYZ PF7          HOSE                                            4"_s}
        << missing + u"complete"_s;
    QTest::newRow("an empty record fails at the stage left behind")
        << u"<P>,XYZ,PF1,OIL,4<"_s
        << QStringList{u"*      XYZ PF1          OIL                                             4"_s}
        << missing + u"step: GetInquiry: Format Pricing | complete"_s;
    for (const auto& [version, newer] : {std::pair{"23.08.01", true},
                                         {"24.01.02", true},
                                         {"23.07.13", false},
                                         {"23.06.30", false},
                                         {" 23.08.01", false}})
        QTest::addRow("version '%s' after a row: %s", version, newer ? "newer" : "not newer")
            << PRecord + u"<V>,"_s + QString::fromLatin1(version) << QStringList{PRow}
            << (newer ? u"new version | complete"_s : u"complete"_s);
}

void TestReplyDispatcher::wholeReply()
{
    QFETCH(QString, reply);
    QFETCH(QStringList, rows);
    QFETCH(QString, events);
    Recorded recorded;
    recorded.dispatcher.GetInquiry(reply);
    QCOMPARE(recorded.rows, rows);
    QCOMPARE(recorded.events.join(u" | "_s), u"started | "_s + events);
    // The flag outlives the reply: the notice at shut-down tells where to get the new version.
    const bool newer = events.contains(u"new version"_s);
    QCOMPARE(recorded.dispatcher.newVersionFlag(), newer);
    QCOMPARE(recorded.dispatcher.unloadNotice().isEmpty(), !newer);
}

void TestReplyDispatcher::takenAsItGrows_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("resetAsWhole"); // a reset ends it as if whole without the cut field
    QTest::newRow("answer with a version record") << Answer << true;
    // Not found is acted on once its tag is in: a reset just after it cannot take it back.
    QTest::newRow("a row, then not found") << PRecord + u"<NF>,PF1234<V>,99.01.01"_s << false;
    QTest::newRow("confirmation") << u"<O>,4711"_s << true;
    QTest::newRow("server error") << u"<E>,Account not on file"_s << true;
    QTest::newRow("login answer") << u"<V>,OK"_s << true;
}

void TestReplyDispatcher::takenAsItGrows()
{
    QFETCH(QString, reply);
    QFETCH(bool, resetAsWhole);
    Recorded whole;
    whole.end(reply);
    Recorded everyCharacter; // handed on one more character at a time
    QRandomGenerator random(20261209);
    for (qsizetype cut = 1; cut <= reply.size(); ++cut) {
        const QByteArray where = "cut at " + QByteArray::number(cut);
        const QString first = reply.left(cut);
        if (cut < reply.size()) {
            everyCharacter.grow(first);
            QVERIFY2(everyCharacter.beginningOf(whole), where.constData());
            // Cut there and maybe once more further on: what no later byte can change is acted
            // on at once, nothing is taken back, and it ends as whole.
            Recorded cutTwice;
            cutTwice.grow(first);
            QVERIFY2(cutTwice.beginningOf(whole), where.constData());
            if (reply.startsWith(u"<V>"_s))
                QVERIFY2(cutTwice.events.contains(u"login"_s) == (cut >= 3), where.constData());
            if (first.contains(u"<NF>"_s))
                QVERIFY2(cutTwice.events.contains(u"not found"_s), where.constData());
            cutTwice.grow(reply.left(random.bounded(cut, reply.size() + 1)));
            QVERIFY2(cutTwice.beginningOf(whole), where.constData());
            cutTwice.end(reply);
            QVERIFY2(cutTwice.outcome() == whole.outcome(), where.constData());
        }
        if (!resetAsWhole)
            continue;
        const QString kept = answer::withoutCutField(first);
        Recorded reset;
        Recorded expected;
        reset.grow(first);
        reset.end(kept);
        expected.end(kept);
        QVERIFY2(reset.outcome() == expected.outcome(), where.constData());
    }
    everyCharacter.end(reply);
    QCOMPARE(everyCharacter.outcome(), whole.outcome());
}

QTEST_GUILESS_MAIN(TestReplyDispatcher)
#include "tst_replydispatcher.moc"
