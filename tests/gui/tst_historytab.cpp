// The information tab's order history in the window: orders sent against the loopback server are
// listed with their number and lines, found by the filter (the selection staying with the order
// the user chose), placed in the cart again, printed, and asked about before an unconfirmed one
// is sent again; a faulty history file never stops an order.
#include "gui/listcontrol.h"
#include "gui/orderprint.h"
#include "gui/twips.h"
#include "logic/history/orderhistory.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"
#include "support/orderlines.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

const QString HistoryFile = u"OrderHistory.sqlite"_s;

// The quantity-2 order line of a part the test server offers at 12.50.
QString lineFor(const QString& part)
{
    return lineOf(u"2"_s, u"XYZ"_s, part, u"FILTER"_s, u"12.50"_s, QString(), u"25.00"_s);
}

} // namespace

class TestHistoryTab : public FormTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sentOrderIsListedAndSurvivesARestart();
    void orderThatNeverReachedTheServerIsNotListed();
    void filterNarrowsAsTheUserTypes_data();
    void filterNarrowsAsTheUserTypes();
    void selectionStaysWithTheOrderTheUserChose();
    void orderAgainChecksTodaysPrices();
    void unconfirmedOrderAsksBeforeSendingAgain_data();
    void unconfirmedOrderAsksBeforeSendingAgain();
    void sentItemsFoundAtStartAreToldAndAskedAbout_data();
    void sentItemsFoundAtStartAreToldAndAskedAbout();
    void printWritesAPdfWhereNoPrinterIsSetUp();
    void faultWarningWaitsForTheOpenBox();
    void faultyHistoryNeverStopsAnOrder_data();
    void faultyHistoryNeverStopsAnOrder();

private:
    template <class Control> Control* control(const char* name) const
    {
        return ::control<Control>(*m_form, name);
    }
    ListControl* list(const char* name) const { return control<ListControl>(name); }
    ListView* orders() const { return control<ListView>("OrderHistoryList"); }
    // The PO number of the order whose lines are shown.
    QString shownPo() const
    {
        const QStringList rows = list("OrderDetailsList")->rows();
        return rows.isEmpty() ? QString() : rows.last().section(u"PO: "_s, 1).section(u' ', 0, 0);
    }
    // Writes and reads the settings of the test server.
    void connectTo(const LoopbackServer& server);
    // Inquires the part and orders 2 of it; true when the line is in the cart.
    bool addToCart(const QString& part);
    // That, then sends the order with the PO number; true when the order message reached the
    // server (and, when the server confirms, the confirmation emptied the cart).
    bool sendOrder(const QString& part, const QString& po);
    void showHistory();

    MainForm* m_form = nullptr;
    std::unique_ptr<LoopbackServer> m_server;
    int m_nextNumber = 4711;
    bool m_confirm = true;
};

void TestHistoryTab::init()
{
    FormTest::init();
    m_form = &m_fx->start();
    m_server = std::make_unique<LoopbackServer>();
    QVERIFY(m_server->isListening());
    m_nextNumber = 4711;
    m_confirm = true;
    m_server->reply = [this](const QByteArray& request) -> QByteArray {
        if (request.startsWith("<I>"))
            return "<P>,XYZ," + request.split(',').value(3) + ",FILTER,12,19.95,,,12.50,0,0,";
        if (request.startsWith("<O>") && m_confirm)
            return "<O>," + QByteArray::number(m_nextNumber++);
        return {};
    };
    connectTo(*m_server);
}

void TestHistoryTab::cleanup()
{
    FormTest::cleanup();
    m_server.reset();
}

void TestHistoryTab::connectTo(const LoopbackServer& server)
{
    m_fx->pointAt(server.basePort());
    m_fx->prompter.clear();
}

