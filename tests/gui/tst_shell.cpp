// The shell's window behaviour: the periodic tick, the trace log, the shut-down notice and the
// help texts of the OPTIONS tab.
#include "core/files.h"
#include "core/shellrules.h"
#include "gui/listcontrol.h"
#include "gui/twips.h"
#include "logic/link/serverlink.h"
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
// tick asks about the order (answered Yes), then shows the update's notice.
MainForm& startWithOrderAndUpdate(FormFixture& fx)
{
    fx.writeSettings(3300);
    fx.write(u"MyOrder.dat"_s, SavedLine);
    fx.write(u"LOGIN_UPDATE.INF"_s, LoginUpdate);
    fx.prompter.answers << QMessageBox::Yes;
    return fx.start({}, false);
}

// Activates the window and puts the focus into the text box named name; nullptr when the window
// does not become active, there is no such box or it does not take the focus.
QLineEdit* focusBox(MainForm& f, const QString& name)
{
    f.activateWindow();
    if (!QTest::qWaitForWindowActive(&f))
        return nullptr;
    auto* box = f.findChild<QLineEdit*>(name);
    if (!box)
        return nullptr;
    box->setFocus();
    return QTest::qWaitFor([box] { return box->hasFocus(); }) ? box : nullptr;
}

// Clicks the tab of SSTab1 at index, as the user selects a tab.
void clickTab(MainForm& f, int index)
{
    QTabBar* bar = control<QTabWidget>(f, "SSTab1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), index);
}

QStringList logLines(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes).split(u"\r\n"_s);
}

} // namespace

class TestShell : public FormTest
{
    Q_OBJECT

private slots:
    void firstTickMovesToNineSeconds_data();
    void firstTickMovesToNineSeconds();
    void tickClearsStatusAndEnablesInquiry();
    void idleConnectionClosedAfterDeadline_data();
    void idleConnectionClosedAfterDeadline();
    void loginTestFailsAfterDeadline_data();
    void loginTestFailsAfterDeadline();
    void noticeOnFirstTickOnlyAfterTheOtherSteps();
    void nestedTickRepeatsNoQuestionNorNotice();

    void traceSwitch_data();
    void traceSwitch();
    void traceModeWritesRecords();
    void withoutTraceNoLog();
    void traceFailureReported();

    void shutDownNotice_data();
    void shutDownNotice();
    void forceUpdateAlwaysNotifiesAndCloses();

    void focusShowsHelp_data();
    void focusShowsHelp();
    void tabFromLoginNameCleansAndShowsAccountHelp();
    void lostFocusCleaning_data();
    void lostFocusCleaning();
    void optionsButtonSelectsOptionsTab();
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
    MainForm& f = m_fx->start();
    QCOMPARE(control<QTimer>(f, "MiscTimer")->interval(), 1000);
    QVERIFY(!subsystem<Settings>(f).setupChecked());
    if (setupReadBefore)
        f.CheckSetup();
    subsystem<Ticker>(f).MiscTimer_Timer();
    QVERIFY(subsystem<Settings>(f).setupChecked());
    QCOMPARE(control<QTimer>(f, "MiscTimer")->interval(), 9000);
    subsystem<Ticker>(f).MiscTimer_Timer();
    QCOMPARE(control<QTimer>(f, "MiscTimer")->interval(), 9000);
}

