// The shell's pure rules: trace records, help texts, shortcut.inf and the desktop launcher.
#include "core/shellrules.h"
#include "support/rulerows.h"

#include <QTest>

using namespace Qt::StringLiterals;
using shellrules::Help;

Q_DECLARE_METATYPE(Help)

class TestShellRules : public QObject
{
    Q_OBJECT

private slots:
    void traceRecord_data();
    void traceRecord();
    void traceTimeFormat_data();
    void traceTimeFormat() { compareRule<QString>(shellrules::traceTimeFormat); }
    void helpText_data();
    void helpText() { compareRule<Help>(shellrules::helpText); }
    void readShortcutInfo_data();
    void readShortcutInfo();
    void launcherFileName_data();
    void launcherFileName() { compareRule<QString>(shellrules::launcherFileName); }
    void execArgument_data();
    void execArgument() { compareRule<QString>(shellrules::execArgument); }
    void launcherText();
};

void TestShellRules::traceRecord_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("inquiry") << u"<I>,1234,JSMITH,PH3600"_s
                             << QByteArray("----------------\r\n13/07/2023 ^ 10:00:00\r\n"
                                           "\"<I>,1234,JSMITH,PH3600\"\r\n");
    QTest::newRow("CR LF inside kept: more than three lines")
        << u"<O>,1\r\n<P> 2"_s
        << QByteArray("----------------\r\n13/07/2023 ^ 10:00:00\r\n\"<O>,1\r\n<P> 2\"\r\n");
    QTest::newRow("quotes inside not escaped")
        << u"a\"b"_s << QByteArray("----------------\r\n13/07/2023 ^ 10:00:00\r\n\"a\"b\"\r\n");
    QTest::newRow("empty request")
        << QString() << QByteArray("----------------\r\n13/07/2023 ^ 10:00:00\r\n\"\"\r\n");
    QTest::newRow("8-bit code page")
        << u"caf\u00e9"_s
        << QByteArray("----------------\r\n13/07/2023 ^ 10:00:00\r\n\"caf\xe9\"\r\n");
}

void TestShellRules::traceRecord()
{
    QFETCH(QString, request);
    QFETCH(QByteArray, expected);
    QCOMPARE(shellrules::traceRecord(u"13/07/2023", u"10:00:00", request), expected);
}

void TestShellRules::traceTimeFormat_data()
{
    addRuleColumns<QString>();
    QTest::newRow("zone after the time") << u"HH:mm:ss t"_s << u"HH:mm:ss"_s;
    QTest::newRow("zone before the time") << u"t HH:mm:ss"_s << u"HH:mm:ss"_s;
    QTest::newRow("long zone name between") << u"h:mm:ss tttt AP"_s << u"h:mm:ss AP"_s;
    QTest::newRow("quoted t is text") << u"HH 'till' mm t"_s << u"HH 'till' mm"_s;
    QTest::newRow("no zone: unchanged") << u"HH:mm:ss"_s << u"HH:mm:ss"_s;
    QTest::newRow("narrow no-break space before AM/PM, with a zone")
        << u"h:mm:ss\u202FAP\u202Ft"_s << u"h:mm:ss AP"_s;
    QTest::newRow("no-break spaces, quoted one too")
        << u"HH\u00A0mm\u00A0ss'\u00A0h'"_s << u"HH mm ss' h'"_s;
}

void TestShellRules::helpText_data()
{
    addRuleColumns<Help>();
    QTest::newRow("A business name")
        << Help::BusinessName
        << u"Provide your business name. This identifies you to your supplier when making an "
           "order. There is no specific requirements for this field."_s;
    QTest::newRow("B account number")
        << Help::AccountNumber
        << u"Provide your ACCOUNT NUMBER assigned to you by your supplier. This is part of your "
           "Login identity and MUST be exactly as provided to you."_s;
    QTest::newRow("C login name")
        << Help::LoginName
        << u"Provide the LOGIN name assigned to you by your supplier. This is part of your Login "
           "identity and MUST be exactly as provided to you."_s;
    QTest::newRow("D host: no blank after supplier.")
        << Help::HostAddress
        << u"Provide either the IP address -or- the Dynamic URL of the server of your "
           "supplier.NOTE: if using an IP address you MUST have four groups of numbers separated "
           "by periods '.'"_s;
    QTest::newRow("E PO options")
        << Help::PoOptions
        << u"If you use Purchase Order Numbers when placing orders, check this box. If you have "
           "a continuous PO# (Standing PO#), check BOTH boxes and provide the PO# in the box "
           "below."_s;
    QTest::newRow("F rep name: placingOrders, theycan")
        << Help::RepName
        << u"If you prefer that employees of your business provide their name when "
           "placingOrders, check this box and they will be prompted for their name before "
           "theycan finish sending an order to your supplier."_s;
    QTest::newRow("G standing PO")
        << Help::StandingPo
        << u"If you use a continuous single PO#, provide it here and ensure that you check BOTH "
           "boxes above."_s;
}

