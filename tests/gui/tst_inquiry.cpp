// The part inquiry in the window: the request on the wire, the reply dispatch, the answer rows
// and the selection of a row.
#include "core/answer.h"
#include "gui/listcontrol.h"
#include "gui/twips.h"
#include "logic/link/serverlink.h"
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

const QString FourRecords = u"<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"
                            "<S>,XYZ,PF1234A,OIL FILTER,0,9.49,,,5.69,0,0,"
                            "<A>,QRS,B7721,OIL FILTER HD,3,24.10,,,14.46,15,1.5,SHIPS FROM MAIN DC"
                            "<P>,XYZ,PF99,AIR FILTER,nif,0,,,0,0,0,"_s;
const QStringList FourRows{
    u"*      XYZ PF1234       OIL FILTER            8.95    5.37             12"_s,
    u"SupeBy XYZ PF1234A      OIL FILTER            9.49    5.69              0"_s,
    u"CanUse QRS B7721        OIL FILTER HD        24.10   14.46   16.50e     3"_s,
    u"       SHIPS FROM MAIN DC"_s,
    u"*      XYZ PF99         AIR FILTER         **  number not stocked  **"_s,
};
const QString PRow = u"*      XYZ PF1234       OIL FILTER            8.95    5.37             12"_s;

// Runs the event loop until done() holds, a millisecond at a time (at most five seconds).
template <typename Done> bool settle(Done done)
{
    for (int ms = 0; ms < 5000 && !done(); ++ms)
        QTest::qWait(1);
    return done();
}

} // namespace

class TestInquiry : public FormTest
{
    Q_OBJECT

private slots:
    void init();
    void requestOnTheWire_data();
    void requestOnTheWire();
    void hiddenKeywordSendsNothing();
    void enterInEmptyFieldIsNotConsumed();
    void roundTripShowsTheAnswer();
    void dispatch_data();
    void dispatch();
    void everyReplyResetsTheOrderPanel();
    void traceModeShowsEachFailedStep();
    void versionRecord_data();
    void versionRecord();
    void replyArrivingDuringAnotherIsHandledAfterIt();
    void replyInPiecesEndsAsWhole_data();
    void replyInPiecesEndsAsWhole();
    void replyCutTwiceWithPauses_data();
    void replyCutTwiceWithPauses();
    void laterPiecesLeaveTheUserAlone_data();
    void laterPiecesLeaveTheUserAlone();
    void selection_data();
    void selection();

private:
    void pointAt(const LoopbackServer& server);
    // Sends an inquiry and waits until the server has the request; its connection, kept open.
    QTcpSocket* ask(LoopbackServer& server);
    // Writes a piece of the reply and waits until the link has it all so far.
    void send(QTcpSocket* client, const QByteArray& piece);
    MainForm* m_form = nullptr;
};

void TestInquiry::init()
{
    FormTest::init();
    m_form = &m_fx->start();
    m_fx->prompter.clear();
    control<QLineEdit>(*m_form, "AccNumTxt")->setText(u"1234 "_s);
    control<QLineEdit>(*m_form, "LoginNameTxt")->setText(u" JSMITH"_s);
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestInquiry::pointAt(const LoopbackServer& server)
{
    QVERIFY(server.isListening());
    m_fx->pointAt(server.basePort());
}

void TestInquiry::requestOnTheWire_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byClick"); // false: Enter in the part field
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("message"); // MessageLbl afterwards
    QTest::newRow("trimmed and upper-cased")
        << u"  ph3600 "_s << false << QByteArray("<I>,1234,JSMITH,PH3600") << u"Checking ..."_s;
    QTest::newRow("12 characters sent")
        << u"abcdefghijkl"_s << false << QByteArray("<I>,1234,JSMITH,ABCDEFGHIJKL")
        << u"Checking ..."_s;
    QTest::newRow("13 characters refused")
        << u"abcdefghijklm"_s << true << QByteArray() << u"Invalid Part Number"_s;
    QTest::newRow("Enter sends the comma as typed")
        << u"ab,12"_s << false << QByteArray("<I>,1234,JSMITH,AB,12") << u"Checking ..."_s;
    QTest::newRow("a click sends the text cleaned on leaving the field")
        << u"ab,12"_s << true << QByteArray("<I>,1234,JSMITH,AB 12") << u"Checking ..."_s;
    QTest::newRow("quotes cleaned too on the click road")
        << u"\"x\""_s << true << QByteArray("<I>,1234,JSMITH,X") << u"Checking ..."_s;
    QTest::newRow("blanks only refused by a click")
        << u"   "_s << true << QByteArray() << u"Invalid Part Number"_s;
}

