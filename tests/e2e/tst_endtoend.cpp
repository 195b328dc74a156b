// The road of one order, end to end: the real window against the real demo server process on a
// free loopback port, from the login test to the order stored in the server's database.
#include "gui/listcontrol.h"
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/rulerows.h"
#include "support/sqlrows.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

using namespace Qt::StringLiterals;

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void wholeOrderReachesTheServerDatabase_data();
    void wholeOrderReachesTheServerDatabase();

private:
    void inquire(MainForm& f, const QString& part);
    void orderFirstRow(MainForm& f, const QString& quantity);
    QStringList rows(const QString& sql);

    std::unique_ptr<QTemporaryDir> m_serverFolder;
    QProcess m_server;
    quint16 m_port = 0;
};

void TestEndToEnd::init()
{
    m_server.setProcessChannelMode(QProcess::SeparateChannels);
    m_serverFolder = std::make_unique<QTemporaryDir>(); // a new order database for each row
    QStringList arguments{u"--port"_s, u"0"_s, u"--db"_s,
                          m_serverFolder->filePath(u"orders.sqlite"_s)};
    if (column<bool>("keepOpen"))
        arguments << u"--keep-open"_s;
    m_server.start(QStringLiteral(DEMOSERVER_BINARY), arguments);
    QVERIFY(m_server.waitForStarted(5000));
    QRegularExpression listening(u"listening on 127\\.0\\.0\\.1:(\\d+)-"_s);
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += m_server.readAllStandardOutput(),
                              listening.match(QString::fromLatin1(out)).hasMatch()),
                             10000);
    m_port = quint16(listening.match(QString::fromLatin1(out)).captured(1).toUInt());
    QVERIFY(m_port > 0);
}

void TestEndToEnd::cleanup()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate(); // SIGTERM to the process this test started, by its pid
        if (!m_server.waitForFinished(5000))
            m_server.kill();
    }
}

void TestEndToEnd::inquire(MainForm& f, const QString& part)
{
    control<QTabWidget>(f, "SSTab1")->setCurrentIndex(0);
    control<QLineEdit>(f, "Parttxt")->setFocus();
    control<QLineEdit>(f, "Parttxt")->clear();
    QTest::keyClicks(control<QLineEdit>(f, "Parttxt"), part);
    QTest::keyClick(control<QLineEdit>(f, "Parttxt"), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(control<ListControl>(f, "AnswerList")->rowCount() > 0, 10000);
    QCOMPARE(control<ListControl>(f, "AnswerList")->selectedIndex(), 0);
}

void TestEndToEnd::orderFirstRow(MainForm& f, const QString& quantity)
{
    QVERIFY(control<QGroupBox>(f, "ItemOrderFrame")->isEnabled());
    control<QLineEdit>(f, "Qtytxt")->setFocus();
    control<QLineEdit>(f, "Qtytxt")->selectAll();
    QTest::keyClicks(control<QLineEdit>(f, "Qtytxt"), quantity);
    QTest::mouseClick(control<QPushButton>(f, "OrderCmd"), Qt::LeftButton);
}

QStringList TestEndToEnd::rows(const QString& sql)
{
    return sqlRows(m_serverFolder->filePath(u"orders.sqlite"_s), sql);
}

void TestEndToEnd::wholeOrderReachesTheServerDatabase_data()
{
    QTest::addColumn<bool>("keepOpen"); // read by init(), which starts the server
    QTest::newRow("server closes after each reply") << false;
    QTest::newRow("connections kept open: replies end by the close deadline") << true;
}

void TestEndToEnd::wholeOrderReachesTheServerDatabase()
{
    FormFixture fx;
    fx.writeSettings(m_port);
    MainForm& f = fx.start();
    fx.tick(); // the first tick reads the settings
    QCOMPARE(control<QLineEdit>(f, "txtHostAddress")->text(), u"127.0.0.1"_s);
    QCOMPARE(control<QLineEdit>(f, "ServerSocketTxt")->text(), QString::number(m_port));

    // The login test.
    control<QTabWidget>(f, "SSTab1")->setCurrentIndex(2);
    QTest::mouseClick(control<QPushButton>(f, "Testcmd"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(control<QFrame>(f, "PassedPic")->isVisible(), 10000);
    QVERIFY(!control<QFrame>(f, "ErrorPic")->isVisible());

    // Two parts looked up and added to the cart.
    inquire(f, u"ph3600"_s);
    QVERIFY(control<ListControl>(f, "AnswerList")->rowText(0).contains(u"PH3600"_s));
    orderFirstRow(f, u"2"_s);
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(), 1);
    inquire(f, u"PF1234"_s);
    QVERIFY(control<ListControl>(f, "AnswerList")->rowText(0).contains(u"PF1234"_s));
    orderFirstRow(f, u"3"_s);
    QCOMPARE(control<ListControl>(f, "OrderList")->rowCount(), 2);
    QCOMPARE(fx.read(u"MyOrder.dat"_s).count("\r\n"), 2);

    // Sent.
    control<QLineEdit>(f, "OrderInfoTxt", 0)->setText(u"JOE"_s);
    control<QLineEdit>(f, "OrderInfoTxt", 1)->setText(u"PO77"_s);
    control<QLineEdit>(f, "OrderInfoTxt", 2)->setText(u"RUSH"_s);
    fx.prompter.answers << QMessageBox::Yes;
    QTest::mouseClick(control<QPushButton>(f, "SendOrderCmd"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(control<ListControl>(f, "OrderList")->rowCount(), 0, 10000);
    QVERIFY(fx.prompter.shown().contains(u"Order Sent. Note your Order Number > 1001 <"_s));
    QCOMPARE(fx.read(u"MyOrder.dat"_s), QByteArray());
    QCOMPARE(fx.prompter.unanswered, 0);

    QCOMPARE(
        rows(u"SELECT number, account, login, ordered_by, purchase_order, notes FROM orders"_s),
        QStringList{u"1001|1234|JSMITH|JOE|PO77|RUSH"_s});
    const QStringList lines = rows(u"SELECT line, quantity, line_code, part, total_cents "
                                   "FROM order_lines ORDER BY line"_s);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).startsWith(u"1|2|"_s) && lines.at(0).contains(u"|PH3600|"_s),
             qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).startsWith(u"2|3|XYZ|PF1234|"_s), qPrintable(lines.at(1)));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
