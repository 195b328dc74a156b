// The supplier's connection updates: the keyword file read when the settings are loaded, and the
// two-field file applied to Login.Inf at start-up.
#include "support/controls.h"
#include "support/formfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

const QString HostUpdateFile = u"Vornikupdate.TXT"_s;
const QString LoginUpdateFile = u"LOGIN_UPDATE.INF"_s;
const QString Heading = u"** HOST CONNECTION INFO UPDATED ** \r\n"_s;
const QString Updated = u"NOTE: Connection information has been updated!\r\n"_s;
const QByteArray GoodOptions = "\"ACME\",0,0,\"\",0,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";

QByteArray loginBytes(const QByteArray& host, const QByteArray& login, const QByteArray& port)
{
    return "\"" + host + "\",\"" + login + "\",\"1234\",\"\",\"" + port
        + "\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
}

QString notApplied(const QString& reason)
{
    return u"NOTE: The connection update in LOGIN_UPDATE.INF could not be applied because "_s
        + reason + u"; your connection settings are unchanged."_s;
}

} // namespace

class TestConnectionUpdate : public FormTest
{
    Q_OBJECT

private slots:
    void hostUpdateFile_data();
    void hostUpdateFile();
    void hostUpdateWaitsForValidSettings();
    void loginUpdate_data();
    void loginUpdate();
    void loginUpdateWaitsForLoginInf();
    void loginUpdateOnUnreadableLoginInf();
    void loginUpdateInReadOnlyFolder();

private:
    // Starts the window on this Login.Inf, good options and an update file of that name.
    MainForm& startWithUpdate(const QByteArray& login, const QString& file,
                              const QByteArray& content)
    {
        m_fx->write(u"Login.Inf"_s, login);
        m_fx->write(u"Options.Inf"_s, GoodOptions);
        m_fx->write(file, content);
        return m_fx->start();
    }
    // The text of the last box shown, empty when none was.
    QString lastShown() const
    {
        return m_fx->prompter.shown().value(m_fx->prompter.boxes.size() - 1);
    }
};

void TestConnectionUpdate::hostUpdateFile_data()
{
    QTest::addColumn<QByteArray>("login");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QByteArray>("loginAfter");
    QTest::addColumn<QString>("hostBox");
    QTest::addColumn<QString>("portBox");

    const QByteArray saved = loginBytes("127.0.0.1", "JSMITH", "3300");
    QTest::newRow("only a notes line: heading, notes in lower case, same values re-saved")
        << saved << QByteArray("notes: Please Call Us On Monday\r\n")
        << QStringList{Heading + u"please call us on monday"_s} << saved << u"127.0.0.1"_s
        << u"3300"_s;
    QTest::newRow("URL in capitals counts; new address and port saved")
        << saved << QByteArray("URL: Orders.Example.COM \r\nsocket: 3400\r\nnotes:Moved\r\n")
        << QStringList{Heading
                       + u"New Host Addr: orders.example.com\r\nNew Socket #: 3400\r\nmoved"_s}
        << loginBytes("orders.example.com", "JSMITH", "3400") << u"orders.example.com"_s
        << u"3400"_s;
    QTest::newRow("url with a blank before the colon ignored")
        << saved << QByteArray("url :new.example.com\r\n") << QStringList{Heading} << saved
        << u"127.0.0.1"_s << u"3300"_s;
    QTest::newRow("five-character url and socket 0 ignored")
        << saved << QByteArray("url:a.b.c\r\nsocket:0\r\n") << QStringList{Heading} << saved
        << u"127.0.0.1"_s << u"3300"_s;
    QTest::newRow("four bytes: deleted, nothing shown")
        << saved << QByteArray("url:") << QStringList() << saved << u"127.0.0.1"_s << u"3300"_s;
    QTest::newRow("invalid login: refusal, old values kept in the file, new ones in the boxes")
        << loginBytes("127.0.0.1", "ABC", "3300")
        << QByteArray("url:new.example.com\r\nsocket:3400\r\n")
        << QStringList{u"Invalid Reference Name!"_s,
                       Heading + u"New Host Addr: new.example.com\r\nNew Socket #: 3400\r\n"_s}
        << loginBytes("127.0.0.1", "ABC", "3300") << u"new.example.com"_s << u"3400"_s;
}