bool TestHistoryTab::addToCart(const QString& part)
{
    control<QTabWidget>("SSTab1")->setCurrentIndex(0);
    auto* partBox = control<QLineEdit>("Parttxt");
    partBox->setFocus();
    partBox->clear();
    QTest::keyClicks(partBox, part);
    QTest::keyClick(partBox, Qt::Key_Return);
    if (!QTest::qWaitFor([&] { return list("AnswerList")->rowCount() == 1; }))
        return false;
    control<QLineEdit>("Qtytxt")->setText(u"2"_s);
    QTest::mouseClick(control<QPushButton>("OrderCmd"), Qt::LeftButton);
    return true;
}

bool TestHistoryTab::sendOrder(const QString& part, const QString& po)
{
    const qsizetype before = m_server->requests.size();
    if (!addToCart(part))
        return false;
    control<QLineEdit>("OrderInfoTxt(0)")->setText(u"JOE"_s);
    control<QLineEdit>("OrderInfoTxt(1)")->setText(po);
    m_fx->prompter.answers << QMessageBox::Yes;
    QTest::mouseClick(control<QPushButton>("SendOrderCmd"), Qt::LeftButton);
    // A confirmed order empties the cart; the next request would drop a confirmation underway.
    return QTest::qWaitFor([&] {
        return m_server->requests.size() == before + 2
            && m_server->requests.last().bytes.startsWith("<O>")
            && (!m_confirm || list("OrderList")->rowCount() == 0);
    });
}

void TestHistoryTab::showHistory()
{
    control<QTabWidget>("SSTab1")->setCurrentIndex(1);
}

void TestHistoryTab::sentOrderIsListedAndSurvivesARestart()
{
    // Neither start-up nor the first tick opens the history.
    QVERIFY(!m_fx->exists(HistoryFile));
    QVERIFY(sendOrder(u"ABC123"_s, u"PO77"_s));
    QTRY_VERIFY(m_fx->prompter.shown().contains(u"Order Sent. Note your Order Number > 4711 <"_s));
    QCOMPARE(list("OrderList")->rowCount(), 0);

    const QString today = QDate::currentDate().toString(u"MM/dd/yy"_s);
    for (int run = 0; run < 2; ++run) {
        showHistory();
        const QStringList rows = orders()->rows();
        QCOMPARE(rows.size(), 1);
        QVERIFY2(rows.first().startsWith(today + u' '), qPrintable(rows.first()));
        QVERIFY2(rows.first().endsWith(u"4711      1     25.00  Confirmed"_s),
                 qPrintable(rows.first()));
        // The newest order is selected at first; the list price comes from the answer row.
        QCOMPARE(orders()->selectedIndex(), 0);
        QCOMPARE(list("OrderDetailsList")->rows(),
                 (QStringList{u"   2  ABC123        FILTER            19.95     25.00"_s,
                              QString(33, u' ') + u"Sub-Total:     25.00"_s,
                              u"By: JOE  PO: PO77  Notes: "_s}));
        // The program ends and starts again.
        m_fx->form.reset();
        m_form = &m_fx->start();
        connectTo(*m_server);
    }
}

void TestHistoryTab::orderThatNeverReachedTheServerIsNotListed()
{
    QVERIFY(addToCart(u"ABC123"_s));
    LoopbackServer refusing(QList<int>{}); // every port refuses
    QVERIFY(refusing.isListening());
    connectTo(refusing);
    m_fx->prompter.answers << QMessageBox::Yes;
    QTest::mouseClick(control<QPushButton>("SendOrderCmd"), Qt::LeftButton);
    QTest::keyClick(control<QPushButton>("SendOrderCmd"), Qt::Key_Escape); // while still trying
    QCOMPARE(control<QLabel>("MessageLbl")->text(),
             u"Stopped: the request was not sent to the server."_s);
    showHistory();
    QCOMPARE(orders()->rowCount(), 0);
    QCOMPARE(list("OrderList")->rowCount(), 1);
}

