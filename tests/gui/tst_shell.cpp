// The shell's window behaviour: the periodic tick, the trace log, the shut-down notice and the
// help texts of the OPTIONS tab.
#include "core/loginsettings.h"
#include "core/shellrules.h"
#include "gui/listcontrol.h"
#include "gui/twips.h"
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTextEdit>
#include <QTime>

using namespace Qt::StringLiterals;

namespace {

// A connection update waiting at start-up: its notice is shown by the first tick.
const QByteArray LoginUpdate = "\"10.0.0.9\",\"3400\"\r\n";

const QString Question = u"Do you want to KEEP these items?"_s;
const QByteArray SavedLine =
    "   2 ACM PH3600       OIL FILTER            4.95      0.00      9.90\r\n";

// The window, not shown, over valid settings, a saved order and a connection update: the first
// tick asks about the order (answered Yes), then shows the update's notice, which is returned.
QString startWithOrderAndUpdate(FormFixture& fx)
{
    fx.writeSettings(3300);
    fx.write(u"MyOrder.dat"_s, SavedLine);
    fx.write(u"LOGIN_UPDATE.INF"_s, LoginUpdate);
    fx.prompter.answers << QMessageBox::Yes;
    const QString login = QString::fromLatin1(fx.read(u"Login.Inf"_s));
    fx.start({}, false);
    return loginsettings::updatedNotice(
        loginsettings::applyLoginUpdate(login, QString::fromLatin1(LoginUpdate)).changes);
}

// Clicks the tab of SSTab1 at index, as the user selects a tab.
void clickTab(MainForm& f, int index)
{
    QTabBar* bar = control<QTabWidget>(f, "SSTab1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), index);
}

} // namespace

class TestShell : public FormTest
{
    Q_OBJECT

private slots:
    void firstTickMovesToNineSeconds_data();
    void firstTickMovesToNineSeconds();
    void idleConnectionClosedAfterDeadline_data();
    void idleConnectionClosedAfterDeadline();
    void loginTestFailsAfterDeadline_data();
    void loginTestFailsAfterDeadline();
    void noticeOnFirstTickOnlyAfterTheOtherSteps_data();
    void noticeOnFirstTickOnlyAfterTheOtherSteps();

    void traceLog_data();
    void traceLog();

    void shutDownNotice_data();
    void shutDownNotice();

    void focusShowsHelp_data();
    void focusShowsHelp();
    void lostFocusCleaning_data();
    void lostFocusCleaning();
    void focusHandlersIgnoreInterruptions_data();
    void focusHandlersIgnoreInterruptions();
};

// ---- the tick -------------------------------------------------------------------------------

void TestShell::firstTickMovesToNineSeconds_data()
{
    QTest::addColumn<bool>("setupReadBefore");
    QTest::newRow("settings read by the first tick") << false;
    // SAVE or the login test read the settings within the first second: the status line must
    // still get its nine seconds.
    QTest::newRow("settings read before it") << true;
}

void TestShell::firstTickMovesToNineSeconds()
{
    QFETCH(bool, setupReadBefore);
    m_fx->writeSettings(3300);
    MainForm& f = m_fx->startOnOptionsTab();
    auto* timer = control<QTimer>(f, "MiscTimer");
    auto* loginName = control<QLineEdit>(f, "LoginNameTxt");
    QCOMPARE(timer->interval(), 1000);
    QCOMPARE(loginName->text(), u" "_s); // the settings are not read yet
    // SAVE reloads the settings once it has written them.
    if (setupReadBefore)
        QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    m_fx->tick();
    QCOMPARE(loginName->text(), u"JSMITH"_s);
    QCOMPARE(timer->interval(), 9000);
    // Every tick clears the status line and enables Check Stock.
    for (int tick = 0; tick < 2; ++tick) {
        control<QLabel>(f, "MessageLbl")->setText(u"Invalid Part Number"_s);
        control<QPushButton>(f, "InquiryCmd")->setEnabled(false);
        m_fx->tick();
        QCOMPARE(control<QLabel>(f, "MessageLbl")->text(), QString());
        QVERIFY(control<QPushButton>(f, "InquiryCmd")->isEnabled());
        QCOMPARE(timer->interval(), 9000);
    }
}

void TestShell::idleConnectionClosedAfterDeadline_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("deadline");
    QTest::addColumn<double>("tickAt");
    QTest::addColumn<bool>("closed");
    // The deadline comes from the reply's arrival at "start": round(start + 1.3).
    QTest::newRow("deadline passed") << 36000.7 << 36002 << 36002.1 << true;
    QTest::newRow("exactly at the deadline: still open") << 36000.7 << 36002 << 36002.0 << false;
    QTest::newRow("before the deadline") << 36000.7 << 36002 << 36001.0 << false;
    QTest::newRow("no reply, no deadline") << 36000.0 << 0 << 40000.0 << false;
    QTest::newRow("deadline after midnight passes") << 86399.7 << 86401 << 86401.5 << true;
}