void TestConnectionUpdate::hostUpdateFile()
{
    QFETCH(QByteArray, login);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, shown);
    QFETCH(QByteArray, loginAfter);
    QFETCH(QString, hostBox);
    QFETCH(QString, portBox);
    MainForm& f = startWithUpdate(login, HostUpdateFile, content);
    m_fx->tick();
    QCOMPARE(m_fx->prompter.shown(), shown);
    if (!shown.isEmpty())
        QCOMPARE(m_fx->prompter.boxes.last().icon, QMessageBox::Information);
    QVERIFY(!m_fx->exists(HostUpdateFile)); // read once, then gone
    QCOMPARE(m_fx->read(u"Login.Inf"_s), loginAfter);
    QCOMPARE(control<QLineEdit>(f, "txtHostAddress")->text(), hostBox);
    QCOMPARE(control<QLineEdit>(f, "ServerSocketTxt")->text(), portBox);
}

void TestConnectionUpdate::hostUpdateWaitsForValidSettings()
{
    m_fx->write(HostUpdateFile, "url:new.example.com\r\n");
    m_fx->start();
    m_fx->tick(); // no settings yet: the failure path skips the update step
    QCOMPARE(m_fx->prompter.shown(), QStringList{u"Please provide or correct Setup Options"_s});
    QVERIFY(m_fx->exists(HostUpdateFile));
}

void TestConnectionUpdate::loginUpdate_data()
{
    QTest::addColumn<QByteArray>("login");
    QTest::addColumn<QByteArray>("update");
    QTest::addColumn<QByteArray>("loginAfter");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("host"); // after the next load; empty: not loaded
    QTest::addColumn<qint16>("socketBase");

    const QByteArray saved = loginBytes("old.example.com", "JSMITH", "3300");
    QTest::newRow("both fields")
        << saved << QByteArray("\"10.0.0.9\",\"3400\"\r\n")
        << QByteArray("10.0.0.9,\"JSMITH\",\"1234\",\"\",3400,\"\",\"\",\"\",\"\",\"\",\"\",")
        << Updated
            + u"old SERVER: \"old.example.com\"   NEW SERVER: 10.0.0.9\r\n"
              "old PORT: \"3300\"   NEW PORT: 3400\r\n"_s
        << u"10.0.0.9"_s << qint16(3400);
    QTest::newRow("empty server field with a port: only field 5 and the port line")
        << saved << QByteArray("\"\",3401\r\n")
        << QByteArray(
               "\"old.example.com\",\"JSMITH\",\"1234\",\"\",3401,\"\",\"\",\"\",\"\",\"\",\"\",")
        << Updated + u"old PORT: \"3300\"   NEW PORT: 3401\r\n"_s << u"old.example.com"_s
        << qint16(3401);
    QTest::newRow("empty Login.Inf left alone")
        << QByteArray() << QByteArray("10.0.0.9,3400") << QByteArray()
        << notApplied(u"Login.Inf is empty"_s) << QString() << qint16(0);
    QTest::newRow("Login.Inf without a fifth field left alone")
        << QByteArray("\"h\",\"JSMITH\",\"1234\",\"\"\r\n") << QByteArray(",3400")
        << QByteArray("\"h\",\"JSMITH\",\"1234\",\"\"\r\n")
        << notApplied(u"Login.Inf has fewer than five fields, so it holds no port to replace"_s)
        << QString() << qint16(0);
    QTest::newRow("update file with one field: Login.Inf left alone")
        << saved << QByteArray("10.0.0.9\r\n") << saved
        << notApplied(u"LOGIN_UPDATE.INF holds fewer than two fields"_s) << QString() << qint16(0);
}