void TestInquiry::requestOnTheWire()
{
    QFETCH(QString, typed);
    QFETCH(bool, byClick);
    QFETCH(QByteArray, request);
    QFETCH(QString, message);
    LoopbackServer server;
    pointAt(server);

    control<QLineEdit>(*m_form, "Parttxt")->setFocus();
    QTRY_VERIFY(control<QLineEdit>(*m_form, "Parttxt")->hasFocus());
    QTest::keyClicks(control<QLineEdit>(*m_form, "Parttxt"), typed);
    if (byClick)
        QTest::mouseClick(control<QPushButton>(*m_form, "InquiryCmd"), Qt::LeftButton);
    else
        QTest::keyClick(control<QLineEdit>(*m_form, "Parttxt"), Qt::Key_Return);

    if (request.isEmpty()) {
        QVERIFY(server.connections == 0);
        QVERIFY(control<QLineEdit>(*m_form, "Parttxt")->hasFocus());
        QVERIFY(
            !control<QPushButton>(*m_form, "InquiryCmd")->isEnabled()); // until the next timer tick
    } else {
        QTRY_COMPARE(server.requests.size(), 1);
        QCOMPARE(server.requests.first().bytes, request);
    }
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), message);
    QCOMPARE(m_fx->prompter.shown(), QStringList());
}

void TestInquiry::hiddenKeywordSendsNothing()
{
    LoopbackServer server;
    pointAt(server);
    control<ListControl>(*m_form, "AnswerList")->addRow(u"earlier row"_s);
    control<QLabel>(*m_form, "MessageLbl")->setText(u"before"_s);
    QTest::keyClicks(control<QLineEdit>(*m_form, "Parttxt"), u"  RevealSettings "_s);
    QTest::keyClick(control<QLineEdit>(*m_form, "Parttxt"), Qt::Key_Return);
    QCOMPARE(control<QLineEdit>(*m_form, "Parttxt")->text(), QString());
    QVERIFY(!control<QLabel>(*m_form, "Label5")->isHidden());
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), u"before"_s);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 1);
    QVERIFY(server.connections == 0);
}

void TestInquiry::enterInEmptyFieldIsNotConsumed()
{
    QVERIFY(!m_form->Parttxt_KeyPress(Qt::Key_Return));
    control<QLineEdit>(*m_form, "Parttxt")->setText(u"X"_s);
    QVERIFY(!m_form->Parttxt_KeyPress(Qt::Key_A));
}

void TestInquiry::roundTripShowsTheAnswer()
{
    LoopbackServer server;
    server.reply = [](const QByteArray& request) {
        return request == "<I>,1234,JSMITH,PH3600" ? FourRecords.toLatin1() : QByteArray();
    };
    pointAt(server);
    control<QLineEdit>(*m_form, "Parttxt")->setFocus();
    QTest::keyClicks(control<QLineEdit>(*m_form, "Parttxt"), u"PH3600"_s);
    QTest::keyClick(control<QLineEdit>(*m_form, "Parttxt"), Qt::Key_Return);

    QTRY_COMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 5);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rows(), FourRows);
    const QList<QColor> colours{QColor(0, 0, 128), QColor(192, 0, 0), QColor(0, 64, 64),
                                QColor(0, 0, 0), QColor(0, 0, 128)};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowColour(i), colours.at(i));
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->selectedIndex(), 0);
    QVERIFY(control<ListControl>(*m_form, "AnswerList")->hasFocus());
    QCOMPARE(control<QLabel>(*m_form, "OrderPNumLbl")->text(),
             u"XYZ PF1234"_s); // selecting row 0 raises the click
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), QString());
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    QCOMPARE(m_fx->prompter.shown(), QStringList());
}