void TestShell::tickClearsStatusAndEnablesInquiry()
{
    m_fx->writeSettings(3300);
    MainForm& f = m_fx->start();
    subsystem<Ticker>(f).MiscTimer_Timer();
    for (int tick = 0; tick < 2; ++tick) {
        control<QLabel>(f, "MessageLbl")->setText(u"Invalid Part Number"_s);
        control<QPushButton>(f, "InquiryCmd")->setEnabled(false);
        subsystem<Ticker>(f).MiscTimer_Timer();
        QCOMPARE(control<QLabel>(f, "MessageLbl")->text(), QString());
        QVERIFY(control<QPushButton>(f, "InquiryCmd")->isEnabled());
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
    subsystem<Cart>(f).savedOrderChecked();
    m_fx->clock.now = start;
    auto* link = &subsystem<ServerLink>(f);
    auto* socket = f.findChild<QTcpSocket*>(u"Winsock"_s);
    auto* lamp = f.findChild<QLabel*>(u"LedLight(0)"_s);
    link->setServer(u"127.0.0.1"_s, qint16(server.basePort()));
    QVERIFY(link->SendSockData(ServerLink::Kind::Inquiry, u"<I>,1234,JSMITH,PH3600"_s));
    QTRY_COMPARE(server.received(), QByteArray("<I>,1234,JSMITH,PH3600"));
    if (deadline > 0)
        QTRY_COMPARE(link->reply(), u"<X>,A"_s);
    QCOMPARE(socket->state(), QAbstractSocket::ConnectedState);
    QVERIFY(lamp->isVisibleTo(&f));
    QCOMPARE(link->SocketTimer(), deadline);

    m_fx->clock.now = tickAt;
    subsystem<Ticker>(f).MiscTimer_Timer();
    QCOMPARE(socket->state() == QAbstractSocket::UnconnectedState, closed);
    QCOMPARE(lamp->isVisibleTo(&f), !closed);
    QCOMPARE(link->SocketTimer(), closed ? 0 : deadline);
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
    // Showing the failure is the login test's own ShowLoginStatus; the tick only decides when.
    QFETCH(int, deadline);
    QFETCH(double, tickAt);
    QFETCH(bool, failed);
    m_fx->writeSettings(3300);
    MainForm& f = m_fx->start();
    subsystem<Ticker>(f).MiscTimer_Timer();
    if (deadline > 0)
        subsystem<Settings>(f).startLoginTest(deadline - 5);
    m_fx->clock.now = tickAt;
    subsystem<Ticker>(f).MiscTimer_Timer();
    QCOMPARE(!control<QFrame>(f, "ErrorPic")->isHidden(), failed);
    QCOMPARE(subsystem<Settings>(f).loginTestTimer(), failed ? 0 : deadline);
}

void TestShell::noticeOnFirstTickOnlyAfterTheOtherSteps()
{
    ScriptedPrompter& prompter = m_fx->prompter;
    MainForm& f = startWithOrderAndUpdate(*m_fx);
    const QString notice = subsystem<Settings>(f).updateNotice();
    QVERIFY(subsystem<Settings>(f).hasUpdateNotice());
    control<QLabel>(f, "MessageLbl")->setText(u"Checking ..."_s);
    bool stepsDoneBeforeNotice = false;
    prompter.whileOpen = [&] {
        if (prompter.boxes.last().text == notice)
            stepsDoneBeforeNotice = subsystem<Settings>(f).setupChecked()
                && !subsystem<Cart>(f).savedOrderCheckDue()
                && control<QLabel>(f, "MessageLbl")->text().isEmpty()
                && control<QPushButton>(f, "InquiryCmd")->isEnabled();
    };
    subsystem<Ticker>(f).MiscTimer_Timer();
    QCOMPARE(prompter.shown(), (QStringList{Question, notice}));
    QVERIFY(stepsDoneBeforeNotice);
    QVERIFY(!subsystem<Settings>(f).hasUpdateNotice());
    subsystem<Ticker>(f).MiscTimer_Timer();
    QCOMPARE(prompter.shown().size(), 2);
}

void TestShell::nestedTickRepeatsNoQuestionNorNotice()
{
    ScriptedPrompter& prompter = m_fx->prompter;
    MainForm& f = startWithOrderAndUpdate(*m_fx);
    const QString notice = subsystem<Settings>(f).updateNotice();
    int nested = 0;
    bool housekeepingDone = true;
    bool inside = false;
    prompter.whileOpen = [&] {
        // A tick while this box is open (one level deep): it must still do the housekeeping.
        if (inside)
            return;
        inside = true;
        ++nested;
        control<QLabel>(f, "MessageLbl")->setText(u"Sending ..."_s);
        control<QPushButton>(f, "InquiryCmd")->setEnabled(false);
        subsystem<Ticker>(f).MiscTimer_Timer();
        housekeepingDone = housekeepingDone && control<QLabel>(f, "MessageLbl")->text().isEmpty()
            && control<QPushButton>(f, "InquiryCmd")->isEnabled();
        inside = false;
    };
    subsystem<Ticker>(f).MiscTimer_Timer();
    QCOMPARE(prompter.shown(), (QStringList{Question, notice}));
    QCOMPARE(nested, 2);
    QVERIFY(housekeepingDone);
    QVERIFY(!subsystem<Cart>(f).savedOrderCheckDue());
    QVERIFY(!subsystem<Settings>(f).hasUpdateNotice());
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(),
             1); // the kept line was not loaded twice

    // Once the outer tick has ended, the next one is a normal tick again.
    prompter.whileOpen = nullptr;
    m_fx->write(u"LOGIN_UPDATE.INF"_s, LoginUpdate); // a second update while running
    subsystem<Settings>(f).ApplyLoginUpdate();
    subsystem<Ticker>(f).MiscTimer_Timer();
    QCOMPARE(prompter.shown().size(), 3);
}