void TestShell::idleConnectionClosedAfterDeadline()
{
    QFETCH(double, start);
    QFETCH(int, deadline);
    QFETCH(double, tickAt);
    QFETCH(bool, closed);
    LoopbackServer server;
    QVERIFY(server.isListening());
    if (deadline > 0)
        server.reply = [](const QByteArray&) { return QByteArray("<X>,A"); };
    MainForm& f = m_fx->start();
    m_fx->pointAt(server.basePort());
    m_fx->clock.autoAdvance = false; // only the tick closes the connection here
    m_fx->clock.now = start;
    auto* socket = control<QTcpSocket>(f, "Winsock");
    auto* lamp = control<QLabel>(f, "LedLight", 0);
    control<QLineEdit>(f, "Parttxt")->setText(u"PH3600"_s);
    QTest::mouseClick(control<QPushButton>(f, "InquiryCmd"), Qt::LeftButton);
    QTRY_COMPARE(server.received(), QByteArray("<I>,1234,JSMITH,PH3600"));
    if (deadline > 0)
        QTRY_COMPARE(control<QLabel>(f, "MessageLbl")->text(), u"Getting Results ..."_s);
    QCOMPARE(socket->state(), QAbstractSocket::ConnectedState);
    QVERIFY(lamp->isVisibleTo(&f));

    m_fx->clock.now = tickAt;
    m_fx->tick();
    QCOMPARE(socket->state() == QAbstractSocket::UnconnectedState, closed);
    QCOMPARE(lamp->isVisibleTo(&f), !closed);
    // A connection left open still closes at the first tick past its deadline.
    m_fx->clock.now = deadline + 0.5;
    m_fx->tick();
    QCOMPARE(socket->state() == QAbstractSocket::UnconnectedState, deadline > 0);
}

void TestShell::loginTestFailsAfterDeadline_data()
{
    QTest::addColumn<int>("deadline");
    QTest::addColumn<double>("tickAt");
    QTest::addColumn<bool>("failed");
    QTest::newRow("deadline passed") << 36005 << 36005.5 << true;
    QTest::newRow("not yet") << 36005 << 36004.0 << false;
    QTest::newRow("no test pending") << 0 << 36005.5 << false;
}

void TestShell::loginTestFailsAfterDeadline()
{
    // Showing the failure is the login test's own; the tick only decides when.
    QFETCH(int, deadline);
    QFETCH(double, tickAt);
    QFETCH(bool, failed);
    LoopbackServer server; // takes the test's request and never answers
    MainForm& f = m_fx->startOnOptionsTab();
    m_fx->pointAt(server.basePort());
    auto* error = control<QFrame>(f, "ErrorPic");
    if (deadline > 0) {
        // The test starts once the SAVE it does first has flashed its notice twice (0.4 s each).
        m_fx->clock.now = deadline - 5 - 0.8;
        QTest::mouseClick(control<QPushButton>(f, "Testcmd"), Qt::LeftButton);
        QTRY_VERIFY(!server.received().isEmpty());
    }
    m_fx->clock.now = tickAt;
    m_fx->tick();
    QCOMPARE(!error->isHidden(), failed);
    // A failed test is over; one still running fails at the first tick past its deadline.
    error->hide();
    m_fx->clock.now = tickAt + 5;
    m_fx->tick();
    QCOMPARE(!error->isHidden(), deadline > 0 && !failed);
}