void TestHistoryTab::filterNarrowsAsTheUserTypes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("numbers"); // the order numbers listed, newest first
    QTest::newRow("nothing typed") << QString() << QStringList{u"4713"_s, u"4712"_s, u"4711"_s};
    QTest::newRow("PO number, other case") << u"po-b"_s << QStringList{u"4712"_s};
    QTest::newRow("part number in one line") << u"pf1"_s << QStringList{u"4713"_s, u"4711"_s};
    QTest::newRow("description") << u"filt"_s << QStringList{u"4713"_s, u"4712"_s, u"4711"_s};
}

void TestHistoryTab::filterNarrowsAsTheUserTypes()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, numbers);
    QVERIFY(sendOrder(u"PF1"_s, u"PO-A"_s));
    QVERIFY(sendOrder(u"GX2"_s, u"PO-B"_s));
    QVERIFY(sendOrder(u"PF10"_s, u"PO-C"_s));
    QTRY_COMPARE(m_nextNumber, 4714);
    QTRY_COMPARE(m_fx->prompter.shown().count(), 6); // three questions, three confirmations
    showHistory();
    auto* filter = control<QLineEdit>("HistoryFilterTxt");
    filter->setFocus();
    QTest::keyClicks(filter, typed);
    QStringList listed;
    for (const QString& row : orders()->rows())
        listed << row.mid(14, 11).trimmed();
    QCOMPARE(listed, numbers);
}

