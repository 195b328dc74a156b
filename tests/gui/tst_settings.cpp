// The OPTIONS tab: SAVE writes Login.Inf and Options.Inf byte for byte, CheckSetup reads both
// forms back, first starts, refused login fields, unwritable files and the login test.
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

const QString SetupFailure = u"Please provide or correct Setup Options"_s;

QByteArray loginBytes(const QByteArray& host, const QByteArray& login, const QByteArray& account,
                      const QByteArray& port)
{
    return "\"" + host + "\",\"" + login + "\",\"" + account + "\",\"\",\"" + port
        + "\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
}

const QByteArray GoodOptions = "\"ACME\",0,0,\"\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

void type(QLineEdit* box, const QString& text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

// Makes the program folder read-only; false when that does not stop writes (running as root).
bool makeReadOnly(const QString& folder)
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(QDir(folder).filePath(u"probe.tmp"_s));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        return false;
    }
    return true;
}

void makeWritable(const QString& folder)
{
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

class TestSettings : public FormTest
{
    Q_OBJECT

private slots:
    void cleanup();
    void saveWritesBothFiles_data();
    void saveWritesBothFiles();
    void checkSetupReadsLogin_data();
    void checkSetupReadsLogin();
    void checkSetupReadsOptions_data();
    void checkSetupReadsOptions();
    void firstStartWithoutFiles();
    void firstStartWithoutOptions();
    void refusedLoginFields_data();
    void refusedLoginFields();
    void refusedNameStaysInBox();
    void saveResetsTheTab();
    void unwritableFile_data();
    void unwritableFile();
    void readOnlyFolderKeepsOldFiles();
    void loginTestSendsRequestAndPasses();
    void loginTestFailsAtDeadline_data();
    void loginTestFailsAtDeadline();
    void loginTestWithBadPort();

private:
    MainForm* m_form = nullptr;
};

void TestSettings::cleanup()
{
    makeWritable(m_fx->folder.path());
    m_form = nullptr;
    FormTest::cleanup();
}

void TestSettings::saveWritesBothFiles_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("business");
    QTest::addColumn<bool>("poRequired");
    QTest::addColumn<bool>("standingTicked");
    QTest::addColumn<QString>("standing");
    QTest::addColumn<bool>("repRequired");
    QTest::addColumn<QByteArray>("loginFile");
    QTest::addColumn<QByteArray>("optionsFile");
    QTest::addColumn<qint16>("socketBase"); // after the reload
    QTest::addColumn<QString>("businessBox");

    QTest::newRow("blanks trimmed, name upper-cased, host lower-cased")
        << u" Orders.EXAMPLE.com "_s << u" jsmith "_s << u" 0001 "_s << u" 3300 "_s
        << u" Acme Parts "_s << true << true << u" PO-77 "_s << true
        << loginBytes("orders.example.com", "JSMITH", "0001", "3300")
        << QByteArray("\"Acme Parts\",1,1,\"PO-77\",1,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
        << qint16(3300) << u"Acme Parts"_s;
    QTest::newRow("standing PO dropped when its box is unticked")
        << u"127.0.0.1"_s << u"abcd"_s << u"9999"_s << u"3300"_s << u"X"_s << false << false
        << u"PO-77"_s << false << loginBytes("127.0.0.1", "ABCD", "9999", "3300")
        << QByteArray("\"X\",0,0,\"\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
        << qint16(3300) << u"X"_s;
    QTest::newRow("commas and quotes of the business name become blanks")
        << u"h.example"_s << u"abcdefghijkl"_s << u"42"_s << u"3300"_s << u"\"Bob's\" Parts, Inc,"_s
        << false << true << u"A,B"_s << false
        << loginBytes("h.example", "ABCDEFGHIJKL", "42", "3300")
        << QByteArray(
               "\" Bob's  Parts  Inc \",0,1,\"A B\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
        << qint16(3300) << u" Bob's  Parts  Inc "_s;
    QTest::newRow("port 3301.5 reloads as 3302")
        << u"h.example"_s << u"abcd"_s << u"1"_s << u"3301.5"_s << QString() << false << false
        << QString() << false << loginBytes("h.example", "ABCD", "1", "3301.5")
        << QByteArray("\"\",0,0,\"\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n") << qint16(3302)
        << QString();
    QTest::newRow("letters in the port box written as typed, 0 after the reload")
        << u"h.example"_s << u"abcd"_s << u"1"_s << u"port"_s << u"B"_s << false << false
        << QString() << false << loginBytes("h.example", "ABCD", "1", "port")
        << QByteArray("\"B\",0,0,\"\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n") << qint16(0)
        << u"B"_s;
}

void TestSettings::saveWritesBothFiles()
{
    QFETCH(QString, host);
    QFETCH(QString, login);
    QFETCH(QString, account);
    QFETCH(QString, port);
    QFETCH(QString, business);
    QFETCH(bool, poRequired);
    QFETCH(bool, standingTicked);
    QFETCH(QString, standing);
    QFETCH(bool, repRequired);
    QFETCH(QByteArray, loginFile);
    QFETCH(QByteArray, optionsFile);
    QFETCH(qint16, socketBase);
    QFETCH(QString, businessBox);

    MainForm& f = m_fx->startOnOptionsTab();
    type(control<QLineEdit>(f, "txtHostAddress"), host);
    type(control<QLineEdit>(f, "LoginNameTxt"), login);
    type(control<QLineEdit>(f, "AccNumTxt"), account);
    type(control<QLineEdit>(f, "ServerSocketTxt"), port);
    type(control<QLineEdit>(f, "AccNameTxt"), business);
    control<QCheckBox>(f, "PoOptionCheck", 0)->setChecked(poRequired);
    control<QCheckBox>(f, "PoOptionCheck", 1)->setChecked(standingTicked);
    type(control<QLineEdit>(f, "StandingPOtxt"), standing);
    control<QCheckBox>(f, "RepNameOptCheck")->setChecked(repRequired);
    m_fx->clock.pauses.clear();

    QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);

    QCOMPARE(m_fx->prompter.shown(), QStringList());
    QCOMPARE(m_fx->read(u"Login.Inf"_s), loginFile);
    QCOMPARE(m_fx->read(u"Options.Inf"_s), optionsFile);
    // The flash after writing Login.Inf and the one closing the SAVE.
    QCOMPARE(m_fx->clock.pauses, (QList<int>{400, 400}));
    QVERIFY(!control<QFrame>(f, "SavedPic")->isVisible());

    // Read back into the boxes.
    const QList<QByteArray> fields = loginFile.split('"');
    QCOMPARE(control<QLineEdit>(f, "txtHostAddress")->text(), QString::fromLatin1(fields[1]));
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), QString::fromLatin1(fields[3]));
    QCOMPARE(control<QLineEdit>(f, "AccNumTxt")->text(), QString::fromLatin1(fields[5]));
    QCOMPARE(control<QLineEdit>(f, "ServerSocketTxt")->text(), QString::number(socketBase));
    QCOMPARE(control<QLineEdit>(f, "AccNameTxt")->text(), businessBox);
    QCOMPARE(control<QCheckBox>(f, "PoOptionCheck", 0)->isChecked(), poRequired);
    QCOMPARE(control<QCheckBox>(f, "PoOptionCheck", 1)->isChecked(), optionsFile.contains(",1,\""));
    QCOMPARE(control<QCheckBox>(f, "RepNameOptCheck")->isChecked(), repRequired);
    QVERIFY(control<QPushButton>(f, "Testcmd")->isEnabled());
    // The SAVE read the settings back, so the first tick does not read them again.
    type(control<QLineEdit>(f, "AccNumTxt"), u"77"_s);
    m_fx->tick();
    QCOMPARE(control<QLineEdit>(f, "AccNumTxt")->text(), u"77"_s);
}

