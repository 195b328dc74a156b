// The part inquiry in the window: the request on the wire, what the window shows of each kind of
// reply from the server, the answer rows as they come, and the selection of a row.
#include "gui/listcontrol.h"
#include "gui/twips.h"
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
// How a reply ends: quiet past the close deadline, closed by the server, or reset.
enum End { Quiet, Close, Reset };

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
    void replyShown_data();
    void replyShown();
    void replyArrivingDuringAnotherIsHandledAfterIt();
    void laterPiecesLeaveTheUserAlone_data();
    void laterPiecesLeaveTheUserAlone();
    void selection_data();
    void selection();

private:
    // Asks for PF1234 by a click on INQUIRY and waits until the server has the request; its
    // connection, kept open.
    QTcpSocket* ask(LoopbackServer& server);
    // Writes a piece of the reply and waits until the window has taken it in.
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
    m_fx->pointAt(server.basePort());

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
    m_fx->pointAt(server.basePort());
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
    // Enter in the empty field is the field's own key: it neither asks nor slides the list in.
    auto* part = control<QLineEdit>(*m_form, "Parttxt");
    moveFocus(part);
    QTest::keyClick(part, Qt::Key_Return);
    QVERIFY(twips::left(control<ListControl>(*m_form, "AnswerList")) <= 0);
    QVERIFY(part->hasFocus());
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), QString());
}

void TestInquiry::replyShown_data()
{
    QTest::addColumn<bool>("trace"); // started with the trace switch
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("end"); // how the reply ends: End
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("newVersion");
    const QByteArray answer = (FourRecords + u"<V>,23.08.01"_s).toLatin1();
    const QString busy = u"Getting Results ..."_s;
    QTest::newRow("answer with a version record")
        << false << answer << int(Quiet) << FourRows << QStringList() << QString() << true;
    QTest::newRow("a row, then not found")
        << false << QByteArray("<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,<NF>,PF1234")
        << int(Quiet) << FourRows.mid(0, 1) << QStringList{u"PART NUMBER NOT FOUND"_s}
        << u"Part Not Found!"_s << false;
    // A reset may cut a field short: the reply is taken as if whole without that field.
    QTest::newRow("reset in the third record's note")
        << false << answer.left(answer.indexOf("MAIN DC")) << int(Reset) << FourRows.mid(0, 3)
        << QStringList() << QString() << false;
    QTest::newRow("server error without a message, closed: an empty box")
        << false << QByteArray("<E>") << int(Close) << QStringList() << QStringList{QString()}
        << busy << false;
    QTest::newRow("trace mode also shows the step that failed")
        << true << QByteArray("<E>") << int(Quiet) << QStringList()
        << QStringList{u"* Err - GetInquiry: Initial"_s, QString()} << busy << false;
}

void TestInquiry::replyShown()
{
    QFETCH(bool, trace);
    QFETCH(QByteArray, reply);
    QFETCH(int, end);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    QFETCH(bool, newVersion);
    if (trace) {
        m_fx->form.reset();
        m_form = &m_fx->start(u"T"_s);
    }
    LoopbackServer server; // the test writes the reply itself
    server.answerAfterMs = 2;
    m_fx->pointAt(server.basePort());
    m_fx->clock.autoAdvance = false;
    control<QLineEdit>(*m_form, "Qtytxt")->setText(u"5"_s);
    control<QLabel>(*m_form, "OrderPNumLbl")->setText(u"XYZ PF1"_s);
    QTcpSocket* client = ask(server);
    QVERIFY(client);
    send(client, reply);
    if (end == Reset)
        LoopbackServer::reset(client);
    else if (end == Close)
        client->disconnectFromHost();
    else
        m_fx->clock.advance(2.0); // past the close deadline
    auto* socket = control<QTcpSocket>(*m_form, "Winsock");
    QVERIFY(QTest::qWaitFor([&] { return socket->state() == QAbstractSocket::UnconnectedState; }));

    auto* answers = control<ListControl>(*m_form, "AnswerList");
    QCOMPARE(answers->rows(), rows);
    QCOMPARE(m_fx->prompter.shown(), boxes);
    for (const ShownBox& box : std::as_const(m_fx->prompter.boxes)) {
        const bool step = box.text.startsWith(u"* Err - "_s); // trace mode's plain box
        QCOMPARE(box.icon, step ? QMessageBox::NoIcon : QMessageBox::Warning);
        QCOMPARE(box.title, step ? QString() : u"Vornik"_s);
    }
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), message);
    QCOMPARE(control<QLabel>(*m_form, "NewVerLbl")->text(),
             newVersion ? u"NEW UPDATE AVAILABLE!"_s : QString());
    const QList<QColor> colours{QColor(0, 0, 128), QColor(192, 0, 0), QColor(0, 64, 64),
                                QColor(0, 0, 0), QColor(0, 0, 128)}; // of FourRows
    for (int i = 0; i < answers->rowCount(); ++i)
        QCOMPARE(answers->rowColour(i), colours.at(i));
    const int selected = rows.isEmpty() || !message.isEmpty() ? -1 : 0;
    QCOMPARE(answers->selectedIndex(), selected);
    QCOMPARE(answers->hasFocus(), selected == 0);
    QVERIFY(control<QPushButton>(*m_form, "InquiryCmd")->isEnabled());
    // Every reply resets the order-entry panel and turns the status line green.
    QCOMPARE(control<QLineEdit>(*m_form, "Qtytxt")->text(), u" 1"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderPNumLbl")->text(),
             selected == 0 ? u"XYZ PF1234"_s : QString());
    control<QLabel>(*m_form, "MessageLbl")->ensurePolished();
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->palette().color(QPalette::WindowText),
             QColor(0, 255, 0));
}