void TestShell::noticeOnFirstTickOnlyAfterTheOtherSteps_data()
{
    QTest::addColumn<bool>("tickWhileBoxOpen");
    QTest::newRow("no other tick") << false;
    // A tick while a box of the first one is open (one level deep) still does the housekeeping,
    // but neither asks again nor notifies again.
    QTest::newRow("a tick while each box is open") << true;
}

void TestShell::noticeOnFirstTickOnlyAfterTheOtherSteps()
{
    QFETCH(bool, tickWhileBoxOpen);
    ScriptedPrompter& prompter = m_fx->prompter;
    const QString notice = startWithOrderAndUpdate(*m_fx);
    MainForm& f = *m_fx->form;
    auto* status = control<QLabel>(f, "MessageLbl");
    auto* inquiry = control<QPushButton>(f, "InquiryCmd");
    status->setText(u"Checking ..."_s);
    bool stepsDoneBeforeNotice = false;
    bool housekeepingDone = true;
    int nested = 0;
    prompter.whileOpen = [&] {
        if (prompter.boxes.last().text == notice)
            stepsDoneBeforeNotice = control<QLineEdit>(f, "LoginNameTxt")->text() == u"JSMITH"_s
                && control<ListControl>(f, "OrderList")->rowCount() == 1 && status->text().isEmpty()
                && inquiry->isEnabled();
        if (!tickWhileBoxOpen || prompter.deepest > 1)
            return;
        ++nested;
        status->setText(u"Sending ..."_s);
        inquiry->setEnabled(false);
        m_fx->tick();
        housekeepingDone = housekeepingDone && status->text().isEmpty() && inquiry->isEnabled();
    };
    m_fx->tick();
    QCOMPARE(prompter.shown(), (QStringList{Question, notice}));
    QVERIFY(stepsDoneBeforeNotice);
    QCOMPARE(nested, tickWhileBoxOpen ? 2 : 0);
    QVERIFY(housekeepingDone);
    // The kept line was not loaded twice; that the tick after the outer one is a normal tick
    // again is the ticker's own test.
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(), 1);
    prompter.whileOpen = nullptr;
    m_fx->tick(); // neither is left to do
    QCOMPARE(prompter.shown().size(), 2);
}

// ---- trace log ------------------------------------------------------------------------------

void TestShell::traceLog_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("trace");
    QTest::newRow("lower-case t between blanks") << u" t "_s << true;
    QTest::newRow("T") << u"T"_s << true;
    QTest::newRow("T followed by more") << u"T x"_s << false;
    QTest::newRow("dash T") << u"-T"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestShell::traceLog()
{
    // With the trace switch on, every request is recorded in DataSend.log as it goes out.
    QFETCH(QString, commandLine);
    QFETCH(bool, trace);
    LoopbackServer server;
    QVERIFY(server.isListening());
    MainForm& f = m_fx->start(commandLine);
    m_fx->pointAt(server.basePort());

    QStringList stamps; // every date/time text the record may carry
    const QLocale locale = QLocale::system();
    const auto stamp = [&] {
        stamps << locale.toString(QDate::currentDate(), QLocale::ShortFormat) + u" ^ "_s
                + locale.toString(
                    QTime::currentTime(),
                    shellrules::traceTimeFormat(locale.timeFormat(QLocale::LongFormat)));
    };
    stamp();
    control<QLineEdit>(f, "Parttxt")->setText(u"PH3600"_s);
    QTest::mouseClick(control<QPushButton>(f, "InquiryCmd"), Qt::LeftButton);
    QTRY_COMPARE(server.received(), QByteArray("<I>,1234,JSMITH,PH3600"));
    stamp();
    QCOMPARE(m_fx->exists(u"DataSend.log"_s), trace);
    if (!trace)
        return;

    const QByteArray log = m_fx->read(u"DataSend.log"_s);
    const QStringList lines = QString::fromLatin1(log).split(u"\r\n"_s);
    QCOMPARE(lines.size(), 3 + 1);
    QCOMPARE(lines.last(), QString());
    QCOMPARE(lines[0], u"----------------"_s);
    QVERIFY2(stamps.contains(lines[1]), qPrintable(lines[1]));
    // The long time format of the record carries no zone name.
    const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
    QVERIFY2(zone.isEmpty() || !lines[1].contains(zone), qPrintable(lines[1]));
    QCOMPARE(lines[2], u"\"<I>,1234,JSMITH,PH3600\""_s);
    // Byte check of the record against the record rule with the stamp it carries.
    const QStringList parts = lines[1].split(u" ^ "_s);
    QCOMPARE(parts.size(), 2);
    QCOMPARE(log, shellrules::traceRecord(parts[0], parts[1], u"<I>,1234,JSMITH,PH3600"_s));
    QVERIFY(m_fx->prompter.boxes.isEmpty());
}

