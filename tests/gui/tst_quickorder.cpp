// The quick-order pad in the window against the loopback server: a pasted list checked and added
// as ORDER adds lines, the check stopped and the pad closed with Escape, lists opened from files,
// the cart saved as CSV and read back, and every control named for assistive technology.
#include "gui/listcontrol.h"
#include "gui/twips.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"
#include "support/orderlines.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

QByteArray answerFor(const QByteArray& part)
{
    if (part == "PF1234")
        return "<P>,XYZ,PF1234,OIL FILTER,12,8.95,,,5.37,0,0,<S>,XYZ,PF1234A,OIL "
               "FILTER,0,9.49,,,5.69,0,0,<V>,23.07.13";
    if (part == "PF1100")
        return "<NS>,XYZ,PF1100,OIL FILTER,0,7.95,,,4.77,0,0,DISCONTINUED<S>,QRS,B7721,OIL "
               "FILTER HD,3,24.10,,,14.46,15,1.5,SHIPS FROM MAIN DC<V>,23.07.13";
    if (part == "B7721")
        return "<P>,QRS,B7721,OIL FILTER HD,3,24.10,,,14.46,15,1.5,SHIPS FROM MAIN DC";
    return "<NF>," + part;
}

// What ORDER makes of 2 of PF1234 and 3 of B7721 (net 14.46, core and environmental 16.50).
const QStringList OrderedLines{
    lineOf(u"2"_s, u"XYZ"_s, u"PF1234"_s, u"OIL FILTER"_s, u"5.37"_s, QString(), u"10.74"_s),
    lineOf(u"3"_s, u"QRS"_s, u"B7721"_s, u"OIL FILTER HD"_s, u"14.46"_s, u"16.50"_s, u"92.88"_s)};

} // namespace

class TestQuickOrder : public FormTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pastedListCheckedAndAdded();
    void escapeStopsTheCheckThenCloses();
    void listFiles_data();
    void listFiles();
    void everyControlIsNamed();

private:
    QDialog* openPad();
    QDialog* pad() const { return m_form->findChild<QDialog*>(u"QuickOrderDlg"_s); }
    template <class Control> Control* padControl(const char* name) const
    {
        return ::control<Control>(*pad(), name);
    }
    void paste(const QString& text);
    bool checked() const;

    MainForm* m_form = nullptr;
    std::unique_ptr<LoopbackServer> m_server;
};

void TestQuickOrder::init()
{
    FormTest::init();
    m_form = &m_fx->start();
    m_server = std::make_unique<LoopbackServer>();
    QVERIFY(m_server->isListening());
    m_server->reply = [](const QByteArray& request) {
        return answerFor(request.split(',').value(3));
    };
    m_fx->pointAt(m_server->basePort());
    m_fx->prompter.clear();
}

void TestQuickOrder::cleanup()
{
    FormTest::cleanup();
    m_server.reset();
}

QDialog* TestQuickOrder::openPad()
{
    QTest::mouseClick(control<QPushButton>(*m_form, "QuickOrderCmd"), Qt::LeftButton);
    return pad();
}

void TestQuickOrder::paste(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::mouseClick(padControl<QPushButton>("PasteCmd"), Qt::LeftButton);
}

bool TestQuickOrder::checked() const
{
    return padControl<QLabel>("ProgressLbl")->text().startsWith(u"Checked"_s);
}

void TestQuickOrder::pastedListCheckedAndAdded()
{
    QVERIFY(openPad());
    QVERIFY(pad()->isVisible());
    QCOMPARE(pad()->windowModality(), Qt::WindowModal);
    paste(u"Part\tQty\r\npf1234\t2\r\nPF1100\t3\r\nZZ9\t1\r\nBAD<1\t2\r\n"_s);
    auto* table = padControl<QTableWidget>("QuickOrderTable");
    QCOMPARE(table->rowCount(), 4);

    QTest::mouseClick(padControl<QPushButton>("CheckCmd"), Qt::LeftButton);
    QTRY_VERIFY(checked());
    // The invalid line is never sent; the window's own reply steps never ran.
    QCOMPARE(m_server->requests.size(), 3);
    QCOMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 0);
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), QString());
    const auto status = [table](int row) { return table->item(row, 2)->text(); };
    QCOMPARE(status(0), u"Found"_s);
    QCOMPARE(status(1), u"Superseded by B7721 (LIN QRS): accept it to order"_s);
    QCOMPARE(status(2), u"Not found"_s);
    QCOMPARE(status(3), u"Invalid: Part number holds <, which cannot be sent"_s);

    // The superseding part is accepted for its line; 3 is what it has available.
    table->setCurrentCell(1, 0);
    auto* choice = padControl<QComboBox>("ChoiceCmb");
    QVERIFY(choice->isEnabled());
    QTest::keyClick(choice, Qt::Key_Down);
    QCOMPARE(status(1), u"Superseded: B7721 (LIN QRS) accepted"_s);

    QTest::mouseClick(padControl<QPushButton>("AddToOrderCmd"), Qt::LeftButton);
    QTRY_VERIFY(!pad());
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rows(), OrderedLines);
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), fileOf(OrderedLines));
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 2"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u"103.62"_s);
    QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), 2900);
    QCOMPARE(m_fx->prompter.shown(),
             QStringList{u"2 lines added to the order.\n\nNot added:\nZZ9 x 1: Not found\n"
                         "BAD<1 x 2: Invalid: Part number holds <, which cannot be sent"_s});

    // Save as CSV, and the pad reads the file back with its LIN codes.
    const QString csv = m_fx->folder.filePath(u"order.csv"_s);
    m_fx->prompter.fileAnswers << csv;
    QTest::mouseClick(control<QPushButton>(*m_form, "SaveCsvCmd"), Qt::LeftButton);
    QFile saved(csv);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(),
             QByteArray("Part Number,Quantity,LIN,Description,Net,Core,Total\r\n"
                        "PF1234,2,XYZ,OIL FILTER,5.37,0.00,10.74\r\n"
                        "B7721,3,QRS,OIL FILTER HD,14.46,16.50,92.88\r\n"));
    QVERIFY(openPad());
    m_fx->prompter.fileAnswers << csv;
    QTest::mouseClick(padControl<QPushButton>("OpenListCmd"), Qt::LeftButton);
    table = padControl<QTableWidget>("QuickOrderTable");
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(1, 0)->text() + u' ' + table->item(1, 1)->text() + u' '
                 + table->item(1, 3)->text(),
             u"B7721 3 QRS"_s);
}