void TestSettings::checkSetupReadsLogin_data()
{
    QTest::addColumn<QByteArray>("login");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("account");
    QTest::addColumn<qint16>("socketBase");

    QTest::newRow("saved form") << loginBytes("10.0.0.9", "JSMITH", "1234", "3400") << true
                                << u"10.0.0.9"_s << u"JSMITH"_s << u"1234"_s << qint16(3400);
    QTest::newRow("rewritten form: bare 1 and 5, a comma after every field, no line end")
        << QByteArray("10.0.0.9,\"JSMITH\",\"1234\",\"\",3400,\"\",\"\",\"\",\"\",\"\",\"\",")
        << true << u"10.0.0.9"_s << u"JSMITH"_s << u"1234"_s << qint16(3400);
    QTest::newRow("3300.5 halves to even") << loginBytes("h", "ABCD", "1", "3300.5") << true
                                           << u"h"_s << u"ABCD"_s << u"1"_s << qint16(3300);
    QTest::newRow("3301.5 halves to even") << loginBytes("h", "ABCD", "1", "3301.5") << true
                                           << u"h"_s << u"ABCD"_s << u"1"_s << qint16(3302);
    QTest::newRow("port without a leading number is 0")
        << loginBytes("h", "ABCD", "1", "x3300") << true << u"h"_s << u"ABCD"_s << u"1"_s
        << qint16(0);
    // A failed load still shows the boxes read before the port (the last three columns).
    QTest::newRow("port beyond 16 bits fails after the boxes")
        << loginBytes("h", "ABCD", "1", "40000") << false << u"h"_s << u"ABCD"_s << u"1"_s
        << qint16(0);
    QTest::newRow("four bytes fail")
        << QByteArray("\"h\",") << false << QString() << QString() << QString() << qint16(0);
    QTest::newRow("four fields fail") << QByteArray("\"h\",\"ABCD\",\"1\",\"\"\r\n") << false
                                      << QString() << QString() << QString() << qint16(0);
}