// ---- shut-down ------------------------------------------------------------------------------

void TestShell::shutDownNotice_data()
{
    QTest::addColumn<QString>("newVersion"); // how it became known; empty: it did not
    QTest::newRow("newer version reported") << u"reported"_s;
    QTest::newRow("none reported") << QString();
    // Force Update always notifies, and closes the window from the first tab.
    QTest::newRow("Force Update") << u"forced"_s;
}

void TestShell::shutDownNotice()
{
    QFETCH(QString, newVersion);
    LoopbackServer server;
    server.reply = [](const QByteArray&) {
        return QByteArray("<NS>,A,B,C,1,1,,,1,0,0<V>,23.08.01");
    };
    MainForm& f = m_fx->start();
    m_fx->pointAt(server.basePort());
    if (newVersion == u"reported"_s) {
        control<QLineEdit>(f, "Parttxt")->setText(u"PH3600"_s);
        QTest::mouseClick(control<QPushButton>(f, "InquiryCmd"), Qt::LeftButton);
        QTRY_COMPARE(control<QLabel>(f, "NewVerLbl")->text(), u"NEW UPDATE AVAILABLE!"_s);
    }
    m_fx->prompter.clear();
    if (newVersion == u"forced"_s) {
        control<QTabWidget>(f, "SSTab1")->setCurrentIndex(1);
        QTest::mouseClick(control<QPushButton>(f, "ForceUpdateCmd"), Qt::LeftButton);
        QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 0);
    } else {
        QVERIFY(f.close());
    }
    QVERIFY(!f.isVisible());
    f.close(); // a second close does not repeat the notice
    if (newVersion.isEmpty()) {
        QVERIFY(m_fx->prompter.boxes.isEmpty());
        return;
    }
    QCOMPARE(m_fx->prompter.shown(),
             QStringList{u"A new update version is now available!Please visit our website to "
                         "obtain the latest version."_s});
    QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::Information);
    QCOMPARE(m_fx->prompter.boxes.first().title, u"Vornik"_s);
}

// ---- OPTIONS tab ----------------------------------------------------------------------------

void TestShell::focusShowsHelp_data()
{
    using shellrules::Help;
    QTest::addColumn<QString>("field");
    // How the focus gets there: empty, moved from "Test LOGIN "; "Tab": the Tab key in
    // LoginNameTxt, which holds " abc1 "; "Options": a click on Options with the focus in
    // Parttxt, then a click into the field; "away and back": with the focus in the field, a
    // click on the OPTIONS tab and on the first tab, then a click into the field.
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("loginHelp");   // "-": unchanged
    QTest::addColumn<QString>("optionsHelp"); // "-": unchanged
    QTest::addColumn<bool>("resultHidden");
    QTest::addColumn<bool>("answerListLeaves");
    const QString none;
    const QString same = u"-"_s;
    const QString moved;
    QTest::newRow("AccNameTxt") << u"AccNameTxt"_s << moved << none
                                << shellrules::helpText(Help::BusinessName) << false << false;
    QTest::newRow("AccNumTxt") << u"AccNumTxt"_s << moved
                               << shellrules::helpText(Help::AccountNumber) << none << true
                               << false;
    QTest::newRow("LoginNameTxt") << u"LoginNameTxt"_s << moved
                                  << shellrules::helpText(Help::LoginName) << none << true << false;
    QTest::newRow("txtHostAddress")
        << u"txtHostAddress"_s << moved << shellrules::helpText(Help::HostAddress) << none << true
        << false;
    QTest::newRow("PoOptionCheck(0)") << u"PoOptionCheck(0)"_s << moved << none
                                      << shellrules::helpText(Help::PoOptions) << false << false;
    QTest::newRow("PoOptionCheck(1)") << u"PoOptionCheck(1)"_s << moved << none
                                      << shellrules::helpText(Help::PoOptions) << false << false;
    QTest::newRow("RepNameOptCheck") << u"RepNameOptCheck"_s << moved << none
                                     << shellrules::helpText(Help::RepName) << false << false;
    QTest::newRow("StandingPOtxt") << u"StandingPOtxt"_s << moved << none
                                   << shellrules::helpText(Help::StandingPo) << false << false;
    QTest::newRow("ServerSocketTxt leaves both")
        << u"ServerSocketTxt"_s << moved << same << same << false << false;
    QTest::newRow("AccNumTxt by Tab from LoginNameTxt")
        << u"AccNumTxt"_s << u"Tab"_s << shellrules::helpText(Help::AccountNumber) << none << true
        << false;
    QTest::newRow("LoginNameTxt clicked after the Options button")
        << u"LoginNameTxt"_s << u"Options"_s << shellrules::helpText(Help::LoginName) << none
        << true << false;
    QTest::newRow("Parttxt clicked after a tab change away and back")
        << u"Parttxt"_s << u"away and back"_s << same << same << false << true;
}

