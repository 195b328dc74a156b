// The tick and the trace log without a window: a tick that begins inside another, and the records
// of DataSend.log.
#include "logic/tick/ticker.h"
#include "logic/tracelog/tracelog.h"
#include "support/filebytes.h"

#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestTickTrace : public QObject
{
    Q_OBJECT

private slots:
    void tickInsideATickIsNested();
    void traceRecordsAppended();
};

void TestTickTrace::tickInsideATickIsNested()
{
    Ticker ticker;
    QStringList steps;
    connect(&ticker, &Ticker::setupDue, this, [&] { steps << u"setup"_s; });
    connect(&ticker, &Ticker::housekeeping, this, [&](bool nested) {
        steps << (nested ? u"nested"_s : u"housekeeping"_s);
        if (steps.size() == 2)
            ticker.MiscTimer_Timer(); // a tick while a box of this one is open
    });
    ticker.MiscTimer_Timer();
    ticker.MiscTimer_Timer(); // once the outer tick has ended, the next one is a normal tick
    QCOMPARE(
        steps,
        (QStringList{u"setup"_s, u"housekeeping"_s, u"nested"_s, u"setup"_s, u"housekeeping"_s}));
}

void TestTickTrace::traceRecordsAppended()
{
    QTemporaryDir folder;
    const TraceLog lost(folder.filePath(u"no such folder/"_s), u"T"_s);
    QVERIFY(!lost.TraceRequest(u"<I>,1,X,Y"_s));
    const TraceLog log(folder.path() + u'/', u"T"_s);
    const auto lines = [&] {
        return QString::fromLatin1(fileBytes(log.logFile())).split(u"\r\n"_s);
    };
    QVERIFY(log.TraceRequest(u"<I>,1,X,Y"_s));
    QVERIFY(log.TraceRequest(u"<I>,1,X,Z"_s));
    QCOMPARE(lines().size(), 7); // appended, never truncated
    // A request holding CR LF is written as sent: its record has four lines.
    QVERIFY(log.TraceRequest(u"<O>,1234,\"A\"\r\n<P> 2"_s));
    QCOMPARE(lines().size(), 7 + 4);
    QCOMPARE(lines().mid(8, 2), (QStringList{u"\"<O>,1234,\"A\""_s, u"<P> 2\""_s}));
}

QTEST_GUILESS_MAIN(TestTickTrace)
#include "tst_ticktrace.moc"