void TestSettings::checkSetupReadsLogin()
{
    QFETCH(QByteArray, login);
    QFETCH(bool, loads);
    QFETCH(QString, host);
    QFETCH(QString, name);
    QFETCH(QString, account);
    QFETCH(qint16, socketBase);
    m_fx->write(u"Login.Inf"_s, login);
    m_fx->write(u"Options.Inf"_s, GoodOptions);
    MainForm& f = m_fx->start();
    m_fx->tick();
    QCOMPARE(m_fx->read(u"Login.Inf"_s), login); // reading never changes the file
    if (!loads) {
        QCOMPARE(m_fx->prompter.shown(), QStringList{SetupFailure});
        QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::Warning);
        QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 2);
        QVERIFY(!control<QPushButton>(f, "Testcmd")->isEnabled());
        QCOMPARE(f.focusWidget(), control<QLineEdit>(f, "LoginNameTxt"));
        if (!host.isEmpty()) {
            QCOMPARE(f.findChild<QLineEdit*>(u"txtHostAddress"_s)->text(), host);
            QCOMPARE(f.findChild<QLineEdit*>(u"LoginNameTxt"_s)->text(), name);
            QCOMPARE(f.findChild<QLineEdit*>(u"AccNumTxt"_s)->text(), account);
        }
        return;
    }
    QCOMPARE(m_fx->prompter.shown(), QStringList());
    QCOMPARE(control<QLineEdit>(f, "txtHostAddress")->text(), host);
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), name);
    QCOMPARE(control<QLineEdit>(f, "AccNumTxt")->text(), account);
    QCOMPARE(control<QLineEdit>(f, "ServerSocketTxt")->text(), QString::number(socketBase));
    QCOMPARE(control<QLineEdit>(f, "AccNameTxt")->text(), u"ACME"_s);
    QVERIFY(!m_fx->exists(u"shortcut.inf"_s)); // no first run: no launcher step
}