void TestInquiry::dispatch_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("newVersion");
    const QString p = u"<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,"_s;
    QTest::newRow("empty reply") << QString() << QStringList()
                                 << QStringList{u"Look-Up Response Error - Please resubmit "_s}
                                 << u"Getting Results ..."_s << false;
    QTest::newRow("version record first is a login answer")
        << u"<V>,23.08.01"_s + p << QStringList() << QStringList() << u"Getting Results ..."_s
        << false;
    QTest::newRow("server error") << u"<E>,Account not on file,x"_s << QStringList()
                                  << QStringList{u"Error : Account not on file"_s}
                                  << u"Getting Results ..."_s << false;
    QTest::newRow("server error without a message shows an empty box")
        << u"<E>"_s << QStringList() << QStringList{QString()} << u"Getting Results ..."_s << false;
    QTest::newRow("not found after a display record keeps its row, ignores the version")
        << p + u"<NF>,PF1234<V>,99.01.01"_s << QStringList{PRow}
        << QStringList{u"PART NUMBER NOT FOUND"_s} << u"Part Not Found!"_s << false;
    QTest::newRow("version after a display record")
        << p + u"<V>,23.08.01"_s << QStringList{PRow} << QStringList() << QString() << true;
    QTest::newRow("final < adds no row")
        << p + u"<"_s << QStringList{PRow} << QStringList() << QString() << false;
    QTest::newRow("greeting before the first record ignored")
        << u"Hello <there> "_s + p << QStringList{PRow} << QStringList() << QString() << false;
    QTest::newRow("unknown tags and a leading empty record add nothing")
        << u"<<X>,1<ZZ>,2"_s << QStringList() << QStringList() << QString() << false;
    QTest::newRow("short record shows blanks, never the previous prices")
        << p + u"<NS>,XYZ,PF7,HOSE,4"_s
        << QStringList{PRow,
                       u"       XYZ PF7          HOSE                                            4"_s}
        << QStringList() << QString() << false;
}

void TestInquiry::dispatch()
{
    QFETCH(QString, reply);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    QFETCH(bool, newVersion);
    control<QPushButton>(*m_form, "InquiryCmd")->setEnabled(false);
    subsystem<ReplyDispatcher>(*m_form).GetInquiry(reply);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rows(), rows);
    QCOMPARE(m_fx->prompter.shown(), boxes);
    for (const ShownBox& box : std::as_const(m_fx->prompter.boxes)) {
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.title, u"Vornik"_s);
    }
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), message);
    QCOMPARE(subsystem<ReplyDispatcher>(*m_form).newVersionFlag(), newVersion);
    QCOMPARE(control<QLabel>(*m_form, "NewVerLbl")->text(),
             newVersion ? u"NEW UPDATE AVAILABLE!"_s : QString());
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->selectedIndex(),
             rows.isEmpty() || !message.isEmpty() ? -1 : 0);
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
}

void TestInquiry::everyReplyResetsTheOrderPanel()
{
    control<QLineEdit>(*m_form, "Qtytxt")->setText(u"5"_s);
    control<QLabel>(*m_form, "OrderPNumLbl")->setText(u"XYZ PF1"_s);
    subsystem<ReplyDispatcher>(*m_form).GetInquiry(u"<V>"_s);
    QCOMPARE(control<QLineEdit>(*m_form, "Qtytxt")->text(), u" 1"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderPNumLbl")->text(), QString());
    control<QLabel>(*m_form, "MessageLbl")->ensurePolished();
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->palette().color(QPalette::WindowText),
             QColor(0, 255, 0));
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), u"Getting Results ..."_s);
}