void TestInquiry::replyArrivingDuringAnotherIsHandledAfterIt()
{
    const QByteArray first = "<P>,XYZ,PF1,FIRST,1,1,,,1,0,0";
    const QByteArray second = "<P>,XYZ,PF2,SECOND,2,2,,,2,0,0";
    LoopbackServer server;
    server.reply = [&](const QByteArray&) { return first + second; };
    server.pieces = {int(first.size())};
    m_fx->pointAt(server.basePort());

    // The second piece is made to arrive while the first is being handled: the reply handler
    // resets the quantity and then processes events, which runs this wait for the piece.
    bool waited = false;
    int rowsDuringWait = -1;
    control<QLineEdit>(*m_form, "Qtytxt")->setText(u"5"_s);
    connect(control<QLineEdit>(*m_form, "Qtytxt"), &QLineEdit::textChanged, this, [&] {
        if (waited || server.requests.isEmpty())
            return; // not yet the reply handler
        waited = true;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(control<QTcpSocket>(*m_form, "Winsock")->bytesAvailable() > 0);
            rowsDuringWait = control<ListControl>(*m_form, "AnswerList")->rowCount();
        });
    });

    QTest::keyClicks(control<QLineEdit>(*m_form, "Parttxt"), u"PF1"_s);
    QTest::keyClick(control<QLineEdit>(*m_form, "Parttxt"), Qt::Key_Return);
    QTRY_VERIFY(control<ListControl>(*m_form, "AnswerList")->rowCount() > 0);
    QVERIFY(waited);
    // Nothing more is handed on under the handler; the text it was handed is handled whole.
    QCOMPARE(rowsDuringWait, 0);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowText(0),
             u"*      XYZ PF1          FIRST                 1.00    1.00              1"_s);

    // The socket does not signal bytes that arrive while its own arrival signal is being
    // handled; the arrival handler takes them once the first reply is done, as the next reply.
    QTRY_COMPARE_WITH_TIMEOUT(control<ListControl>(*m_form, "AnswerList")->rowCount(), 2, 1000);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowText(1),
             u"*      XYZ PF2          SECOND                2.00    2.00              2"_s);
}

QTcpSocket* TestInquiry::ask(LoopbackServer& server)
{
    const qsizetype before = server.requests.size();
    control<QLineEdit>(*m_form, "Parttxt")->setText(u"PF1234"_s);
    QTest::mouseClick(control<QPushButton>(*m_form, "InquiryCmd"), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return server.requests.size() > before; }))
        return nullptr;
    return server.clients().last();
}

void TestInquiry::send(QTcpSocket* client, const QByteArray& piece)
{
    // Connected after the window's own handler of the socket: it runs once the piece is handled.
    bool arrived = false;
    const auto connection = connect(control<QTcpSocket>(*m_form, "Winsock"), &QTcpSocket::readyRead,
                                    this, [&arrived] { arrived = true; });
    client->write(piece);
    client->flush();
    const bool handled = QTest::qWaitFor([&] { return arrived; });
    disconnect(connection);
    QVERIFY(handled);
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
    m_fx->pointAt(server.basePort());
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