void TestShellRules::readShortcutInfo_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("made");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("name");
    QTest::newRow("three lines") << QByteArray("Target=vornik\r\nDir=x\r\nName=Parts Desk\r\n")
                                 << true << u"vornik"_s << u"Parts Desk"_s;
    QTest::newRow("blanks around values trimmed")
        << QByteArray("T=  bin/vornik  \r\nx\r\nN=  Desk \r\n") << true << u"bin/vornik"_s
        << u"Desk"_s;
    QTest::newRow("tab is not a blank")
        << QByteArray("T=\tv\r\nx\r\nN=n\r\n") << true << u"\tv"_s << u"n"_s;
    QTest::newRow("value after the first = only")
        << QByteArray("T=a=b\r\nx\r\nN==c\r\n") << true << u"a=b"_s << u"=c"_s;
    QTest::newRow("line 1 begins with =: stops")
        << QByteArray("=vornik\r\nx\r\nN=Desk\r\n") << false << QString() << QString();
    QTest::newRow("line 1 without =: stops")
        << QByteArray("vornik\r\nx\r\nN=Desk\r\n") << false << QString() << QString();
    QTest::newRow("empty line 3 value gives Vornik")
        << QByteArray("T=vornik\r\nx\r\nName=\r\n") << true << u"vornik"_s << u"Vornik"_s;
    QTest::newRow("line 3 beginning with = gives Vornik")
        << QByteArray("T=vornik\r\nx\r\n=Desk\r\n") << true << u"vornik"_s << u"Vornik"_s;
    QTest::newRow("empty line 3 gives Vornik")
        << QByteArray("T=vornik\r\nx\r\n\r\n") << true << u"vornik"_s << u"Vornik"_s;
    QTest::newRow("no line end after line 3")
        << QByteArray("T=v\r\nx\r\nN=d") << true << u"v"_s << u"d"_s;
    QTest::newRow("two lines: stops")
        << QByteArray("T=vornik\r\nN=Desk\r\n") << false << QString() << QString();
    QTest::newRow("shorter than 5 bytes") << QByteArray("T=v\n") << false << QString() << QString();
    QTest::newRow("empty") << QByteArray() << false << QString() << QString();
    QTest::newRow("8-bit name") << QByteArray("T=v\r\nx\r\nN=Caf\xe9\r\n") << true << u"v"_s
                                << u"Caf\u00e9"_s;
}

void TestShellRules::readShortcutInfo()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, made);
    QFETCH(QString, target);
    QFETCH(QString, name);
    const auto info = shellrules::readShortcutInfo(content);
    QCOMPARE(info.has_value(), made);
    if (info) {
        QCOMPARE(info->target, target);
        QCOMPARE(info->name, name);
    }
}

void TestShellRules::launcherFileName_data()
{
    addRuleColumns<QString>();
    QTest::newRow("plain") << u"Vornik"_s << u"Vornik.desktop"_s;
    QTest::newRow("blank kept") << u"Parts Desk"_s << u"Parts Desk.desktop"_s;
    QTest::newRow("slash cannot leave the folder") << u"../../x"_s << u"..-..-x.desktop"_s;
}

void TestShellRules::execArgument_data()
{
    addRuleColumns<QString>();
    QTest::newRow("plain path") << u"/opt/vornik/vornik"_s << u"\"/opt/vornik/vornik\""_s;
    QTest::newRow("blank") << u"/opt/my parts/vornik"_s << u"\"/opt/my parts/vornik\""_s;
    QTest::newRow("double quote") << u"/a\"b"_s << u"\"/a\\\\\"b\""_s;
    QTest::newRow("dollar") << u"/a$b"_s << u"\"/a\\\\$b\""_s;
    QTest::newRow("backtick") << u"/a`b"_s << u"\"/a\\\\`b\""_s;
    QTest::newRow("backslash: four") << u"/a\\b"_s << u"\"/a\\\\\\\\b\""_s;
    QTest::newRow("percent is no field code") << u"/100%/v"_s << u"\"/100%%/v\""_s;
    QTest::newRow("line feed stays on the line") << u"/a\nb"_s << u"\"/a\\nb\""_s;
}

void TestShellRules::launcherText()
{
    QCOMPARE(shellrules::launcherText(u"Parts Desk", u"/opt/my parts/vornik", u"/opt/my parts/",
                                      u"/opt/my parts/vornik.png"),
             u"[Desktop Entry]\nType=Application\nName=Parts Desk\n"
             "Exec=\"/opt/my parts/vornik\"\nPath=/opt/my parts/\nTerminal=false\n"
             "Icon=/opt/my parts/vornik.png\n"_s);
    QCOMPARE(shellrules::launcherText(u"A\\B", u"/v", u"/", u""),
             u"[Desktop Entry]\nType=Application\nName=A\\\\B\nExec=\"/v\"\nPath=/\n"
             "Terminal=false\n"_s);
}

QTEST_GUILESS_MAIN(TestShellRules)
#include "tst_shellrules.moc"
