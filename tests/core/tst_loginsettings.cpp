#include "core/loginsettings.h"
#include "support/rulerows.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestLoginSettings : public QObject
{
    Q_OBJECT

private slots:
    void loginName_data();
    void loginName();
    void account_data();
    void account() { compareRule<QString, bool>(loginsettings::isValidAccount); }
    void loginTestRequest();
    void parseHostUpdate_data();
    void parseHostUpdate();
    void hostUpdateMessage_data();
    void hostUpdateMessage();
    void applyLoginUpdate_data();
    void applyLoginUpdate();
    void refusedLoginUpdate_data();
    void refusedLoginUpdate();
    void notices();
};

void TestLoginSettings::loginName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<bool>("valid");
    QTest::newRow("blanks around, lower case") << u"  jsmith "_s << u"JSMITH"_s << true;
    QTest::newRow("three characters") << u"abc"_s << u"ABC"_s << false;
    QTest::newRow("four characters") << u"abcd"_s << u"ABCD"_s << true;
    QTest::newRow("twelve characters") << u"abcdefghijkl"_s << u"ABCDEFGHIJKL"_s << true;
    QTest::newRow("thirteen characters") << u"abcdefghijklm"_s << u"ABCDEFGHIJKLM"_s << false;
    QTest::newRow("blanks do not count") << u"  ab  "_s << u"AB"_s << false;
    QTest::newRow("a tab is no blank") << u"\tabc"_s << u"\tABC"_s << true;
    QTest::newRow("sharp s counts once") << u"ab\u00df"_s << u"AB\u00df"_s << false;
    QTest::newRow("micro sign kept, not a Greek capital")
        << u"\u00b5abc"_s << u"\u00b5ABC"_s << true;
}

void TestLoginSettings::loginName()
{
    compareRule<QString>(loginsettings::cleanLoginName, "typed", "cleaned");
    compareRule<QString, bool>(loginsettings::isValidLoginName, "typed", "valid");
}

void TestLoginSettings::account_data()
{
    addRuleColumns<QString, bool>();
    QTest::newRow("0 refused") << u"0"_s << false;
    QTest::newRow("1 accepted") << u"1"_s << true;
    QTest::newRow("0001 accepted") << u"0001"_s << true;
    QTest::newRow("9999 accepted") << u" 9999 "_s << true;
    QTest::newRow("10000 refused") << u"10000"_s << false;
    QTest::newRow("leading number 42AB accepted") << u"42AB"_s << true;
    QTest::newRow("no leading number refused") << u"AB42"_s << false;
    QTest::newRow("empty refused") << QString() << false;
    QTest::newRow("negative refused") << u"-5"_s << false;
    QTest::newRow("just below 1 refused") << u"0.5"_s << false;
    QTest::newRow("just above 9999 refused") << u"9999.5"_s << false;
}

void TestLoginSettings::loginTestRequest()
{
    QCOMPARE(loginsettings::loginTestRequest(u" 1234 ", u"ABCD "), u"<V>,1234,ABCD,"_s);
    QCOMPARE(loginsettings::loginTestRequest(u"", u""), u"<V>,,,"_s);
}

void TestLoginSettings::parseHostUpdate_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("url"); // "<none>": the key did not occur
    QTest::addColumn<QString>("socket");
    QTest::addColumn<QString>("notes");
    const QString none = u"<none>"_s;
    QTest::newRow("all three keys")
        << u"url:Host.Example.com\r\nsocket: 3400\r\nnotes: Moved To The New Office\r\n"_s
        << u"host.example.com"_s << u"3400"_s << u"moved to the new office"_s;
    QTest::newRow("key in capitals counts")
        << u"URL:10.1.2.3\r\n"_s << u"10.1.2.3"_s << none << none;
    QTest::newRow("blank before the colon ignored")
        << u"url :10.1.2.3\r\n"_s << none << none << none;
    QTest::newRow("blanks around the line removed")
        << u"   socket:  3500   \r\n"_s << none << u"3500"_s << none;
    QTest::newRow("line without colon skipped")
        << u"hello\r\nnotes:hi"_s << none << none << u"hi"_s;
    QTest::newRow("later line wins") << u"socket:1\r\nsocket:2\r\n"_s << none << u"2"_s << none;
    QTest::newRow("value keeps further colons")
        << u"notes: see http://x\r"_s << none << none << u"see http://x"_s;
    QTest::newRow("unknown key ignored") << u"port:3300\r\n"_s << none << none << none;
    QTest::newRow("empty value still given") << u"notes:\r\n"_s << none << none << QString();
}