void TestHistoryTab::selectionStaysWithTheOrderTheUserChose()
{
    {
        // Two orders of an earlier run, the older confirmed as 4700.
        OrderHistory earlier(m_fx->folder.path());
        const auto record = [&](const QString& po, const QStringList& lines) {
            return earlier.record(history::orderFromCart(u"1234"_s, u"JSMITH"_s, u"JOE"_s, po, {},
                                                         lines, QDateTime::currentDateTime()));
        };
        earlier.confirm(record(u"PO1"_s, {lineFor(u"ABC123"_s), lineFor(u"PF-9"_s)}), 4700);
        record(u"PO2"_s, {lineFor(u"XY1"_s)});
    }
    showHistory();
    QVERIFY(orders()->rowText(1).endsWith(u"   4700      2     50.00  Confirmed"_s));
    QVERIFY(orders()->rowText(0).endsWith(u"Sent, not confirmed"_s));
    // The newest is selected at first, its lines shown and the buttons ready.
    QCOMPARE(orders()->selectedIndex(), 0);
    QCOMPARE(shownPo(), u"PO2"_s);
    QVERIFY(control<QPushButton>("ReorderCmd")->isEnabled());
    moveFocus(orders());
    QTest::keyClick(orders(), Qt::Key_Down);
    QCOMPARE(list("OrderDetailsList")->rowCount(), 4); // two lines, the sub-total, the fields

    // Filtering keeps the selected order selected while it is still found, else the newest.
    auto* filter = control<QLineEdit>("HistoryFilterTxt");
    moveFocus(filter);
    QTest::keyClicks(filter, u"pf-"_s);
    QCOMPARE(orders()->rowCount(), 1);
    QCOMPARE(orders()->selectedIndex(), 0);
    QCOMPARE(shownPo(), u"PO1"_s);
    QTest::keyClicks(filter, u" nothing like it"_s);
    QCOMPARE(orders()->rowCount(), 0);
    QCOMPARE(list("OrderDetailsList")->rowCount(), 0);
    for (const char* button : {"ReorderCmd", "PrintOrderCmd", "HistoryCsvCmd"})
        QVERIFY2(!control<QPushButton>(button)->isEnabled(), button);
    QTest::keyClick(filter, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(filter, Qt::Key_Backspace);
    QCOMPARE(orders()->selectedIndex(), 1); // the order 4700 once more

    // An order sent meanwhile is recorded and confirmed while the list is in view: it shows at
    // once, the selection and the focus stay where the user left them.
    QVERIFY(addToCart(u"Z9"_s));
    m_fx->prompter.answers << QMessageBox::Yes;
    QTest::mouseClick(control<QPushButton>("SendOrderCmd"), Qt::LeftButton);
    showHistory();
    moveFocus(filter);
    QTRY_VERIFY(orders()->rowText(0).endsWith(u"4711      1     25.00  Confirmed"_s));
    QCOMPARE(orders()->rowCount(), 3);
    QCOMPARE(orders()->selectedIndex(), 2);
    QCOMPARE(shownPo(), u"PO1"_s);
    QCOMPARE(QApplication::focusWidget(), filter);

    // Enter takes the user to the order's lines.
    moveFocus(orders());
    QTest::keyClick(orders(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), list("OrderDetailsList"));
    QCOMPARE(list("OrderDetailsList")->currentRow(), 0);
}

void TestHistoryTab::orderAgainChecksTodaysPrices()
{
    QVERIFY(sendOrder(u"ABC123"_s, u"PO77"_s));
    QTRY_COMPARE(list("OrderList")->rowCount(), 0);
    // A line already in the cart stays in front of the placed ones.
    QVERIFY(addToCart(u"P9"_s));
    // The price has gone up since the order was sent.
    m_server->reply = [](const QByteArray& request) -> QByteArray {
        return "<P>,XYZ," + request.split(',').value(3) + ",FILTER,12,19.95,,,13.00,0,0,";
    };

    showHistory();
    auto* again = control<QPushButton>("ReorderCmd");
    QVERIFY(again->isEnabled()); // the newest order is selected
    QTest::mouseClick(again, Qt::LeftButton);
    auto* pad = m_form->findChild<QDialog*>(u"QuickOrderDlg"_s);
    QVERIFY(pad);
    QTRY_VERIFY(::control<QLabel>(*pad, "ProgressLbl")->text().startsWith(u"Checked"_s));
    QTest::mouseClick(::control<QPushButton>(*pad, "AddToOrderCmd"), Qt::LeftButton);

    const QStringList lines{
        lineFor(u"P9"_s),
        lineOf(u"2"_s, u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"13.00"_s, QString(), u"26.00"_s)};
    QCOMPARE(list("OrderList")->rows(), lines);
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), fileOf(lines));
    QCOMPARE(control<QLabel>("OrderTotalLbl")->text(), u"51.00"_s);
    QCOMPARE(control<QTabWidget>("SSTab1")->currentIndex(), 0);
    QCOMPARE(twips::top(control<QGroupBox>("OrderFrame")), 2900);
    QCOMPARE(control<QLabel>("MessageLbl")->text(), u"1 line added to the order."_s);

    // The order as CSV, offered in the documents folder under its number.
    showHistory();
    m_fx->prompter.fileAnswers << m_fx->folder.filePath(u"o.csv"_s);
    QTest::mouseClick(control<QPushButton>("HistoryCsvCmd"), Qt::LeftButton);
    QVERIFY(m_fx->prompter.fileDialogs.last().endsWith(u"Order 4711.csv"_s));
    QCOMPARE(m_fx->read(u"o.csv"_s),
             QByteArray("Part Number,Quantity,LIN,Description,Net,"
                        "Core,Total\r\nABC123,2,XYZ,FILTER,12.50,0.00,"
                        "25.00\r\n"));
}

void TestHistoryTab::unconfirmedOrderAsksBeforeSendingAgain_data()
{
    QTest::addColumn<bool>("again");
    QTest::newRow("No: nothing is sent") << false;
    QTest::newRow("Yes: sent after the usual question") << true;
}