void TestShell::focusShowsHelp()
{
    QFETCH(QString, field);
    QFETCH(QString, route);
    QFETCH(QString, loginHelp);
    QFETCH(QString, optionsHelp);
    QFETCH(bool, resultHidden);
    QFETCH(bool, answerListLeaves);
    MainForm& f = m_fx->start();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    auto* widget = f.findChild<QWidget*>(field);
    QVERIFY(widget);
    auto* loginName = control<QLineEdit>(f, "LoginNameTxt");
    auto* loginHelpInfo = control<QTextEdit>(f, "LoginHelpInfo");
    auto* optionsHelpInfo = control<QTextEdit>(f, "OptionsHelpInfo");
    if (route.isEmpty() || route == u"Tab"_s) {
        control<QTabWidget>(f, "SSTab1")->setCurrentIndex(2);
        moveFocus(route.isEmpty() ? control<QWidget>(f, "Testcmd") : loginName);
        loginName->setText(u" abc1 "_s); // cleaned when left
    } else {
        moveFocus(control<QLineEdit>(f, "Parttxt"));
    }
    loginHelpInfo->setPlainText(u"earlier login help"_s);
    optionsHelpInfo->setPlainText(u"earlier options help"_s);
    control<QFrame>(f, "PassedPic")->show();
    control<QFrame>(f, "ErrorPic")->show();
    // Pressed as assistive technology does, the focus left where it is: with the part field
    // empty, Check Stock slides the answer list into view.
    control<QPushButton>(f, "InquiryCmd")->click();

    if (route.isEmpty()) {
        widget->setFocus();
    } else if (route == u"Tab"_s) {
        QTest::keyClick(loginName, Qt::Key_Tab);
    } else {
        if (route == u"Options"_s) {
            QTest::mouseClick(control<QPushButton>(f, "OptionsCmd"), Qt::LeftButton);
            // The tab change carries the focus into the new page, which is no move of the
            // user's and runs no focus handler there.
            QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 2);
            QCOMPARE(loginHelpInfo->toPlainText(), u"earlier login help"_s);
            QCOMPARE(optionsHelpInfo->toPlainText(), u"earlier options help"_s);
            QVERIFY(!control<QFrame>(f, "PassedPic")->isHidden());
        } else {
            clickTab(f, 2);
            clickTab(f, 0);
        }
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    QTRY_VERIFY(widget->hasFocus());
    QCOMPARE(loginHelpInfo->toPlainText(),
             loginHelp == u"-"_s ? u"earlier login help"_s : loginHelp);
    QCOMPARE(optionsHelpInfo->toPlainText(),
             optionsHelp == u"-"_s ? u"earlier options help"_s : optionsHelp);
    QCOMPARE(!control<QFrame>(f, "PassedPic")->isHidden(), !resultHidden);
    QCOMPARE(!control<QFrame>(f, "ErrorPic")->isHidden(), !resultHidden);
    QCOMPARE(twips::left(control<ListControl>(f, "AnswerList")) <= 0, answerListLeaves);
    if (route == u"Tab"_s)
        QCOMPARE(loginName->text(), u"ABC1"_s); // cleaned on the way out
}