void TestInquiry::traceModeShowsEachFailedStep()
{
    m_fx->form.reset();
    m_form = &m_fx->start(u"T"_s); // the trace switch
    // Five fields: 5, 8, 9, 10 and 11 are missing. Then an empty record, whose tag step fails at
    // the stage left behind; it shows nothing.
    subsystem<ReplyDispatcher>(*m_form).GetInquiry(u"<P>,XYZ,PF1,OIL,4<"_s);
    QStringList expected(5, u"* Err - GetInquiry: Display Data"_s);
    expected << u"* Err - GetInquiry: Format Pricing"_s;
    QCOMPARE(m_fx->prompter.shown(), expected);
    for (const ShownBox& box : std::as_const(m_fx->prompter.boxes)) {
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.title, QString());
    }
    const QString row =
        u"*      XYZ PF1          OIL                                             4"_s;
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rows(), QStringList{row});

    m_fx->prompter.clear();
    subsystem<ReplyDispatcher>(*m_form).GetInquiry(u"<E>"_s);
    QCOMPARE(m_fx->prompter.shown(), (QStringList{u"* Err - GetInquiry: Initial"_s, QString()}));
}

void TestInquiry::versionRecord_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("newer");
    QTest::newRow("23.08.01") << u"23.08.01"_s << true;
    QTest::newRow("24.01.02") << u"24.01.02"_s << true;
    QTest::newRow("23.07.13 is the same") << u"23.07.13"_s << false;
    QTest::newRow("23.06.30 is older") << u"23.06.30"_s << false;
    QTest::newRow("a leading blank sorts first") << u" 23.08.01"_s << false;
}

void TestInquiry::versionRecord()
{
    QFETCH(QString, version);
    QFETCH(bool, newer);
    subsystem<ReplyDispatcher>(*m_form).GetInquiry(u"<NS>,A,B,C,1,1,,,1,0,0<V>,"_s + version);
    QCOMPARE(subsystem<ReplyDispatcher>(*m_form).newVersionFlag(), newer);
    QCOMPARE(control<QLabel>(*m_form, "NewVerLbl")->text(),
             newer ? u"NEW UPDATE AVAILABLE!"_s : QString());
}

void TestInquiry::replyArrivingDuringAnotherIsHandledAfterIt()
{
    const QByteArray first = "<P>,XYZ,PF1,FIRST,1,1,,,1,0,0";
    const QByteArray second = "<P>,XYZ,PF2,SECOND,2,2,,,2,0,0";
    LoopbackServer server;
    server.reply = [&](const QByteArray&) { return first + second; };
    server.pieces = {int(first.size())};
    pointAt(server);

    // The second piece is made to arrive while the first is being handled: the reply handler
    // resets the quantity and then processes events, which runs this wait for the piece.
    bool waited = false;
    QString answerDuringWait;
    control<QLineEdit>(*m_form, "Qtytxt")->setText(u"5"_s);
    connect(control<QLineEdit>(*m_form, "Qtytxt"), &QLineEdit::textChanged, this, [&] {
        if (waited || server.requests.isEmpty())
            return; // not yet the reply handler
        waited = true;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(control<QTcpSocket>(*m_form, "Winsock")->bytesAvailable() > 0);
            answerDuringWait = subsystem<ServerLink>(*m_form).reply();
        });
    });

    QTest::keyClicks(control<QLineEdit>(*m_form, "Parttxt"), u"PF1"_s);
    QTest::keyClick(control<QLineEdit>(*m_form, "Parttxt"), Qt::Key_Return);
    QTRY_VERIFY(control<ListControl>(*m_form, "AnswerList")->rowCount() > 0);
    QVERIFY(waited);
    // The text being handled does not change under the handler, and it is handled whole.
    QCOMPARE(answerDuringWait, QString::fromLatin1(first));
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowText(0),
             u"*      XYZ PF1          FIRST                 1.00    1.00              1"_s);

    // The socket does not signal bytes that arrive while its own arrival signal is being
    // handled; the arrival handler takes them once the first reply is done, as the next reply.
    QTRY_COMPARE_WITH_TIMEOUT(control<ListControl>(*m_form, "AnswerList")->rowCount(), 2, 1000);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowText(1),
             u"*      XYZ PF2          SECOND                2.00    2.00              2"_s);
}