// ---- trace log ------------------------------------------------------------------------------

void TestShell::traceSwitch_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("trace");
    QTest::newRow("lower-case t between blanks") << u" t "_s << true;
    QTest::newRow("T") << u"T"_s << true;
    QTest::newRow("T followed by more") << u"T x"_s << false;
    QTest::newRow("dash T") << u"-T"_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TestShell::traceSwitch()
{
    QFETCH(QString, commandLine);
    QFETCH(bool, trace);
    m_fx->start(commandLine);
    QCOMPARE(TraceLog(m_fx->folder.path() + u'/', commandLine).traceMode(), trace);
}

void TestShell::traceModeWritesRecords()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    MainForm& f = m_fx->start(u"T"_s);
    m_fx->pointAt(server.basePort());

    const QStringList requests{u"<I>,1234,JSMITH,PH3600"_s, u"<O>,1234,\"A\"\r\n<P> 2"_s};
    QStringList stamps; // every date/time text the records may carry
    const QLocale locale = QLocale::system();
    const auto stamp = [&] {
        stamps << locale.toString(QDate::currentDate(), QLocale::ShortFormat) + u" ^ "_s
                + locale.toString(
                    QTime::currentTime(),
                    shellrules::traceTimeFormat(locale.timeFormat(QLocale::LongFormat)));
    };
    auto* link = &subsystem<ServerLink>(f);
    link->setServer(u"127.0.0.1"_s, qint16(server.basePort()));
    for (const QString& request : requests) {
        stamp();
        QVERIFY(link->SendSockData(ServerLink::Kind::Inquiry, request));
        QTRY_VERIFY(server.received().endsWith(files::toAnsi(request)));
        stamp();
    }

    const QStringList lines = logLines(m_fx->read(u"DataSend.log"_s));
    // Two records; the second request holds CR LF, so its record has four lines.
    QCOMPARE(lines.size(), 3 + 4 + 1);
    QCOMPARE(lines.last(), QString());
    QCOMPARE(lines[0], u"----------------"_s);
    QVERIFY2(stamps.contains(lines[1]), qPrintable(lines[1]));
    // The long time format of the record carries no zone name.
    const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
    QVERIFY2(zone.isEmpty() || !lines[1].contains(zone), qPrintable(lines[1]));
    QCOMPARE(lines[2], u"\"<I>,1234,JSMITH,PH3600\""_s);
    QCOMPARE(lines[3], u"----------------"_s);
    QVERIFY2(stamps.contains(lines[4]), qPrintable(lines[4]));
    QCOMPARE(lines[5], u"\"<O>,1234,\"A\""_s);
    QCOMPARE(lines[6], u"<P> 2\""_s);
    // Byte check of the first record against the record rule with the stamp it carries.
    const QStringList parts = lines[1].split(u" ^ "_s);
    QCOMPARE(parts.size(), 2);
    QVERIFY(m_fx->read(u"DataSend.log"_s)
                .startsWith(shellrules::traceRecord(parts[0], parts[1], requests[0])));
    QVERIFY(m_fx->prompter.boxes.isEmpty());
}