void TestLoginSettings::parseHostUpdate()
{
    QFETCH(QString, content);
    QFETCH(QString, url);
    QFETCH(QString, socket);
    QFETCH(QString, notes);
    const auto update = loginsettings::parseHostUpdate(content);
    QCOMPARE(update.url.value_or(u"<none>"_s), url);
    QCOMPARE(update.socket.value_or(u"<none>"_s), socket);
    QCOMPARE(update.notes.value_or(u"<none>"_s), notes);
}

void TestLoginSettings::hostUpdateMessage_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("socket");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("message");
    const QString head = u"** HOST CONNECTION INFO UPDATED ** \r\n"_s;
    QTest::newRow("address, port and notes")
        << u"10.1.2.3"_s << u"3400"_s << u"thanks"_s
        << head + u"New Host Addr: 10.1.2.3\r\nNew Socket #: 3400\r\nthanks"_s;
    QTest::newRow("only notes") << QString() << QString() << u"hello"_s << head + u"hello"_s;
    QTest::newRow("five-character url ignored") << u"a.b.c"_s << QString() << QString() << head;
    QTest::newRow("six-character url taken")
        << u"a.b.cd"_s << QString() << QString() << head + u"New Host Addr: a.b.cd\r\n"_s;
    QTest::newRow("socket 0 ignored") << QString() << u"0"_s << QString() << head;
    QTest::newRow("socket without leading number ignored")
        << QString() << u"x33"_s << QString() << head;
    QTest::newRow("socket with leading number taken as typed")
        << QString() << u"3400abc"_s << QString() << head + u"New Socket #: 3400abc\r\n"_s;
}

void TestLoginSettings::hostUpdateMessage()
{
    QFETCH(QString, url);
    QFETCH(QString, socket);
    QFETCH(QString, notes);
    QFETCH(QString, message);
    QCOMPARE(loginsettings::hostUpdateMessage(url, socket, notes), message);
}

void TestLoginSettings::applyLoginUpdate_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("update");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("changes");
    const QString saved =
        u"\"old.host\",\"JSMITH\",\"1234\",\"\",\"3300\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s;
    QTest::newRow("both fields")
        << saved << u"\"10.0.0.9\",\"3400\"\r\n"_s
        << u"10.0.0.9,\"JSMITH\",\"1234\",\"\",3400,\"\",\"\",\"\",\"\",\"\",\"\","_s
        << u"old SERVER: \"old.host\"   NEW SERVER: 10.0.0.9\r\n"
           "old PORT: \"3300\"   NEW PORT: 3400\r\n"_s;
    QTest::newRow("empty server: only field 5")
        << saved << u"\"\",3400"_s
        << u"\"old.host\",\"JSMITH\",\"1234\",\"\",3400,\"\",\"\",\"\",\"\",\"\",\"\","_s
        << u"old PORT: \"3300\"   NEW PORT: 3400\r\n"_s;
    QTest::newRow("blank port: only field 1")
        << saved << u"new.host\r\n   \r\n"_s
        << u"new.host,\"JSMITH\",\"1234\",\"\",\"3300\",\"\",\"\",\"\",\"\",\"\",\"\","_s
        << u"old SERVER: \"old.host\"   NEW SERVER: new.host\r\n"_s;
    QTest::newRow("rewritten form gains a trailing empty field")
        << u"a.b.c.d,\"JSMITH\",\"1234\",\"\",3300,"_s << u"\"\",\"3401\""_s
        << u"a.b.c.d,\"JSMITH\",\"1234\",\"\",3401,,"_s << u"old PORT: 3300   NEW PORT: 3401\r\n"_s;
    QTest::newRow("only the first line is kept")
        << u"\"h\",\"L\"\r\nsecond line\r\n"_s << u"new.host,\r\n"_s << u"new.host,\"L\","_s
        << u"old SERVER: \"h\"   NEW SERVER: new.host\r\n"_s;
    QTest::newRow("port with a sign, server with a blank")
        << saved << u"\"my host\",+3400"_s
        << u"my host,\"JSMITH\",\"1234\",\"\",+3400,\"\",\"\",\"\",\"\",\"\",\"\","_s
        << u"old SERVER: \"old.host\"   NEW SERVER: my host\r\n"
           "old PORT: \"3300\"   NEW PORT: +3400\r\n"_s;
    QTest::newRow("port with a fraction")
        << saved << u",3400.0"_s
        << u"\"old.host\",\"JSMITH\",\"1234\",\"\",3400.0,\"\",\"\",\"\",\"\",\"\",\"\","_s
        << u"old PORT: \"3300\"   NEW PORT: 3400.0\r\n"_s;
    QTest::newRow("a server alone needs one field")
        << u"x"_s << u"new.host,\"\""_s << u"new.host,"_s
        << u"old SERVER: x   NEW SERVER: new.host\r\n"_s;
}