void TestQuickOrder::escapeStopsTheCheckThenCloses()
{
    // PF1234 is answered and the connection closed; the server never answers ZZ9 or ZZ8.
    m_server->closeAfterReply = true;
    m_server->reply = [](const QByteArray& request) -> QByteArray {
        return request.endsWith("PF1234") ? answerFor("PF1234") : QByteArray();
    };
    QVERIFY(openPad());
    paste(u"ZZ9\nPF1234\nZZ8"_s);
    QTest::mouseClick(padControl<QPushButton>("CheckCmd"), Qt::LeftButton);
    QTRY_COMPARE(padControl<QTableWidget>("QuickOrderTable")->item(1, 2)->text(), u"Found"_s);
    QCOMPARE(padControl<QLabel>("ProgressLbl")->text(), u"Looking up 3 of 3"_s);

    QTest::keyClick(pad(), Qt::Key_Escape);
    QVERIFY(pad());
    QCOMPARE(padControl<QLabel>("ProgressLbl")->text(),
             u"Check stopped: 1 of 3 lines ready to add"_s);
    QCOMPARE(padControl<QTableWidget>("QuickOrderTable")->item(0, 2)->text(), u"Not checked"_s);
    QCOMPARE(padControl<QTableWidget>("QuickOrderTable")->item(1, 2)->text(), u"Found"_s);
    QTest::keyClick(pad(), Qt::Key_Escape);
    QTRY_VERIFY(!pad());
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 0);
}

void TestQuickOrder::listFiles_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no such file
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("told");
    QTest::newRow("binary file refused, named")
        << QByteArray("\x89PNG\r\n\x1A\n\0\0", 10) << 0
        << u"The file list.txt is not a list of parts: it holds binary data, not text. Please "
           "save the list as CSV or as text and open that."_s;
    QTest::newRow("unreadable file named")
        << QByteArray() << 0 << u"The file list.txt could not be read."_s;
    QByteArray many;
    for (int i = 0; i < 501; ++i)
        many += "P" + QByteArray::number(i) + ";1\r\n";
    QTest::newRow("501 lines cut to 500")
        << many << 500
        << u"The file list.txt holds 501 lines; the quick order takes 500 at most, so the last 1 "
           "were left out."_s;
}

void TestQuickOrder::listFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rows);
    QFETCH(QString, told);
    if (!bytes.isEmpty())
        m_fx->write(u"list.txt"_s, bytes);
    QVERIFY(openPad());
    m_fx->prompter.fileAnswers << m_fx->folder.filePath(u"list.txt"_s);
    QTest::mouseClick(padControl<QPushButton>("OpenListCmd"), Qt::LeftButton);
    QCOMPARE(padControl<QTableWidget>("QuickOrderTable")->rowCount(), rows);
    QCOMPARE(m_fx->prompter.shown(), QStringList{told});
    QVERIFY(m_fx->prompter.fileDialogs.first().startsWith(u"open|Open a List of Parts|"_s));
}

void TestQuickOrder::everyControlIsNamed()
{
    QVERIFY(openPad());
    paste(u"PF1234,2"_s);
    for (QWidget* widget : pad()->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(u"qt_"_s))
            continue;
        QVERIFY2(!widget->accessibleDescription().isEmpty(), qPrintable(widget->objectName()));
        if (!qobject_cast<QLabel*>(widget)) // a changing caption speaks for itself
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
    }
    // A screen reader reads each cell of the table.
    QAccessibleInterface* table =
        QAccessible::queryAccessibleInterface(padControl<QTableWidget>("QuickOrderTable"));
    QVERIFY(table && table->tableInterface());
    QAccessibleInterface* cell = table->tableInterface()->cellAt(0, 1);
    QVERIFY(cell);
    QCOMPARE(cell->text(QAccessible::Name), u"2"_s);
}

QTEST_MAIN(TestQuickOrder)
#include "tst_quickorder.moc"