void TestShell::lostFocusCleaning_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("tabClicked"); // how the field is left: -1, "Test LOGIN " gets the focus
    QTest::newRow("login name trimmed and upper-cased")
        << u"LoginNameTxt"_s << u"  jsmith x "_s << u"JSMITH X"_s << -1;
    QTest::newRow("login name: no length limit here")
        << u"LoginNameTxt"_s << u"abcdefghijklmnop"_s << u"ABCDEFGHIJKLMNOP"_s << -1;
    QTest::newRow("login name: tab is not a blank")
        << u"LoginNameTxt"_s << u"\tab "_s << u"\tAB"_s << -1;
    QTest::newRow("account trimmed, case kept") << u"AccNumTxt"_s << u" 12a "_s << u"12a"_s << -1;
    QTest::newRow("business name untouched")
        << u"AccNameTxt"_s << u" a,b\" "_s << u" a,b\" "_s << -1;
    QTest::newRow("standing PO untouched")
        << u"StandingPOtxt"_s << u" po 1 "_s << u" po 1 "_s << -1;
    QTest::newRow("login name cleaned when the first tab is clicked")
        << u"LoginNameTxt"_s << u" jsmith "_s << u"JSMITH"_s << 0;
}

void TestShell::lostFocusCleaning()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    QFETCH(int, tabClicked);
    MainForm& f = m_fx->startOnOptionsTab();
    auto* box = f.findChild<QLineEdit*>(field);
    moveFocus(box);
    QTRY_VERIFY(box->hasFocus());
    box->setText(typed);
    if (tabClicked >= 0) {
        clickTab(f, tabClicked);
    } else {
        control<QPushButton>(f, "Testcmd")->setFocus();
        QTRY_VERIFY(control<QPushButton>(f, "Testcmd")->hasFocus());
    }
    QCOMPARE(box->text(), after);
}

void TestShell::focusHandlersIgnoreInterruptions_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("interruption");
    QTest::newRow("another window active and back: login name")
        << u"LoginNameTxt"_s << 2 << u"window"_s;
    QTest::newRow("another window active and back: part number")
        << u"Parttxt"_s << 0 << u"window"_s;
    QTest::newRow("context menu: part number") << u"Parttxt"_s << 0 << u"menu"_s;
    QTest::newRow("context menu: account number") << u"AccNumTxt"_s << 2 << u"menu"_s;
    QTest::newRow("a box of the program: part number") << u"Parttxt"_s << 0 << u"box"_s;
    QTest::newRow("a box of the program: order field") << u"OrderInfoTxt(2)"_s << 0 << u"box"_s;
}

void TestShell::focusHandlersIgnoreInterruptions()
{
    QFETCH(QString, field);
    QFETCH(int, tab);
    QFETCH(QString, interruption);
    MainForm& f = m_fx->start();
    f.findChild<QTabWidget*>(u"SSTab1"_s)->setCurrentIndex(tab);
    auto* box = f.findChild<QLineEdit*>(field);
    moveFocus(box);
    QTRY_VERIFY(box->hasFocus());
    // Texts every lost-focus cleaning would change, and state every got-focus handler resets.
    const QString typed = u" ab,c\" "_s;
    box->setText(typed);
    auto* loginHelp = f.findChild<QTextEdit*>(u"LoginHelpInfo"_s);
    loginHelp->setPlainText(u"earlier login help"_s);
    auto* passed = f.findChild<QWidget*>(u"PassedPic"_s);
    passed->show();

    if (interruption == u"window"_s) {
        QWidget other;
        other.setGeometry(f.geometry().translated(40, 40));
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!box->hasFocus());
        other.close();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
    } else if (interruption == u"menu"_s) {
        QMenu menu;
        menu.addAction(u"Copy"_s);
        menu.popup(box->mapToGlobal(QPoint(5, 5)));
        QTRY_VERIFY(menu.isVisible());
        menu.close();
    } else {
        QMessageBox message(QMessageBox::Information, u"Vornik"_s, u"Checking"_s, QMessageBox::Ok,
                            &f);
        message.show();
        message.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&message));
        QTRY_VERIFY(!box->hasFocus());
        message.close();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
    }
    QTRY_VERIFY(box->hasFocus());
    QCOMPARE(box->text(), typed);
    QCOMPARE(loginHelp->toPlainText(), u"earlier login help"_s);
    QVERIFY(!passed->isHidden());
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
