// The quick order's check through its own interface, with look-ups the test answers: at most
// four at once, in list order, the list's LIN picking the row, a failed look-up kept apart, a
// stop that cancels what is on its way and keeps what was found.
#include "logic/quickorder/partlookups.h"
#include "logic/quickorder/quickcheck.h"

#include <QTest>

#include <map>

using namespace Qt::StringLiterals;

namespace {

class FakeLookups final : public PartLookups
{
public:
    struct Pending
    {
        QString request;
        std::function<void(QString, bool)> onReply;
        std::function<void(QString)> onFailed;
    };
    std::map<quint64, Pending> pending;
    QList<quint64> cancelled;

    quint64 lookUp(QString request, std::function<void(QString, bool)> onReply,
                   std::function<void(QString)> onFailed) override
    {
        pending.emplace(++m_last, Pending{request, std::move(onReply), std::move(onFailed)});
        return m_last;
    }
    void cancel(quint64 id) override
    {
        cancelled << id;
        pending.erase(id);
    }
    // Answers the oldest look-up in pieces; true when there was one.
    bool answerOldest(const QString& reply)
    {
        if (pending.empty())
            return false;
        const Pending oldest = pending.begin()->second;
        pending.erase(pending.begin());
        oldest.onReply(reply.left(10), false);
        oldest.onReply(reply, true);
        return true;
    }
    QStringList requests() const
    {
        QStringList texts;
        for (const auto& [id, lookup] : pending)
            texts << lookup.request;
        return texts;
    }

private:
    quint64 m_last = 0;
};

QList<quicklist::Line> lines(const QStringList& parts)
{
    QList<quicklist::Line> made;
    for (const QString& part : parts)
        made << quicklist::makeLine(int(made.size() + 1), part, QStringView(u"1"), u"QRS");
    return made;
}

const QString TwoLins = u"<P>,XYZ,%1,F,5,1,,,1,0,0,<P>,QRS,%1,F,5,1,,,1,0,0,"_s;

} // namespace

class TestQuickCheck : public QObject
{
    Q_OBJECT

private slots:
    void fourAtOnceInListOrder();
    void stopCancelsAndKeepsWhatWasFound();
};

void TestQuickCheck::fourAtOnceInListOrder()
{
    FakeLookups lookups;
    QuickCheck check(lookups);
    check.append(lines({u"P1"_s, u"P2"_s, u"BAD<"_s, u"P3"_s, u"P4"_s, u"P5"_s}));
    QList<int> progress;
    connect(&check, &QuickCheck::progress, this, [&](int number, int) { progress << number; });
    check.check(u"1234 "_s, u"JSMITH"_s);
    QCOMPARE(lookups.requests(),
             (QStringList{u"<I>,1234,JSMITH,P1"_s, u"<I>,1234,JSMITH,P2"_s, u"<I>,1234,JSMITH,P3"_s,
                          u"<I>,1234,JSMITH,P4"_s}));
    QVERIFY(lookups.answerOldest(TwoLins.arg(u"P1"_s)));
    QCOMPARE(lookups.requests().last(), u"<I>,1234,JSMITH,P5"_s);
    lookups.pending.begin()->second.onFailed(u"no connection"_s);
    lookups.pending.erase(lookups.pending.begin());
    while (lookups.answerOldest(u"<NF>"_s)) { }
    QVERIFY(!check.checking());
    QCOMPARE(progress, (QList<int>{1, 2, 3, 4, 5}));
    // The list asked for LIN QRS: of the two rows, that one is chosen.
    QCOMPARE(quicklist::statusText(check.lines()[0]), u"Found"_s);
    QCOMPARE(check.lines()[0].verdict->offers[check.lines()[0].choice].lin, u"QRS"_s);
    QCOMPARE(quicklist::statusText(check.lines()[1]), u"Not checked: no connection"_s);
    QCOMPARE(quicklist::statusText(check.lines()[3]), u"Not found"_s);
    // Checking again looks up only the line that failed.
    check.check(u"1234"_s, u"JSMITH"_s);
    QCOMPARE(lookups.requests(), QStringList{u"<I>,1234,JSMITH,P2"_s});
}

void TestQuickCheck::stopCancelsAndKeepsWhatWasFound()
{
    FakeLookups lookups;
    QuickCheck check(lookups);
    check.append(lines({u"P1"_s, u"P2"_s, u"P3"_s}));
    bool stopped = false;
    connect(&check, &QuickCheck::finished, this, [&](bool wasStopped) { stopped = wasStopped; });
    check.check(u"1234"_s, u"JSMITH"_s);
    QVERIFY(lookups.answerOldest(TwoLins.arg(u"P1"_s).replace(u"QRS"_s, u"ABC"_s)));
    check.stop();
    QVERIFY(stopped);
    QCOMPARE(lookups.cancelled.size(), 2);
    QVERIFY(!check.checking());
    QCOMPARE(quicklist::statusText(check.lines()[0]), u"Found under 2 LIN codes: pick one"_s);
    QCOMPARE(quicklist::statusText(check.lines()[1]), u"Not checked"_s);
}

QTEST_GUILESS_MAIN(TestQuickCheck)
#include "tst_quickcheck.moc"