void TestHistoryTab::unconfirmedOrderAsksBeforeSendingAgain()
{
    QFETCH(bool, again);
    m_confirm = false; // the server takes the order and says nothing
    QVERIFY(sendOrder(u"ABC123"_s, u"PO77"_s));
    // The confirmation is overdue (its connection still waits for it); the cart stays.
    m_fx->clock.advance(ServerLink::OrderOverdueSeconds + 1);
    QCOMPARE(list("OrderList")->rowCount(), 1);
    m_fx->prompter.clear();
    const qsizetype sent = m_server->requests.size();

    m_fx->prompter.answers << (again ? QMessageBox::Yes : QMessageBox::No);
    if (again)
        m_fx->prompter.answers << QMessageBox::Yes;
    QTest::mouseClick(control<QPushButton>("SendOrderCmd"), Qt::LeftButton);
    const QStringList shown = m_fx->prompter.shown();
    QVERIFY(!shown.isEmpty());
    QVERIFY2(QRegularExpression(u"^This order was sent at \\d\\d:\\d\\d and has not been "
                                "confirmed yet\\. Send it again\\?$"_s)
                 .match(shown.first())
                 .hasMatch(),
             qPrintable(shown.first()));
    if (!again) {
        // Without "Send This Order Now ?" nothing can have been sent.
        QCOMPARE(shown.size(), 1);
        return;
    }
    QCOMPARE(shown.value(1), u"Send This Order Now ?"_s);
    QTRY_COMPARE(m_server->requests.size(), sent + 1);
    QCOMPARE(m_server->requests.last().bytes, m_server->requests.at(sent - 1).bytes);
}

void TestHistoryTab::sentItemsFoundAtStartAreToldAndAskedAbout_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("note");     // what start-up says before offering the items
    QTest::addColumn<QString>("question"); // what SEND ORDER asks, after the time
    QTest::newRow("never confirmed: the program ended")
        << false << u" and not confirmed"_s << u" and has not been confirmed yet. Send it again?"_s;
    QTest::newRow("confirmed, MyOrder.dat not emptied")
        << true << u" (order 4711)"_s << u" and confirmed as order 4711. Send it again?"_s;
}

void TestHistoryTab::sentItemsFoundAtStartAreToldAndAskedAbout()
{
    QFETCH(bool, confirmed);
    QFETCH(QString, note);
    QFETCH(QString, question);
    m_confirm = confirmed;
    QVERIFY(sendOrder(u"ABC123"_s, u"PO77"_s));
    if (confirmed) {
        QTRY_VERIFY(
            m_fx->prompter.shown().contains(u"Order Sent. Note your Order Number > 4711 <"_s));
        // As when the program ended while "Order Sent" was open: the items are still saved.
        m_fx->write(u"MyOrder.dat"_s, fileOf({lineFor(u"ABC123"_s)}));
    }
    // The program ends and starts again; its first tick reads the settings, offers the items.
    m_fx->form.reset();
    m_form = &m_fx->start();
    m_fx->prompter.clear();
    m_fx->prompter.answers << QMessageBox::Yes; // KEEP these items
    m_fx->tick();
    const QStringList shown = m_fx->prompter.shown();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(QRegularExpression(u"^These items were sent on \\d\\d/\\d\\d/\\d\\d at "
                                "\\d\\d:\\d\\d"_s
                                + QRegularExpression::escape(note) + u'$')
                 .match(shown.first())
                 .hasMatch(),
             qPrintable(shown.first()));
    QCOMPARE(shown.last(), u"Do you want to KEEP these items?"_s);

    // The order fields are empty now, and the same lines are asked about all the same.
    m_fx->prompter.clear();
    const qsizetype sent = m_server->requests.size();
    m_fx->prompter.answers << QMessageBox::No;
    QTest::mouseClick(control<QPushButton>("SendOrderCmd"), Qt::LeftButton);
    QCOMPARE(m_fx->prompter.shown().size(), 1);
    QVERIFY2(m_fx->prompter.shown().first().endsWith(question),
             qPrintable(m_fx->prompter.shown().first()));
    QCOMPARE(m_server->requests.size(), sent);
}