void TestShell::withoutTraceNoLog()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    MainForm& f = m_fx->start();
    auto* link = &subsystem<ServerLink>(f);
    link->setServer(u"127.0.0.1"_s, qint16(server.basePort()));
    QVERIFY(link->SendSockData(ServerLink::Kind::Inquiry, u"<I>,1234,JSMITH,PH3600"_s));
    QTRY_COMPARE(server.received(), QByteArray("<I>,1234,JSMITH,PH3600"));
    QVERIFY(!m_fx->exists(u"DataSend.log"_s));
}

void TestShell::traceFailureReported()
{
    const TraceLog lost(m_fx->folder.filePath(u"no such folder/"_s), u"T"_s);
    QVERIFY(!lost.TraceRequest(u"<I>,1,X,Y"_s));
    const TraceLog shell(m_fx->folder.path() + u'/', u"T"_s);
    QVERIFY(shell.TraceRequest(u"<I>,1,X,Y"_s));
    QVERIFY(shell.TraceRequest(u"<I>,1,X,Z"_s));
    QCOMPARE(logLines(m_fx->read(u"DataSend.log"_s)).size(), 7); // appended, never truncated
}

// ---- shut-down ------------------------------------------------------------------------------

void TestShell::shutDownNotice_data()
{
    QTest::addColumn<bool>("newVersion");
    QTest::newRow("newer version reported") << true;
    QTest::newRow("none reported") << false;
}

void TestShell::shutDownNotice()
{
    QFETCH(bool, newVersion);
    MainForm& f = m_fx->start();
    m_fx->prompter.clear();
    if (newVersion)
        subsystem<ReplyDispatcher>(f).setNewVersionFlag();
    QVERIFY(f.close());
    QVERIFY(!f.isVisible());
    f.close(); // a second close does not repeat the notice
    if (!newVersion) {
        QVERIFY(m_fx->prompter.boxes.isEmpty());
        return;
    }
    QCOMPARE(m_fx->prompter.shown(),
             QStringList{u"A new update version is now available!Please visit our website to "
                         "obtain the latest version."_s});
    QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::Information);
    QCOMPARE(m_fx->prompter.boxes.first().title, u"Vornik"_s);
}

void TestShell::forceUpdateAlwaysNotifiesAndCloses()
{
    MainForm& f = m_fx->start();
    m_fx->prompter.clear();
    control<QTabWidget>(f, "SSTab1")->setCurrentIndex(1);
    QTest::mouseClick(control<QPushButton>(f, "ForceUpdateCmd"), Qt::LeftButton);
    QVERIFY(subsystem<ReplyDispatcher>(f).newVersionFlag());
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 0);
    QVERIFY(!f.isVisible());
    QCOMPARE(m_fx->prompter.boxes.size(), 1);
    QVERIFY(m_fx->prompter.boxes.first().text.startsWith(u"A new update version"_s));
}

// ---- OPTIONS tab ----------------------------------------------------------------------------