void TestSettings::checkSetupReadsOptions_data()
{
    QTest::addColumn<QByteArray>("options");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("business");
    QTest::addColumn<bool>("po");
    QTest::addColumn<bool>("standingTicked");
    QTest::addColumn<QString>("standing");
    QTest::addColumn<bool>("rep");

    QTest::newRow("all set") << QByteArray(
        "\"Acme\",1,1,\"PO-7\",1,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
                             << true << u"Acme"_s << true << true << u"PO-7"_s << true;
    QTest::newRow("standing flag 1 with an empty number")
        << QByteArray("\"Acme\",0,1,\"\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n") << true
        << u"Acme"_s << false << true << QString() << false;
    QTest::newRow("values other than 1 leave the boxes clear")
        << QByteArray("\"Acme\",2,-1,\"X\",7\r\n") << true << u"Acme"_s << false << false << u"X"_s
        << false;
    QTest::newRow("shortcut installer's nine bytes: empty name, then the reading fails")
        << QByteArray("       \r\n") << false << QString() << false << false << u" "_s << false;
    QTest::newRow("number beyond 16 bits fails")
        << QByteArray("\"Acme\",70000,0,\"\",0\r\n") << false << u"Acme"_s << false << false
        << u" "_s << false;
}

void TestSettings::checkSetupReadsOptions()
{
    QFETCH(QByteArray, options);
    QFETCH(bool, loads);
    QFETCH(QString, business);
    QFETCH(bool, po);
    QFETCH(bool, standingTicked);
    QFETCH(QString, standing);
    QFETCH(bool, rep);
    m_fx->writeSettings(3300, options);
    MainForm& f = m_fx->start();
    control<QLineEdit>(f, "AccNameTxt")->setText(u"design"_s);
    m_fx->tick();
    QCOMPARE(m_fx->prompter.shown(), loads ? QStringList() : QStringList{SetupFailure});
    QCOMPARE(control<QLineEdit>(f, "AccNameTxt")->text(), business);
    QCOMPARE(control<QCheckBox>(f, "PoOptionCheck", 0)->isChecked(), po);
    QCOMPARE(control<QCheckBox>(f, "PoOptionCheck", 1)->isChecked(), standingTicked);
    QCOMPARE(control<QLineEdit>(f, "StandingPOtxt")->text(), standing);
    QCOMPARE(control<QCheckBox>(f, "RepNameOptCheck")->isChecked(), rep);
    QVERIFY(!m_fx->exists(u"shortcut.inf"_s)); // nine bytes are no first run
    QCOMPARE(control<QLineEdit>(f, "ServerSocketTxt")->text(), u"3300"_s);
}

void TestSettings::firstStartWithoutFiles()
{
    MainForm& f = m_fx->start();
    m_fx->tick();
    m_fx->tick(); // the settings are read once: the box does not come back
    QVERIFY(m_fx->exists(u"Login.Inf"_s));
    QCOMPARE(m_fx->read(u"Login.Inf"_s), QByteArray());
    QVERIFY(!m_fx->exists(u"Options.Inf"_s)); // nor marked as a first run
    QCOMPARE(m_fx->prompter.shown(), QStringList{SetupFailure});
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 2);
    QVERIFY(!control<QPushButton>(f, "Testcmd")->isEnabled());
    QCOMPARE(f.focusWidget(), control<QLineEdit>(f, "LoginNameTxt"));
}

void TestSettings::firstStartWithoutOptions()
{
    m_fx->write(u"Login.Inf"_s, loginBytes("127.0.0.1", "JSMITH", "1234", "3300"));
    MainForm& f = m_fx->start();
    m_fx->tick();
    // Created empty, so a first run: the same tick marks it and takes the launcher step.
    QCOMPARE(m_fx->read(u"Options.Inf"_s), QByteArray("       \r\n"));
    QVERIFY(m_fx->exists(u"shortcut.inf"_s));
    QCOMPARE(m_fx->prompter.shown(), QStringList{SetupFailure});
    // Login.Inf was read before the failure.
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), u"JSMITH"_s);
    QCOMPARE(control<QTabWidget>(f, "SSTab1")->currentIndex(), 2);
}