void TestHistoryTab::printWritesAPdfWhereNoPrinterIsSetUp()
{
    if (orderprint::printerSetUp())
        QSKIP("a printer is set up here: the print dialog would open");
    QVERIFY(sendOrder(u"ABC123"_s, u"PO77"_s));
    QTRY_COMPARE(list("OrderList")->rowCount(), 0);
    showHistory();
    // The name chosen without its ending gets ".pdf"; the dialog opens among the documents.
    m_fx->prompter.fileAnswers << m_fx->folder.filePath(u"Order-4711"_s);
    QTest::mouseClick(control<QPushButton>("PrintOrderCmd"), Qt::LeftButton);
    QCOMPARE(m_fx->prompter.fileDialogs.size(), 1);
    const QString offered = m_fx->prompter.fileDialogs.first().section(u'|', 2);
    QCOMPARE(QFileInfo(offered).fileName(), u"Order-4711.pdf"_s);
    QVERIFY2(!offered.startsWith(m_fx->folder.path()), qPrintable(offered));
    QVERIFY(m_fx->read(u"Order-4711.pdf"_s).startsWith("%PDF"));
}

void TestHistoryTab::faultWarningWaitsForTheOpenBox()
{
    // At start the saved items are looked up in a damaged history, just before the question.
    m_fx->write(HistoryFile, QByteArray(2048, 'x'));
    m_fx->write(u"MyOrder.dat"_s, fileOf({lineFor(u"ABC123"_s)}));
    m_fx->form.reset();
    m_form = &m_fx->start();
    m_fx->prompter.clear();
    m_fx->prompter.whileOpen = [] { QCoreApplication::processEvents(); };
    m_fx->prompter.answers << QMessageBox::Yes;
    m_fx->tick(); // the settings read, then the saved items looked up and offered
    QTRY_COMPARE(m_fx->prompter.shown().size(), 2);
    QCOMPARE(m_fx->prompter.shown().first(), u"Do you want to KEEP these items?"_s);
    QVERIFY(m_fx->prompter.shown().last().contains(u"was damaged"_s));
    QCOMPARE(m_fx->prompter.deepest, 1); // the warning came after the question, not over it
}

void TestHistoryTab::faultyHistoryNeverStopsAnOrder_data()
{
    QTest::addColumn<bool>("damaged"); // otherwise a folder stands where the file would be
    QTest::addColumn<QString>("told");
    QTest::addColumn<int>("listed");
    QTest::newRow("damaged file") << true << u"was damaged"_s << 2;
    QTest::newRow("file cannot be opened") << false << u"cannot be opened or written"_s << 0;
}

void TestHistoryTab::faultyHistoryNeverStopsAnOrder()
{
    QFETCH(bool, damaged);
    QFETCH(QString, told);
    QFETCH(int, listed);
    if (damaged)
        m_fx->write(HistoryFile, QByteArray(2048, 'x'));
    else
        QVERIFY(QDir(m_fx->folder.path()).mkdir(HistoryFile));
    for (const int number : {4711, 4712}) {
        // Other lines each time: the same lines again would be asked about.
        QVERIFY(sendOrder(u"ABC"_s + QString::number(number), u"PO77"_s));
        QTRY_VERIFY(m_fx->prompter.shown().contains(u"Order Sent. Note your Order Number > "_s
                                                    + QString::number(number) + u" <"_s));
        QCOMPARE(list("OrderList")->rowCount(), 0);
        QCOMPARE(m_fx->read(u"MyOrder.dat"_s), QByteArray());
    }
    QTRY_COMPARE(m_fx->prompter.shown().filter(u"OrderHistory.sqlite"_s).size(), 1);
    const QStringList troubles = m_fx->prompter.shown().filter(u"OrderHistory.sqlite"_s);
    QVERIFY2(troubles.first().contains(told), qPrintable(troubles.first()));
    showHistory();
    QCOMPARE(orders()->rowCount(), listed);
}

QTEST_MAIN(TestHistoryTab)
#include "tst_historytab.moc"