void TestLoginSettings::applyLoginUpdate()
{
    QFETCH(QString, login);
    QFETCH(QString, update);
    QFETCH(QString, content);
    QFETCH(QString, changes);
    const auto result = loginsettings::applyLoginUpdate(login, update);
    QVERIFY2(result.ok(), qPrintable(result.failure));
    QCOMPARE(result.content, content);
    QCOMPARE(result.changes, changes);
}

void TestLoginSettings::refusedLoginUpdate_data()
{
    const QString Unsafe = u"a value in LOGIN_UPDATE.INF contains a comma, a double quote, a line "
                           "break or another control character"_s;
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("update");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty Login.Inf") << QString() << u"a.b.c.d,3300"_s << u"Login.Inf is empty"_s;
    QTest::newRow("Login.Inf of a line end only")
        << u"\r\n"_s << u"a.b.c.d,3300"_s << u"Login.Inf is empty"_s;
    QTest::newRow("four fields for a new port")
        << u"\"h\",\"L\",\"1\",\"\"\r\n"_s << u",3300"_s
        << u"Login.Inf has fewer than five fields, so it holds no port to replace"_s;
    QTest::newRow("update file with one field")
        << u"\"h\",\"L\",\"1\",\"\",\"3300\"\r\n"_s << u"a.b.c.d\r\n"_s
        << u"LOGIN_UPDATE.INF holds fewer than two fields"_s;
    QTest::newRow("empty update file") << u"\"h\",\"L\",\"1\",\"\",\"3300\"\r\n"_s << QString()
                                       << u"LOGIN_UPDATE.INF holds fewer than two fields"_s;
    QTest::newRow("comma inside a quoted server")
        << u"\"h\",\"L\",\"1\",\"\",\"3300\"\r\n"_s << u"\"a,b\",3300"_s << Unsafe;
    QTest::newRow("line break inside a quoted port")
        << u"\"h\",\"L\",\"1\",\"\",\"3300\"\r\n"_s << u"\"\",\"33\r\n00\""_s << Unsafe;
    QTest::newRow("tab inside the server")
        << u"\"h\",\"L\",\"1\",\"\",\"3300\"\r\n"_s << u"\"a\tb\",3300"_s << Unsafe;
    QTest::newRow("port beyond 16 bits")
        << u"\"h\",\"L\",\"1\",\"\",\"3300\"\r\n"_s << u"h2,70000"_s
        << u"the port in LOGIN_UPDATE.INF is not a number from 1 to 32767"_s;
    QTest::newRow("port without a number")
        << u"\"h\",\"L\",\"1\",\"\",\"3300\"\r\n"_s << u"h2,x1"_s
        << u"the port in LOGIN_UPDATE.INF is not a number from 1 to 32767"_s;
}

void TestLoginSettings::refusedLoginUpdate()
{
    QFETCH(QString, login);
    QFETCH(QString, update);
    QFETCH(QString, reason);
    const auto result = loginsettings::applyLoginUpdate(login, update);
    QCOMPARE(result.failure, reason);
    QVERIFY(result.content.isEmpty());
}

void TestLoginSettings::notices()
{
    QCOMPARE(loginsettings::updatedNotice(u"old PORT: 1   NEW PORT: 2\r\n"),
             u"NOTE: Connection information has been updated!\r\nold PORT: 1   NEW PORT: 2\r\n"_s);
    QCOMPARE(loginsettings::notAppliedNotice(u"Login.Inf is empty"),
             u"NOTE: The connection update in LOGIN_UPDATE.INF could not be applied because "
             "Login.Inf is empty; your connection settings are unchanged."_s);
}

QTEST_GUILESS_MAIN(TestLoginSettings)
#include "tst_loginsettings.moc"