void TestSettings::refusedLoginFields_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("message");
    QTest::newRow("abc is too short") << u"abc"_s << u"1"_s << u"Invalid Reference Name!"_s;
    QTest::newRow("13 characters are too long")
        << u"abcdefghijklm"_s << u"1"_s << u"Invalid Reference Name!"_s;
    QTest::newRow("account 0") << u"abcd"_s << u"0"_s << u"Invalid Account Number!"_s;
    QTest::newRow("account 10000") << u"abcd"_s << u"10000"_s << u"Invalid Account Number!"_s;
    QTest::newRow("account without a number")
        << u"abcd"_s << u"x1"_s << u"Invalid Account Number!"_s;
}

void TestSettings::refusedLoginFields()
{
    QFETCH(QString, login);
    QFETCH(QString, account);
    QFETCH(QString, message);
    const QByteArray old = loginBytes("127.0.0.1", "JSMITH", "1234", "3300");
    m_fx->writeSettings(3300);
    MainForm& f = m_fx->start();
    type(control<QLineEdit>(f, "LoginNameTxt"), login);
    type(control<QLineEdit>(f, "AccNumTxt"), account);
    type(control<QLineEdit>(f, "AccNameTxt"), u"New Name"_s);
    m_fx->clock.pauses.clear();
    QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    QCOMPARE(m_fx->prompter.shown(), QStringList{message});
    QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::Warning);
    QCOMPARE(f.focusWidget(),
             control<QLineEdit>(f, message.contains(u"Name") ? "LoginNameTxt" : "AccNumTxt"));
    QCOMPARE(m_fx->read(u"Login.Inf"_s), old);
    // Options.Inf is saved all the same, and the reload brings back the stored login.
    QVERIFY(m_fx->read(u"Options.Inf"_s).startsWith("\"New Name\","));
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), u"JSMITH"_s);
    QCOMPARE(control<QLineEdit>(f, "AccNumTxt")->text(), u"1234"_s);
    QCOMPARE(m_fx->clock.pauses, QList<int>{400}); // only the closing flash
}

void TestSettings::refusedNameStaysInBox()
{
    // No settings yet: the reload after the SAVE fails and leaves the cleaned name in its box.
    MainForm& f = m_fx->start();
    type(control<QLineEdit>(f, "LoginNameTxt"), u" abc "_s);
    QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), u"ABC"_s);
    QCOMPARE(f.focusWidget(), control<QLineEdit>(f, "LoginNameTxt"));
    QCOMPARE(m_fx->read(u"Login.Inf"_s), QByteArray()); // created empty by the reload
    QCOMPARE(m_fx->prompter.shown(), (QStringList{u"Invalid Reference Name!"_s, SetupFailure}));
}

void TestSettings::saveResetsTheTab()
{
    m_fx->writeSettings(3300);
    MainForm& f = m_fx->start();
    m_fx->tick();
    control<QPushButton>(f, "Testcmd")->hide();
    control<QPushButton>(f, "Testcmd")->setEnabled(false);
    control<QFrame>(f, "PassedPic")->show();
    control<QFrame>(f, "ErrorPic")->show();
    control<QTextEdit>(f, "OptionsHelpInfo")->setPlainText(u"help"_s);
    control<QTextEdit>(f, "LoginHelpInfo")->setPlainText(u"help"_s);
    QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    QCOMPARE(m_fx->prompter.shown(), QStringList());
    QVERIFY(!control<QPushButton>(f, "Testcmd")->isHidden());
    QVERIFY(control<QPushButton>(f, "Testcmd")->isEnabled());
    QVERIFY(control<QFrame>(f, "PassedPic")->isHidden());
    QVERIFY(control<QFrame>(f, "ErrorPic")->isHidden());
    QVERIFY(control<QTextEdit>(f, "OptionsHelpInfo")->toPlainText().isEmpty());
    QVERIFY(control<QTextEdit>(f, "LoginHelpInfo")->toPlainText().isEmpty());
}