void TestInquiry::replyInPiecesEndsAsWhole_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("newVersion");
    QTest::addColumn<double>("pause"); // between the pieces, on the fake clock; -1: a reset
    const QByteArray answer = (FourRecords + u"<V>,23.08.01"_s).toLatin1();
    const QByteArray notFound =
        "<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,<NF>,PF1234<V>,99.01.01";
    const QString busy = u"Getting Results ..."_s;
    for (const double pause : {0.0, 0.7}) {
        const QByteArray p = pause > 0 ? ", paused 0.7 s" : "";
        QTest::newRow("answer with a version record" + p)
            << answer << FourRows << QStringList() << QString() << u"NEW UPDATE AVAILABLE!"_s
            << pause;
        QTest::newRow("a row, then not found" + p)
            << notFound << QStringList{PRow} << QStringList{u"PART NUMBER NOT FOUND"_s}
            << u"Part Not Found!"_s << QString() << pause;
        QTest::newRow("confirmation" + p)
            << QByteArray("<O>,4711") << QStringList()
            << QStringList{u"Order Sent. Note your Order Number > 4711 <"_s} << busy << QString()
            << pause;
        QTest::newRow("server error" + p)
            << QByteArray("<E>,Account not on file") << QStringList()
            << QStringList{u"Error : Account not on file"_s} << busy << QString() << pause;
        QTest::newRow("login answer" + p)
            << QByteArray("<V>,OK") << QStringList() << QStringList() << busy << QString() << pause;
    }
    // The first piece, then a reset: as if whole without the field the reset cut.
    for (const auto& [name, reset] : {std::pair{"answer, reset", answer},
                                      {"confirmation, reset", QByteArray("<O>,4711")},
                                      {"server error, reset", QByteArray("<E>,Error")}})
        QTest::newRow(name) << reset << (reset == answer ? FourRows : QStringList())
                            << QStringList() << QString() << QString() << -1.0;
}