void TestConnectionUpdate::loginUpdate()
{
    QFETCH(QByteArray, login);
    QFETCH(QByteArray, update);
    QFETCH(QByteArray, loginAfter);
    QFETCH(QString, notice);
    QFETCH(QString, host);
    QFETCH(qint16, socketBase);
    MainForm& f = startWithUpdate(login, LoginUpdateFile, update); // start-up applies it
    QCOMPARE(m_fx->read(u"Login.Inf"_s), loginAfter);
    QCOMPARE(m_fx->prompter.shown(), QStringList()); // the timer shows the notice later
    const bool applied = !host.isEmpty();
    QCOMPARE(m_fx->exists(LoginUpdateFile), !applied); // a refused update stays for later
    m_fx->tick(); // reads the settings (with their own box if they fail), then the notice
    QCOMPARE(lastShown(), notice);
    if (!applied)
        return;
    QCOMPARE(m_fx->prompter.shown(), QStringList{notice}); // the rewritten form loads
    QCOMPARE(control<QLineEdit>(f, "txtHostAddress")->text(), host);
    QCOMPARE(control<QLineEdit>(f, "ServerSocketTxt")->text(), QString::number(socketBase));
    QCOMPARE(control<QLineEdit>(f, "LoginNameTxt")->text(), u"JSMITH"_s);
    QCOMPARE(control<QLineEdit>(f, "AccNumTxt")->text(), u"1234"_s);
}

void TestConnectionUpdate::loginUpdateWaitsForLoginInf()
{
    m_fx->write(LoginUpdateFile, "\"10.0.0.9\",\"3400\"\r\n");
    m_fx->start();
    QVERIFY(m_fx->exists(LoginUpdateFile));
    QVERIFY(!m_fx->exists(u"Login.Inf"_s));
    m_fx->tick(); // no notice follows the reading's own box
    QCOMPARE(m_fx->prompter.shown(), QStringList{u"Please provide or correct Setup Options"_s});
}

void TestConnectionUpdate::loginUpdateOnUnreadableLoginInf()
{
    QVERIFY(QDir(m_fx->folder.path()).mkdir(u"Login.Inf"_s));
    m_fx->write(LoginUpdateFile, "\"10.0.0.9\",\"3400\"\r\n");
    m_fx->start();
    QVERIFY(QFileInfo(m_fx->folder.filePath(u"Login.Inf"_s)).isDir());
    QVERIFY(m_fx->exists(LoginUpdateFile));
    m_fx->tick();
    QCOMPARE(lastShown(), notApplied(u"Login.Inf could not be read"_s));
}

void TestConnectionUpdate::loginUpdateInReadOnlyFolder()
{
    const QByteArray saved = loginBytes("old.example.com", "JSMITH", "3300");
    m_fx->write(u"Login.Inf"_s, saved);
    m_fx->write(u"Options.Inf"_s, GoodOptions);
    m_fx->write(LoginUpdateFile, "\"10.0.0.9\",\"3400\"\r\n");
    const QString folder = m_fx->folder.path();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(QDir(folder).filePath(u"probe.tmp"_s));
    const bool writable = probe.open(QIODevice::WriteOnly);
    probe.close();
    probe.remove();
    if (writable) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("a read-only folder does not stop this user from writing");
    }
    m_fx->start();
    m_fx->tick(); // reads the settings, then shows the notice
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(m_fx->read(u"Login.Inf"_s), saved);
    QVERIFY(m_fx->exists(LoginUpdateFile));
    QCOMPARE(m_fx->prompter.shown().size(), 1);
    QVERIFY(lastShown().startsWith(
        u"NOTE: The connection update in LOGIN_UPDATE.INF could not be applied because "
        "Login.Inf could not be written ("_s));
}

QTEST_MAIN(TestConnectionUpdate)
#include "tst_connectionupdate.moc"