void TestSettings::unwritableFile_data()
{
    QTest::addColumn<QString>("blocked"); // a folder in the file's place
    QTest::addColumn<QList<int>>("pauses");
    QTest::newRow("Login.Inf") << u"Login.Inf"_s << QList<int>{};
    QTest::newRow("Options.Inf") << u"Options.Inf"_s << QList<int>{400}; // Login.Inf's flash
}

void TestSettings::unwritableFile()
{
    QFETCH(QString, blocked);
    QFETCH(QList<int>, pauses);
    QVERIFY(QDir(m_fx->folder.path()).mkdir(blocked));
    MainForm& f = m_fx->start();
    type(control<QLineEdit>(f, "txtHostAddress"), u"127.0.0.1"_s);
    type(control<QLineEdit>(f, "LoginNameTxt"), u"jsmith"_s);
    type(control<QLineEdit>(f, "AccNumTxt"), u"1234"_s);
    m_fx->clock.pauses.clear();
    QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    const QStringList shown = m_fx->prompter.shown();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].startsWith(blocked + u" could not be saved: "_s), qPrintable(shown[0]));
    QVERIFY(shown[0].endsWith(u". Your previous settings are kept."_s));
    QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::Warning);
    QCOMPARE(shown[1], SetupFailure); // the folder cannot be read back either
    QVERIFY(QFileInfo(m_fx->folder.filePath(blocked)).isDir());
    QCOMPARE(m_fx->clock.pauses, pauses); // no flash claims the failed save
    QVERIFY(control<QPushButton>(f, "Testcmd")->isEnabled());
}

void TestSettings::readOnlyFolderKeepsOldFiles()
{
    m_fx->writeSettings(3300);
    const QByteArray oldLogin = m_fx->read(u"Login.Inf"_s);
    const QByteArray oldOptions = m_fx->read(u"Options.Inf"_s);
    MainForm& f = m_fx->start();
    m_fx->tick();
    if (!makeReadOnly(m_fx->folder.path()))
        QSKIP("a read-only folder does not stop this user from writing");
    type(control<QLineEdit>(f, "LoginNameTxt"), u"newname"_s);
    type(control<QLineEdit>(f, "AccNameTxt"), u"Other"_s);
    m_fx->clock.pauses.clear();
    QTest::mouseClick(control<QPushButton>(f, "SaveLoginInfoCmd", 0), Qt::LeftButton);
    const QStringList shown = m_fx->prompter.shown();
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[0].startsWith(u"Login.Inf could not be saved: "_s));
    QVERIFY(shown[1].startsWith(u"Options.Inf could not be saved: "_s));
    makeWritable(m_fx->folder.path());
    QCOMPARE(m_fx->read(u"Login.Inf"_s), oldLogin);
    QCOMPARE(m_fx->read(u"Options.Inf"_s), oldOptions);
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(),
             u"JSMITH"_s); // reloaded from the old file
    QCOMPARE(control<QLineEdit>(f, "AccNameTxt")->text(), u"ACME"_s);
    QVERIFY(m_fx->clock.pauses.isEmpty());
}