void TestInquiry::replyInPiecesEndsAsWhole()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    QFETCH(QString, newVersion);
    QFETCH(double, pause);
    const bool reset = pause < 0;
    LoopbackServer server; // the test writes the reply itself and keeps the connection open
    server.answerAfterMs = 2;
    pointAt(server);
    m_fx->clock.autoAdvance = false;
    auto* answers = control<ListControl>(*m_form, "AnswerList");
    auto* notice = control<QLabel>(*m_form, "NewVerLbl");
    auto* passed = control<QFrame>(*m_form, "PassedPic");
    const auto outcome = [&] {
        return QStringList{answers->rows().join(u'|'), m_fx->prompter.shown().join(u'|'),
                           control<QLabel>(*m_form, "MessageLbl")->text(), notice->text()};
    };
    const QStringList whole{rows.join(u'|'), boxes.join(u'|'), message, newVersion};
    // Cut 0 sends the reply whole; every other cut sends it in two pieces, cut there. With a
    // reset, the first piece is all that comes.
    for (int cut = reset ? 1 : 0; cut <= reply.size() - (reset ? 0 : 1); ++cut) {
        const QByteArray where = "cut at " + QByteArray::number(cut);
        m_fx->prompter.clear();
        notice->clear();
        passed->hide();
        QTcpSocket* client = ask(server);
        QVERIFY2(client, where.constData());
        const QByteArray first = reply.left(cut == 0 ? reply.size() : cut);
        send(client, first);
        m_fx->clock.advance(qMax(pause, 0.0));
        // Nothing shown yet that the whole reply would not show.
        QVERIFY2(rows.mid(0, answers->rowCount()) == answers->rows(), where.constData());
        if (reply.startsWith("<O>") || reply.startsWith("<E>"))
            QVERIFY2(m_fx->prompter.boxes.isEmpty(), where.constData()); // it could still grow
        // What no later byte can change is acted on at once.
        if (reply.startsWith("<V>"))
            QVERIFY2(!passed->isHidden() == (first.size() >= 3), where.constData());
        const qsizetype notFound = first.indexOf("<NF>");
        if (notFound >= 0 && first.size() >= notFound + 4)
            QVERIFY2(m_fx->prompter.shown() == boxes, where.constData());
        if (reset) {
            LoopbackServer::reset(client);
            QVERIFY2(settle([&] { return subsystem<ServerLink>(*m_form).currentRequest() == 0; }),
                     where.constData());
            // As if the reply had been whole without the field the reset cut.
            const QStringList streamed = outcome();
            answers->clear();
            m_fx->prompter.clear();
            notice->clear();
            subsystem<ReplyDispatcher>(*m_form).GetInquiry(
                answer::withoutCutField(QString::fromLatin1(first)));
            QVERIFY2(outcome() == streamed, where.constData());
            continue;
        }
        if (cut > 0)
            send(client, reply.mid(cut));
        m_fx->clock.advance(2.0); // past the close deadline: the reply has ended
        QVERIFY2(outcome() == whole, where.constData());
    }
}

QTcpSocket* TestInquiry::ask(LoopbackServer& server)
{
    const qsizetype before = server.requests.size();
    control<QLineEdit>(*m_form, "Parttxt")->setText(u"PF1234"_s);
    m_form->InquiryCmd_Click();
    if (!settle([&] { return server.requests.size() > before; }))
        return nullptr;
    return server.clients().last();
}

void TestInquiry::send(QTcpSocket* client, const QByteArray& piece)
{
    const QString sofar = subsystem<ServerLink>(*m_form).reply() + QString::fromLatin1(piece);
    client->write(piece);
    client->flush();
    QVERIFY(settle([&] { return subsystem<ServerLink>(*m_form).reply() == sofar; }));
}

void TestInquiry::replyCutTwiceWithPauses_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    const qsizetype size = FourRecords.size();
    QRandomGenerator random(20261209);
    for (int i = 0; i < 24; ++i) {
        const int a = int(random.bounded(1, int(size)));
        const int b = int(random.bounded(1, int(size)));
        if (a != b)
            QTest::addRow("cut at %d and %d", qMin(a, b), qMax(a, b)) << qMin(a, b) << qMax(a, b);
    }
}

void TestInquiry::replyCutTwiceWithPauses()
{
    // Every moment shows a beginning of the whole answer's rows: never a row with the values of
    // another record, never one taken back.
    QFETCH(int, first);
    QFETCH(int, second);
    LoopbackServer server;
    server.answerAfterMs = 2;
    pointAt(server);
    m_fx->clock.autoAdvance = false;
    auto* answers = control<ListControl>(*m_form, "AnswerList");
    QTcpSocket* client = ask(server);
    QVERIFY(client);
    const QByteArray reply = FourRecords.toLatin1();
    for (const auto& [from, to] : {std::pair{0, first}, {first, second}, {second, -1}}) {
        send(client, reply.mid(from, to < 0 ? -1 : to - from));
        QVERIFY(FourRows.mid(0, answers->rowCount()) == answers->rows());
        m_fx->clock.advance(0.7);
        QVERIFY(FourRows.mid(0, answers->rowCount()) == answers->rows());
    }
    m_fx->clock.advance(1.0);
    QCOMPARE(answers->rows(), FourRows);
    QCOMPARE(subsystem<ServerLink>(*m_form).currentRequest(), quint64(0)); // ended: closed
}