void TestShell::focusShowsHelp_data()
{
    using shellrules::Help;
    QTest::addColumn<QString>("field");
    // How the focus gets there: empty, moved from "Test LOGIN "; "Options": a click on Options
    // with the focus in Parttxt, then a click into the field; "away and back": with the focus in
    // the field, a click on the OPTIONS tab and on the first tab, then a click into the field.
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
    if (route.isEmpty()) {
        control<QTabWidget>(f, "SSTab1")->setCurrentIndex(2);
        control<QPushButton>(f, "Testcmd")->setFocus();
    } else {
        control<QLineEdit>(f, "Parttxt")->setFocus();
        QTRY_VERIFY(control<QLineEdit>(f, "Parttxt")->hasFocus());
    }
    control<QTextEdit>(f, "LoginHelpInfo")->setPlainText(u"earlier login help"_s);
    control<QTextEdit>(f, "OptionsHelpInfo")->setPlainText(u"earlier options help"_s);
    control<QFrame>(f, "PassedPic")->show();
    f.SlideAnswerList(true);

    if (route.isEmpty()) {
        widget->setFocus();
    } else {
        if (route == u"Options"_s) {
            QTest::mouseClick(control<QPushButton>(f, "OptionsCmd"), Qt::LeftButton);
        } else {
            clickTab(f, 2);
            clickTab(f, 0);
        }
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    QTRY_VERIFY(widget->hasFocus());
    QCOMPARE(control<QTextEdit>(f, "LoginHelpInfo")->toPlainText(),
             loginHelp == u"-"_s ? u"earlier login help"_s : loginHelp);
    QCOMPARE(control<QTextEdit>(f, "OptionsHelpInfo")->toPlainText(),
             optionsHelp == u"-"_s ? u"earlier options help"_s : optionsHelp);
    QCOMPARE(!control<QFrame>(f, "PassedPic")->isHidden(), !resultHidden);
    QVERIFY(!!control<QFrame>(f, "ErrorPic")->isHidden());
    QCOMPARE(twips::left(control<ListControl>(f, "AnswerList")) <= 0, answerListLeaves);
}

void TestShell::tabFromLoginNameCleansAndShowsAccountHelp()
{
    MainForm& f = m_fx->startOnOptionsTab();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    control<QLineEdit>(f, "LoginNameTxt")->setFocus();
    QTRY_VERIFY(control<QLineEdit>(f, "LoginNameTxt")->hasFocus());
    control<QLineEdit>(f, "LoginNameTxt")->setText(u" abc1 "_s);
    control<QFrame>(f, "ErrorPic")->show();
    control<QTextEdit>(f, "OptionsHelpInfo")->setPlainText(u"earlier options help"_s);
    QTest::keyClick(control<QLineEdit>(f, "LoginNameTxt"), Qt::Key_Tab);
    QTRY_VERIFY(control<QLineEdit>(f, "AccNumTxt")->hasFocus());
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), u"ABC1"_s);
    QCOMPARE(control<QTextEdit>(f, "OptionsHelpInfo")->toPlainText(), QString());
    QCOMPARE(control<QTextEdit>(f, "LoginHelpInfo")->toPlainText(),
             shellrules::helpText(shellrules::Help::AccountNumber));
    QVERIFY(!!control<QFrame>(f, "ErrorPic")->isHidden());
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
    auto* box = focusBox(f, field);
    QVERIFY(box);
    box->setText(typed);
    if (tabClicked >= 0) {
        clickTab(f, tabClicked);
    } else {
        control<QPushButton>(f, "Testcmd")->setFocus();
        QTRY_VERIFY(control<QPushButton>(f, "Testcmd")->hasFocus());
    }
    QCOMPARE(box->text(), after);
}

void TestShell::optionsButtonSelectsOptionsTab()
{
    MainForm& f = m_fx->start();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    auto* tabs = f.findChild<QTabWidget*>(u"SSTab1"_s);
    auto* passed = f.findChild<QWidget*>(u"PassedPic"_s);
    passed->show();
    QCOMPARE(tabs->currentIndex(), 0);
    // The click gives the button the focus; the tab change then carries it into the new page,
    // which is no move of the user's and runs no focus handler there.
    QTest::mouseClick(f.findChild<QPushButton*>(u"OptionsCmd"_s), Qt::LeftButton);
    QCOMPARE(tabs->currentIndex(), 2);
    QCOMPARE(f.findChild<QTextEdit*>(u"LoginHelpInfo"_s)->toPlainText(), QString());
    QCOMPARE(f.findChild<QTextEdit*>(u"OptionsHelpInfo"_s)->toPlainText(), QString());
    QVERIFY(!passed->isHidden());
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
    auto* box = focusBox(f, field);
    QVERIFY(box);
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