void TestSettings::loginTestSendsRequestAndPasses()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    server.reply = [](const QByteArray&) { return QByteArray("<V>OK"); };
    MainForm& f = m_fx->start();
    m_fx->pointAt(server.basePort());
    QCOMPARE(m_fx->prompter.shown(), QStringList());
    QVERIFY(control<QPushButton>(f, "Testcmd")->isEnabled());
    control<QFrame>(f, "ErrorPic")->show();
    control<QTabWidget>(f, "SSTab1")->setCurrentIndex(2);
    QTest::mouseClick(control<QPushButton>(f, "Testcmd"), Qt::LeftButton);
    QTRY_COMPARE(server.received(), QByteArray("<V>,1234,JSMITH,")); // on the base port, +0
    QTRY_VERIFY(!control<QFrame>(f, "PassedPic")->isHidden());
    QVERIFY(control<QFrame>(f, "ErrorPic")->isHidden());
    QCOMPARE(m_fx->prompter.shown(), QStringList());
    // The pass ends the deadline: a tick long after it finds no failure.
    m_fx->clock.now = 36100.0;
    m_fx->tick();
    QVERIFY(control<QFrame>(f, "ErrorPic")->isHidden());
}

void TestSettings::loginTestFailsAtDeadline_data()
{
    QTest::addColumn<double>("clicked");
    QTest::addColumn<int>("deadline"); // two 0.4 s flashes, then five seconds
    QTest::newRow("at ten in the morning") << 36000.0 << 36006;
    QTest::newRow("just before midnight: the deadline does not wrap") << 86397.2 << 86403;
}

void TestSettings::loginTestFailsAtDeadline()
{
    QFETCH(double, clicked);
    QFETCH(int, deadline);
    LoopbackServer server; // answers nothing
    QVERIFY(server.isListening());
    MainForm& f = m_fx->start();
    m_fx->pointAt(server.basePort());
    control<QFrame>(f, "PassedPic")->show();
    m_fx->clock.now = clicked;
    QTest::mouseClick(control<QPushButton>(f, "Testcmd"), Qt::LeftButton);
    QCOMPARE(m_fx->prompter.shown(), QStringList());
    QTRY_COMPARE(server.received(), QByteArray("<V>,1234,JSMITH,"));
    QCOMPARE(control<QTcpSocket>(f, "Winsock")->state(), QAbstractSocket::ConnectedState);
    m_fx->clock.now = deadline;
    m_fx->tick();
    QVERIFY(control<QFrame>(f, "ErrorPic")->isHidden());
    m_fx->clock.now = deadline + 0.5; // what the timer finds on its next tick
    m_fx->tick();
    QVERIFY(!control<QFrame>(f, "ErrorPic")->isHidden());
    QVERIFY(control<QFrame>(f, "PassedPic")->isHidden());
    QCOMPARE(control<QTcpSocket>(f, "Winsock")->state(), QAbstractSocket::UnconnectedState);
    // A later pass still switches the display to passed.
    server.reply = [](const QByteArray&) { return QByteArray("<V>OK"); };
    QTest::mouseClick(control<QPushButton>(f, "Testcmd"), Qt::LeftButton);
    QTRY_VERIFY(!control<QFrame>(f, "PassedPic")->isHidden());
    QVERIFY(control<QFrame>(f, "ErrorPic")->isHidden());
}

void TestSettings::loginTestWithBadPort()
{
    MainForm& f = m_fx->start();
    m_fx->pointAt(3300);
    type(control<QLineEdit>(f, "ServerSocketTxt"), u"40000"_s);
    QTest::mouseClick(control<QPushButton>(f, "Testcmd"), Qt::LeftButton);
    // The reload cannot take port 40000, so the box keeps it and the send refuses it.
    const QStringList shown = m_fx->prompter.shown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0], SetupFailure);
    QVERIFY2(shown[1].startsWith(u"The Connection Socket# \"40000\" is not a valid port number."_s),
             qPrintable(shown[1]));
    QCOMPARE(m_fx->prompter.boxes[1].icon, QMessageBox::Warning);
    QCOMPARE(control<QTcpSocket>(f, "Winsock")->state(), QAbstractSocket::UnconnectedState);
    m_fx->clock.now += 10.0; // no deadline was left running
    m_fx->tick();
    QVERIFY(control<QFrame>(f, "ErrorPic")->isHidden());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