void TestInquiry::laterPiecesLeaveTheUserAlone_data()
{
    QTest::addColumn<bool>("typesNext"); // false: selects row 2 of the list
    QTest::newRow("row 2 selected stays selected and focused") << false;
    QTest::newRow("the next part typed and Enter asks for it") << true;
}

void TestInquiry::laterPiecesLeaveTheUserAlone()
{
    QFETCH(bool, typesNext);
    LoopbackServer server;
    server.answerAfterMs = 2;
    pointAt(server);
    auto* answers = control<ListControl>(*m_form, "AnswerList");
    auto* part = control<QLineEdit>(*m_form, "Parttxt");
    QTcpSocket* client = ask(server);
    QVERIFY(client);
    const QByteArray reply = (FourRecords + u"<V>,23.08.01"_s).toLatin1();
    const qsizetype cut = reply.indexOf("<P>,XYZ,PF99");
    send(client, reply.left(cut));
    QCOMPARE(answers->rowCount(), 3); // the third record's note is not whole yet
    QCOMPARE(answers->selectedIndex(), 0);
    QVERIFY(answers->hasFocus());
    if (typesNext) {
        part->setFocus();
        part->clear();
        QTest::keyClicks(part, u"pf99"_s);
    } else {
        answers->setSelectedIndex(2);
    }
    send(client, reply.mid(cut));
    m_fx->clock.advance(2.0); // the reply ends
    QCOMPARE(answers->rows(), FourRows);
    if (!typesNext) {
        QCOMPARE(answers->selectedIndex(), 2);
        QVERIFY(answers->hasFocus());
        QCOMPARE(twips::left(answers), 290); // in view
        return;
    }
    QVERIFY(part->hasFocus());
    QCOMPARE(part->text(), u"pf99"_s);
    QVERIFY(twips::left(answers) <= 0); // out of view, as typing put it
    QTest::keyClick(part, Qt::Key_Return);
    QTRY_COMPARE(server.requests.size(), 2);
    QCOMPARE(server.requests.last().bytes, QByteArray("<I>,1234,JSMITH,PF99"));
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 0);
}

void TestInquiry::selection_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("caption");
    QTest::newRow("P> row") << FourRows.at(0) << u"XYZ PF1234"_s;
    QTest::newRow("CanUse row keeps its last letter") << FourRows.at(2) << u"e QRS B7721"_s;
    QTest::newRow("availability note leaves the caption") << FourRows.at(3) << u"before"_s;
    QTest::newRow("NS> row leaves the caption")
        << u"       XYZ PF7          HOSE                  8.95    5.37              4"_s
        << u"before"_s;
    QTest::newRow("long part number cut to ten")
        << u"*      XYZ ABCDEFGHIJKLMOIL FILTER            8.95    5.37             12"_s
        << u"XYZ ABCDEFGHIJ"_s;
    QTest::newRow("short row") << u"*      X"_s << u"X"_s;
}

void TestInquiry::selection()
{
    QFETCH(QString, row);
    QFETCH(QString, caption);
    control<ListControl>(*m_form, "AnswerList")->addRow(u"*      OTH FIRST"_s);
    control<ListControl>(*m_form, "AnswerList")->addRow(row);
    control<QLabel>(*m_form, "OrderPNumLbl")->setText(u"before"_s);
    control<ListControl>(*m_form, "AnswerList")->setSelectedIndex(1); // a click selects the row
    QCOMPARE(control<QLabel>(*m_form, "OrderPNumLbl")->text(), caption);
}

QTEST_MAIN(TestInquiry)
#include "tst_inquiry.moc"
