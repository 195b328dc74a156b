// The order side of the window: the two sliding panels, the order-entry panel, the cart and
// MyOrder.dat, the order message and its confirmation.
#include "core/text.h"
#include "gui/listcontrol.h"
#include "gui/twips.h"
#include "logic/link/serverlink.h"
#include "support/controls.h"
#include "support/formfixture.h"
#include "support/loopbackserver.h"
#include "support/orderlines.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

// An answer row in the 73-column layout of the answer list.
QString answerRow(const QString& lin, const QString& part, const QString& description,
                  const QString& net, const QString& charge = QString())
{
    return u"*      "_s + text::padRight(lin, 4) + text::padRight(part, 13)
        + text::padRight(description, 17) + text::padLeft(u"99.99"_s, 9) + text::padLeft(net, 8)
        + text::padLeft(charge, 8) + u"     12"_s;
}

const QString FilterRow = answerRow(u"XYZ"_s, u"ABC123"_s, u"FILTER"_s, u"12.50"_s);
const QString PumpRow = answerRow(u"AB"_s, u"P1"_s, u"PUMP"_s, u"10.00"_s, u"5.00"_s);
const QString NotStockedRow = u"*      "_s + text::padRight(u"XYZ"_s, 4)
    + text::padRight(u"PF99"_s, 13) + text::padRight(u"AIR FILTER"_s, 17)
    + u"  **  number not stocked  **"_s;

// The quantity-2 line of the filter: three blanks and 2; a blank; XYZ and a blank; ABC123 and
// seven blanks; FILTER and eleven blanks; three blanks and 12.50; eight blanks; six blanks and
// 25.00.
const QString FilterLine = u"   2"_s + u" "_s + u"XYZ "_s + u"ABC123"_s + QString(7, u' ')
    + u"FILTER"_s + QString(11, u' ') + u"   12.50"_s + QString(8, u' ') + QString(6, u' ')
    + u"25.00"_s;

// The pump's order line for a quantity and its total.
QString pumpLine(const QString& quantity, const QString& total)
{
    return text::padLeft(quantity, 4) + u" AB  P1           PUMP                10.00    5.00"_s
        + text::padLeft(total, 11);
}

} // namespace

class TestOrdering : public FormTest
{
    Q_OBJECT

private slots:
    void init();
    void slides_data();
    void slides();
    void quantityFocus_data();
    void quantityFocus();
    void orderFieldsCleanedOnFocusLoss();
    void standingPoCopiedByOrder_data();
    void standingPoCopiedByOrder();
    void addLine_data();
    void addLine();
    void quantityTooWideIsRefused_data();
    void quantityTooWideIsRefused();
    void unorderableRowAddsNothing();
    void removeItem();
    void removeAll_data();
    void removeAll();
    void savedOrderAtStart_data();
    void savedOrderAtStart();
    void mandatoryFields_data();
    void mandatoryFields();
    void orderMessageArrivesOnPortThree();
    void badPortIsTold();
    void confirmation_data();
    void confirmation();
    void sentOrderLeftInTheFileIsTold();
    void confirmationAfterALaterRequest();
    void overdueConfirmationIsToldAndAskedAtClose();

private:
    // INQUIRY with the part field empty: the answer list comes into view.
    void showAnswerList();
    // Puts rows into the answer list, brings it into view and selects one.
    void showAnswer(const QStringList& rows, int selected = 0);
    // Selects the answer row (the filter row when the list is empty), brings the list into view
    // when it is not, types the quantity and clicks ORDER.
    void order(const QString& quantity, int selected = 0);
    // Clicks SEND ORDER with its questions answered Yes.
    void send(int questions = 1);

    MainForm* m_form = nullptr;
};

void TestOrdering::init()
{
    FormTest::init();
    m_form = &m_fx->start();
    m_fx->prompter.clear();
    m_fx->clock.pauses.clear();
    m_fx->sounds.played.clear();
}

void TestOrdering::showAnswerList()
{
    control<QLineEdit>(*m_form, "Parttxt")->clear();
    QTest::mouseClick(control<QPushButton>(*m_form, "InquiryCmd"), Qt::LeftButton);
}

void TestOrdering::showAnswer(const QStringList& rows, int selected)
{
    auto* answers = control<ListControl>(*m_form, "AnswerList");
    answers->clear();
    for (const QString& row : rows)
        answers->addRow(row);
    showAnswerList();
    answers->setSelectedIndex(selected);
}

void TestOrdering::order(const QString& quantity, int selected)
{
    auto* answers = control<ListControl>(*m_form, "AnswerList");
    if (answers->rowCount() == 0)
        answers->addRow(FilterRow);
    if (twips::left(answers) <= 0)
        showAnswerList();
    answers->setSelectedIndex(selected);
    control<QLineEdit>(*m_form, "Qtytxt")->setText(quantity);
    QTest::mouseClick(control<QPushButton>(*m_form, "OrderCmd"), Qt::LeftButton);
}

void TestOrdering::send(int questions)
{
    for (int i = 0; i < questions; ++i)
        m_fx->prompter.answers << QMessageBox::Yes;
    QTest::mouseClick(control<QPushButton>(*m_form, "SendOrderCmd"), Qt::LeftButton);
}

void TestOrdering::slides_data()
{
    // Steps: "list" INQUIRY with the part field empty, "part" the focus into the part field,
    // "view" the View Order button. Only the last step's pauses are counted.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("listLeft");
    QTest::addColumn<int>("frameTop");
    QTest::addColumn<bool>("itemOrderEnabled");
    QTest::addColumn<int>("pauses"); // 0.01 s steps of the last step
    QTest::newRow("answer list in view at once")
        << QStringList{u"list"_s} << 290 << 8500 << true << 0;
    QTest::newRow("answer list out, animated in 11 steps")
        << QStringList{u"list"_s, u"part"_s} << -14000 << 8500 << true << 11;
    QTest::newRow("at start the answer list is out and the frame down: nothing moves")
        << QStringList{u"part"_s} << -14000 << 8500 << false << 0;
    QTest::newRow("order frame up from below in 8 steps")
        << QStringList{u"view"_s} << -14000 << 2900 << false << 8;
    QTest::newRow("order frame over the answer list: list out first, then frame up")
        << QStringList{u"list"_s, u"view"_s} << -14000 << 2900 << false << 19;
    QTest::newRow("answer list over the order frame drops the frame at once")
        << QStringList{u"view"_s, u"list"_s} << 290 << 8500 << true << 0;
    QTest::newRow("View Order with the frame up does not move it")
        << QStringList{u"view"_s, u"view"_s} << -14000 << 2900 << false << 0;
}

void TestOrdering::slides()
{
    QFETCH(QStringList, steps);
    QFETCH(int, listLeft);
    QFETCH(int, frameTop);
    QFETCH(bool, itemOrderEnabled);
    QFETCH(int, pauses);
    auto* part = control<QLineEdit>(*m_form, "Parttxt");
    for (const QString& step : steps) {
        m_fx->clock.pauses.clear();
        if (step == u"list"_s) {
            showAnswerList();
        } else if (step == u"part"_s) {
            moveFocus(control<QPushButton>(*m_form, "InquiryCmd"));
            moveFocus(part);
        } else {
            part->setText(u"PH3600"_s);
            QTest::mouseClick(control<QPushButton>(*m_form, "ViewOrderCmd"), Qt::LeftButton);
        }
    }
    QCOMPARE(twips::left(control<ListControl>(*m_form, "AnswerList")), listLeft);
    QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), frameTop);
    QCOMPARE(twips::top(control<ListControl>(*m_form, "AnswerList")), 3000);
    QCOMPARE(control<QGroupBox>(*m_form, "ItemOrderFrame")->isEnabled(), itemOrderEnabled);
    QCOMPARE(m_fx->clock.pauses, QList<int>(pauses, 10));
    // Bringing the order frame up always empties the part number.
    if (steps.last() == u"view"_s)
        QCOMPARE(part->text(), QString());
}

void TestOrdering::quantityFocus_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterFocusIn");
    QTest::addColumn<QString>("afterFocusOut");
    QTest::newRow("default 1 blanked, restored") << u" 1"_s << u" "_s << u" 1"_s;
    QTest::newRow("1.0 is 1 too") << u"1.0"_s << u" "_s << u" 1"_s;
    QTest::newRow("3 stays both ways") << u"3"_s << u"3"_s << u"3"_s;
    QTest::newRow("empty becomes 1") << QString() << QString() << u" 1"_s;
    QTest::newRow("letters become 1") << u"abc"_s << u"abc"_s << u" 1"_s;
    QTest::newRow("below 1 becomes 1") << u"0.5"_s << u"0.5"_s << u" 1"_s;
    QTest::newRow("1.5 stays") << u"1.5"_s << u"1.5"_s << u"1.5"_s;
}

void TestOrdering::quantityFocus()
{
    QFETCH(QString, typed);
    QFETCH(QString, afterFocusIn);
    QFETCH(QString, afterFocusOut);
    showAnswerList(); // the order-entry panel is enabled with it
    auto* quantity = control<QLineEdit>(*m_form, "Qtytxt");
    auto* elsewhere = control<QLineEdit>(*m_form, "Parttxt");
    moveFocus(elsewhere);
    quantity->setText(typed);
    moveFocus(quantity);
    QCOMPARE(quantity->text(), afterFocusIn);
    moveFocus(elsewhere);
    QCOMPARE(quantity->text(), afterFocusOut);
}

void TestOrdering::orderFieldsCleanedOnFocusLoss()
{
    moveFocus(control<QLineEdit>(*m_form, "OrderInfoTxt", 2));
    control<QLineEdit>(*m_form, "OrderInfoTxt", 0)->setText(u"JOE, \"BIG\""_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->setText(u" PO,77 "_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 2)->setText(QString());
    // Whichever field lost the focus, all three are cleaned.
    moveFocus(control<QLineEdit>(*m_form, "Parttxt"));
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 0)->text(), u"JOE   BIG "_s);
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->text(),
             u" PO 77 "_s); // blanks are not trimmed here
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 2)->text(), QString());
}

void TestOrdering::standingPoCopiedByOrder_data()
{
    QTest::addColumn<bool>("standing");
    QTest::addColumn<bool>("answerRows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("poAfter");
    QTest::addColumn<int>("lines");
    QTest::newRow("standing PO overwrites the typed one") << true << true << 0 << u"SPO-9"_s << 1;
    QTest::newRow("copied even with no row selected") << true << true << -1 << u"SPO-9"_s << 0;
    QTest::newRow("not without the option") << false << true << 0 << u"OTHER"_s << 1;
    QTest::newRow("empty answer list: nothing at all") << true << false << -1 << u"OTHER"_s << 0;
}

void TestOrdering::standingPoCopiedByOrder()
{
    QFETCH(bool, standing);
    QFETCH(bool, answerRows);
    QFETCH(int, selected);
    QFETCH(QString, poAfter);
    QFETCH(int, lines);
    control<QCheckBox>(*m_form, "PoOptionCheck", 1)->setChecked(standing);
    control<QLineEdit>(*m_form, "StandingPOtxt")->setText(u"SPO-9"_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->setText(u"OTHER"_s);
    showAnswer(answerRows ? QStringList{FilterRow} : QStringList(), selected);
    QTest::mouseClick(control<QPushButton>(*m_form, "OrderCmd"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->text(), poAfter);
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), lines);
}

void TestOrdering::addLine_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("subTotal");
    QTest::newRow("quantity 2, no core") << FilterRow << u"2"_s << FilterLine << u"25.00"_s;
    QTest::newRow("quantity 0 becomes 1")
        << PumpRow << u"0"_s << pumpLine(u"1"_s, u"15.00"_s) << u"15.00"_s;
    QTest::newRow("letters become 1")
        << PumpRow << u"ab"_s << pumpLine(u"1"_s, u"15.00"_s) << u"15.00"_s;
    QTest::newRow("negative becomes 1")
        << PumpRow << u"-4"_s << pumpLine(u"1"_s, u"15.00"_s) << u"15.00"_s;
    QTest::newRow("1.5 kept") << PumpRow << u"1.5"_s << pumpLine(u"1.5"_s, u"22.50"_s)
                              << u"22.50"_s;
}

void TestOrdering::addLine()
{
    QFETCH(QString, row);
    QFETCH(QString, quantity);
    QFETCH(QString, line);
    QFETCH(QString, subTotal);
    control<QLabel>(*m_form, "OrderPNumLbl")->setText(u"XYZ ABC123"_s);
    showAnswer({u"  heading-like row"_s, row}, 1);
    m_fx->clock.pauses.clear();
    order(quantity, 1);
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rows(), QStringList{line});
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), subTotal);
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), fileOf({line}));
    QCOMPARE(m_fx->sounds.played, QStringList{m_fx->folder.filePath(u"additem.wav"_s)});
    // The order view: the answer list out, the frame up, the entry panel reset and disabled.
    QCOMPARE(twips::left(control<ListControl>(*m_form, "AnswerList")), -14000);
    QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), 2900);
    QCOMPARE(m_fx->clock.pauses.size(), 19);
    QVERIFY(!control<QGroupBox>(*m_form, "ItemOrderFrame")->isEnabled());
    QCOMPARE(control<QLineEdit>(*m_form, "Qtytxt")->text(), u" 1"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderPNumLbl")->text(), QString());
    QVERIFY(m_fx->prompter.boxes.isEmpty());
}

void TestOrdering::quantityTooWideIsRefused_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("shown");
    QTest::newRow("10000") << u"10000"_s << u"10000"_s;
    QTest::newRow("1.125") << u"1.125"_s << u"1.125"_s;
    QTest::newRow("12.25") << u" 12.25 "_s << u"12.25"_s;
}

void TestOrdering::quantityTooWideIsRefused()
{
    QFETCH(QString, quantity);
    QFETCH(QString, shown);
    order(u"2"_s);
    const QByteArray saved = m_fx->read(u"MyOrder.dat"_s);
    m_fx->sounds.played.clear();
    order(quantity);
    QCOMPARE(m_fx->prompter.shown(),
             QStringList{u"The quantity "_s + shown
                         + u" does not fit an order line (at most 4 characters, such as 9999 or "
                           "2.5). Please enter a smaller quantity."_s});
    QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::Warning);
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 1);
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 1"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u"25.00"_s);
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), saved);
    QVERIFY(m_fx->sounds.played.isEmpty());
    QCOMPARE(control<QLineEdit>(*m_form, "Qtytxt")->text(),
             quantity); // left for the customer to correct
}

void TestOrdering::unorderableRowAddsNothing()
{
    showAnswer({u"       SHIPS FROM MAIN DC"_s}, 0);
    control<QLineEdit>(*m_form, "Qtytxt")->setText(u"0"_s);
    QTest::mouseClick(control<QPushButton>(*m_form, "OrderCmd"), Qt::LeftButton);
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 0);
    QCOMPARE(control<QLineEdit>(*m_form, "Qtytxt")->text(),
             u"0"_s); // not even the quantity is touched
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 0"_s); // recomputed
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u".00"_s);
    QCOMPARE(twips::left(control<ListControl>(*m_form, "AnswerList")), 290);
    QVERIFY(m_fx->sounds.played.isEmpty());
}

void TestOrdering::removeItem()
{
    showAnswer({FilterRow, PumpRow, NotStockedRow});
    for (int i = 0; i < 3; ++i)
        order(QString::number(i + 1), i);
    auto* orderList = control<ListControl>(*m_form, "OrderList");
    const QStringList three = orderList->rows();
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u"42.50"_s); // 12.50 + 30.00 + .00
    m_fx->sounds.played.clear();

    auto* removeItem = control<QPushButton>(*m_form, "RemoveItemCmd");
    QTest::mouseClick(removeItem, Qt::LeftButton); // nothing selected: nothing happens
    QCOMPARE(orderList->rowCount(), 3);

    orderList->setSelectedIndex(1);
    QTest::mouseClick(removeItem, Qt::LeftButton);
    QCOMPARE(orderList->rows(), (QStringList{three[0], three[2]}));
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), fileOf({three[0], three[2]}));
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 2"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u"12.50"_s);

    for (int left = 1; left >= 0; --left) {
        orderList->setSelectedIndex(0);
        QTest::mouseClick(removeItem, Qt::LeftButton);
        QCOMPARE(orderList->rowCount(), left);
    }
    QVERIFY(m_fx->exists(u"MyOrder.dat"_s));
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), QByteArray()); // the last one empties it
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 0"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u".00"_s);
    QCOMPARE(m_fx->sounds.played, QStringList(3, m_fx->folder.filePath(u"removeitem.wav"_s)));
    QVERIFY(m_fx->prompter.boxes.isEmpty());
}

void TestOrdering::removeAll_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("fileBlocked"); // a folder in MyOrder.dat's place: it cannot be emptied
    QTest::newRow("confirmed") << 2 << true << false;
    QTest::newRow("declined") << 2 << false << false;
    QTest::newRow("empty cart asks nothing") << 0 << false << false;
    QTest::newRow("confirmed, MyOrder.dat cannot be emptied: told it holds them")
        << 2 << true << true;
}

void TestOrdering::removeAll()
{
    QFETCH(int, lines);
    QFETCH(bool, yes);
    QFETCH(bool, fileBlocked);
    for (int i = 0; i < lines; ++i)
        order(u"2"_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->setText(u"PO77"_s);
    const QStringList before = control<ListControl>(*m_form, "OrderList")->rows();
    const QByteArray saved = m_fx->read(u"MyOrder.dat"_s);
    const int frameTop = twips::top(control<QGroupBox>(*m_form, "OrderFrame"));
    if (fileBlocked) {
        QVERIFY(QFile::remove(m_fx->folder.filePath(u"MyOrder.dat"_s)));
        QVERIFY(QDir(m_fx->folder.path()).mkdir(u"MyOrder.dat"_s));
    }
    m_fx->sounds.played.clear();
    m_fx->clock.pauses.clear();
    if (lines > 0)
        m_fx->prompter.answers << (yes ? QMessageBox::Yes : QMessageBox::No);
    QTest::mouseClick(control<QPushButton>(*m_form, "RemoveAllCmd"), Qt::LeftButton);

    if (lines == 0) {
        QVERIFY(m_fx->prompter.boxes.isEmpty());
        return;
    }
    QCOMPARE(m_fx->prompter.shown().first(), u"Cancel ALL Items In This Order?"_s);
    QCOMPARE(m_fx->prompter.shown().size(), fileBlocked ? 2 : 1);
    QCOMPARE(m_fx->prompter.boxes.first().title, u"CANCEL CHANGES"_s);
    QCOMPARE(m_fx->prompter.boxes.first().icon, QMessageBox::NoIcon);
    QCOMPARE(m_fx->prompter.boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
    if (!yes) {
        QCOMPARE(control<ListControl>(*m_form, "OrderList")->rows(), before);
        QCOMPARE(m_fx->read(u"MyOrder.dat"_s), saved);
        QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), frameTop);
        QVERIFY(m_fx->sounds.played.isEmpty());
        return;
    }
    if (fileBlocked) {
        const QString told = m_fx->prompter.shown().last();
        QVERIFY2(told.contains(u"MyOrder.dat"_s) && told.contains(u"still holds them"_s)
                     && told.contains(u"offered again"_s) && !told.contains(u"unchanged"_s),
                 qPrintable(told));
    }
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 0);
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 0"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u" 0.00"_s);
    QVERIFY(m_fx->exists(u"MyOrder.dat"_s));
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), QByteArray());
    QCOMPARE(m_fx->sounds.played, QStringList{m_fx->folder.filePath(u"removeitem.wav"_s)});
    QCOMPARE(m_fx->clock.pauses, QList<int>{1000});
    QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), 8500);
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->text(),
             u"PO77"_s); // the order fields stay
}

void TestOrdering::savedOrderAtStart_data()
{
    QTest::addColumn<QStringList>("saved"); // the lines in MyOrder.dat
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("kept"); // the lines in My Order afterwards
    QTest::addColumn<QString>("total");
    const QStringList lines{FilterLine, pumpLine(u"3"_s, u"45.00"_s),
                            pumpLine(u"1.5"_s, u"22.50"_s)};
    const QString keep = u"Do you want to KEEP these items?"_s;
    const QString cancel = u"Cancel ALL Items In This Order?"_s;
    QTest::newRow("keep") << lines << QList{QMessageBox::Yes} << QStringList{keep} << lines
                          << u"92.50"_s;
    QTest::newRow("drop, then confirm") << lines << QList{QMessageBox::No, QMessageBox::Yes}
                                        << QStringList{keep, cancel} << QStringList() << u" 0.00"_s;
    QTest::newRow("drop, then decline: kept after all")
        << lines << QList{QMessageBox::No, QMessageBox::No} << QStringList{keep, cancel} << lines
        << u"92.50"_s;
    const QString pump = pumpLine(u"1"_s, u"15.00"_s);
    QTest::newRow("an over-long line: told, the good lines offered")
        << QStringList{FilterLine, QString(300, u'x'), pump} << QList{QMessageBox::Yes}
        << QStringList{u"MyOrder.dat in the program folder held 1 line too long to be an order "
                       "line. The other items are offered as usual. The file as it was is kept "
                       "as MyOrder.dat.damaged."_s,
                       keep}
        << QStringList{FilterLine, pump} << u"40.00"_s;
}

void TestOrdering::savedOrderAtStart()
{
    QFETCH(QStringList, saved);
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(QStringList, questions);
    QFETCH(QStringList, kept);
    QFETCH(QString, total);
    m_fx->writeSettings(3300);
    m_fx->write(u"MyOrder.dat"_s, fileOf(saved));
    m_fx->prompter.answers.append(answers);
    control<QLineEdit>(*m_form, "Parttxt")->setText(u"PH3600"_s);
    m_fx->tick(); // the first tick offers the saved order
    m_fx->tick(); // once only
    QCOMPARE(m_fx->prompter.shown(), questions);
    const ShownBox& asked =
        m_fx->prompter.boxes.at(questions.indexOf(u"Do you want to KEEP these items?"_s));
    QCOMPARE(asked.title, u"Items Found In Cart!"_s);
    QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(control<QLineEdit>(*m_form, "Parttxt")->text(), QString());
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rows(), kept);
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u' ' + QString::number(kept.size()));
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), total);
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), fileOf(kept));
    QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), kept.isEmpty() ? 8500 : 2900);
}

void TestOrdering::mandatoryFields_data()
{
    QTest::addColumn<bool>("repRequired");
    QTest::addColumn<bool>("poRequired");
    QTest::addColumn<QString>("orderedBy");
    QTest::addColumn<QString>("purchaseOrder");
    QTest::addColumn<QString>("shown");  // the one box shown
    QTest::addColumn<int>("focusField"); // -1: the send question was asked
    const QString rep = u"Ordered By Rep Field MUST not be blank"_s;
    const QString po = u"PO # is REQUIRED!"_s;
    const QString ask = u"Send This Order Now ?"_s;
    QTest::newRow("both required, both empty: rep first")
        << true << true << QString() << QString() << rep << 0;
    QTest::newRow("both required, name given: PO next")
        << true << true << u"JOE"_s << QString() << po << 1;
    QTest::newRow("blanks only count as empty")
        << true << false << u"   "_s << QString() << rep << 0;
    QTest::newRow("PO of blanks only") << false << true << QString() << u"  "_s << po << 1;
    QTest::newRow("nothing required") << false << false << QString() << QString() << ask << -1;
    QTest::newRow("both given") << true << true << u"JOE"_s << u"PO77"_s << ask << -1;
}

void TestOrdering::mandatoryFields()
{
    QFETCH(bool, repRequired);
    QFETCH(bool, poRequired);
    QFETCH(QString, orderedBy);
    QFETCH(QString, purchaseOrder);
    QFETCH(QString, shown);
    QFETCH(int, focusField);
    send(0); // empty cart: nothing at all
    QVERIFY(m_fx->prompter.boxes.isEmpty());
    order(u"2"_s);
    control<QCheckBox>(*m_form, "RepNameOptCheck")->setChecked(repRequired);
    control<QCheckBox>(*m_form, "PoOptionCheck", 0)->setChecked(poRequired);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 0)->setText(orderedBy);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->setText(purchaseOrder);
    if (focusField < 0)
        m_fx->prompter.answers << QMessageBox::No;
    m_form->activateWindow();
    send(0);
    QCOMPARE(m_fx->prompter.shown(), QStringList{shown});
    const ShownBox& box = m_fx->prompter.boxes.first();
    if (focusField >= 0) {
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.title, u"Vornik"_s);
        QTRY_VERIFY(control<QLineEdit>(*m_form, "OrderInfoTxt", focusField)->hasFocus());
    } else {
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.title, u"Order Submit"_s);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    }
}

void TestOrdering::orderMessageArrivesOnPortThree()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    m_fx->pointAt(server.basePort(), "SMITHCO");
    order(u"2"_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 0)->setText(u" JOE "_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->setText(u"PO77"_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 2)->setText(u"RUSH"_s);
    const QByteArray saved = m_fx->read(u"MyOrder.dat"_s);
    send();
    QTRY_COMPARE(server.requests.size(), 1);
    QCOMPARE(server.requests.first().portOffset, 3);
    QCOMPARE(server.requests.first().bytes,
             QByteArray("<O>,1234,SMITHCO,JOE,PO77,RUSH,<P> ,2,XYZ,ABC123,FILTER,25.00,,,,"
                        "<X>  End of Order"));
    // Sending changes nothing until the confirmation arrives.
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rows(), QStringList{FilterLine});
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), saved);
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->text(), u"PO77"_s);

    // SEND ORDER again while the order waits for its confirmation sends nothing.
    send(0);
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(),
             u"Please wait: the order sent is not yet confirmed."_s);
    QTest::qWait(50);
    QCOMPARE(server.requests.size(), 1);
    server.clients().first()->disconnectFromHost(); // closed without a confirmation

    // Blank-only fields go as empty fields. Once the window has seen the close, SEND ORDER is
    // taken again: the same lines, unconfirmed, are asked about first.
    control<QLineEdit>(*m_form, "OrderInfoTxt", 0)->setText(u"   "_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 2)->setText(u" "_s);
    m_fx->prompter.answers << QMessageBox::Yes << QMessageBox::Yes;
    QTRY_VERIFY((send(0), m_fx->prompter.answers.isEmpty()));
    QTRY_COMPARE(server.requests.size(), 2);
    QCOMPARE(server.requests.last().bytes,
             QByteArray("<O>,1234,SMITHCO,,PO77,,<P> ,2,XYZ,ABC123,FILTER,25.00,,,,"
                        "<X>  End of Order"));
}

void TestOrdering::badPortIsTold()
{
    control<QLineEdit>(*m_form, "ServerSocketTxt")->setText(u"70000"_s);
    order(u"2"_s);
    send();
    QCOMPARE(m_fx->prompter.boxes.size(), 2);
    QVERIFY(m_fx->prompter.boxes.last().text.contains(u"Connection Socket#"_s));
    QCOMPARE(m_fx->prompter.boxes.last().icon, QMessageBox::Warning);
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 1);
}

void TestOrdering::confirmation_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("trace");    // the window started with the trace switch
    QTest::addColumn<QString>("shown"); // after the send question; "Order Sent..." empties the cart
    const QString unknown = u"Order Sent, but Order Number Could NOT be establisned!"_s;
    QTest::newRow("4711") << u"<O>,4711"_s << false
                          << u"Order Sent. Note your Order Number > 4711 <"_s;
    QTest::newRow("zero") << u"<O>,0"_s << false << unknown;
    QTest::newRow("above 16 bits")
        << u"<O>,40000"_s << false << u"Order Sent. Note your Order Number > 40000 <"_s;
    QTest::newRow("no field 1: nothing") << u"<O>"_s << false << QString();
    QTest::newRow("no field 1 in trace mode: the failed step is told")
        << u"<O>"_s << true << u"* Err - GetInquiry: Initial"_s;
}

void TestOrdering::confirmation()
{
    QFETCH(QString, reply);
    QFETCH(bool, trace);
    QFETCH(QString, shown);
    if (trace) {
        m_fx->form.reset();
        m_form = &m_fx->start(u"T"_s);
    }
    LoopbackServer server;
    server.reply = [reply](const QByteArray&) { return reply.toLatin1(); };
    m_fx->pointAt(server.basePort());
    order(u"2"_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 0)->setText(u"JOE"_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->setText(u"PO77"_s);
    control<QLineEdit>(*m_form, "OrderInfoTxt", 2)->setText(u"RUSH"_s);
    control<QLineEdit>(*m_form, "Qtytxt")->setText(u"5"_s);
    const QByteArray saved = m_fx->read(u"MyOrder.dat"_s);
    m_fx->prompter.clear();
    m_fx->sounds.played.clear();
    send();
    QTRY_COMPARE(server.requests.size(), 1);
    // The reply is taken whole when its connection ends, as the lamp goes out.
    QTRY_VERIFY(control<QLabel>(*m_form, "LedLight", 3)->isHidden());
    QCOMPARE(m_fx->prompter.shown().mid(1), shown.isEmpty() ? QStringList() : QStringList{shown});
    if (!shown.startsWith(u"Order Sent"_s)) {
        if (trace)
            QCOMPARE(m_fx->prompter.boxes.last().title, QString());
        QVERIFY(m_fx->sounds.played.isEmpty());
        QCOMPARE(control<ListControl>(*m_form, "OrderList")->rows(), QStringList{FilterLine});
        QCOMPARE(m_fx->read(u"MyOrder.dat"_s), saved);
        QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->text(), u"PO77"_s);
        QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), 2900);
        return;
    }
    QCOMPARE(m_fx->prompter.boxes.last().icon, QMessageBox::Information);
    QCOMPARE(m_fx->prompter.boxes.last().title, u"Vornik"_s);
    QCOMPARE(m_fx->sounds.played, QStringList{m_fx->folder.filePath(u"ordersent.wav"_s)});
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 0);
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 0"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderTotalLbl")->text(), u" 0.00"_s);
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), QByteArray());
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 0)->text(), u"JOE"_s);
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 1)->text(), QString());
    QCOMPARE(control<QLineEdit>(*m_form, "OrderInfoTxt", 2)->text(), QString());
    QCOMPARE(control<QLineEdit>(*m_form, "Qtytxt")->text(), QString());
    QCOMPARE(twips::top(control<QGroupBox>(*m_form, "OrderFrame")), 8500);
}

void TestOrdering::confirmationAfterALaterRequest()
{
    // The confirmation comes on the order's own connection after an inquiry was started and a
    // line added: it confirms that order and removes its lines only, and resets nothing the
    // user is working on.
    LoopbackServer server;
    server.reply = [](const QByteArray& request) -> QByteArray {
        return request.startsWith("<I>") ? "<P>,XYZ,ABC123,FILTER,12,19.95,,,12.50,0,0," : "";
    };
    m_fx->pointAt(server.basePort());
    order(u"2"_s);
    send();
    QTRY_COMPARE(server.requests.size(), 1);
    order(u"3"_s); // added after the order was sent
    const QString added = control<ListControl>(*m_form, "OrderList")->rowText(1);
    control<QLineEdit>(*m_form, "Parttxt")->setText(u"ABC123"_s);
    QTest::mouseClick(control<QPushButton>(*m_form, "InquiryCmd"), Qt::LeftButton);
    QTRY_COMPARE(control<ListControl>(*m_form, "AnswerList")->rowCount(), 1);
    QCOMPARE(twips::left(control<ListControl>(*m_form, "AnswerList")), 290); // in view
    QVERIFY(control<QGroupBox>(*m_form, "ItemOrderFrame")->isEnabled());
    control<QLineEdit>(*m_form, "Qtytxt")->setText(u"7"_s);
    control<QLabel>(*m_form, "OrderPNumLbl")->setText(u"XYZ ABC123"_s);
    control<QLabel>(*m_form, "MessageLbl")->setText(u"mine"_s);

    QTcpSocket* orderSide = server.clients().first();
    orderSide->write("<O>,4711");
    orderSide->flush();
    QTRY_VERIFY(m_fx->prompter.shown().contains(u"Order Sent. Note your Order Number > 4711 <"_s));
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rows(), QStringList{added});
    QCOMPARE(m_fx->read(u"MyOrder.dat"_s), fileOf({added}));
    QCOMPARE(control<QLabel>(*m_form, "ItemCountLbl")->text(), u" 1"_s);
    QCOMPARE(control<QLineEdit>(*m_form, "Qtytxt")->text(), u"7"_s);
    QCOMPARE(control<QLabel>(*m_form, "OrderPNumLbl")->text(), u"XYZ ABC123"_s);
    QCOMPARE(control<QLabel>(*m_form, "MessageLbl")->text(), u"mine"_s);
    control<QTabWidget>(*m_form, "SSTab1")->setCurrentIndex(1); // the order history
    const QString sent = control<ListView>(*m_form, "OrderHistoryList")->rowText(0);
    QVERIFY2(sent.endsWith(u"      1     25.00  Confirmed"_s), qPrintable(sent));
}

void TestOrdering::overdueConfirmationIsToldAndAskedAtClose()
{
    LoopbackServer server; // takes the order and says nothing
    m_fx->pointAt(server.basePort());
    order(u"2"_s);
    send();
    QTRY_COMPARE(server.requests.size(), 1);
    auto* status = control<QLabel>(*m_form, "MessageLbl");
    m_fx->clock.advance(ServerLink::OrderOverdueSeconds - 1);
    m_fx->tick();
    QCOMPARE(status->text(), QString());
    m_fx->clock.advance(2);
    m_fx->tick();
    const QRegularExpression told(
        u"^No confirmation yet for the order sent at \\d\\d:\\d\\d; it stays in My Order$"_s);
    QVERIFY2(told.match(status->text()).hasMatch(), qPrintable(status->text()));

    m_fx->prompter.clear();
    m_fx->prompter.answers << QMessageBox::No;
    QVERIFY(!m_form->close()); // asked, and the window stays
    QCOMPARE(m_fx->prompter.boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(m_fx->prompter.shown().first().contains(u"has not been confirmed yet"_s));
    QCOMPARE(server.clients().first()->state(), QAbstractSocket::ConnectedState);
    m_fx->prompter.answers << QMessageBox::Yes;
    QVERIFY(m_form->close());
}

void TestOrdering::sentOrderLeftInTheFileIsTold()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    server.reply = [](const QByteArray&) -> QByteArray { return "<O>,4711"; };
    m_fx->writeSettings(server.basePort());
    m_fx->write(u"MyOrder.dat"_s, fileOf({FilterLine}));
    m_fx->prompter.answers << QMessageBox::Yes; // keep the saved cart
    m_fx->tick();
    m_fx->prompter.clear();
    // A folder in the file's place: MyOrder.dat can no longer be emptied.
    QVERIFY(QFile::remove(m_fx->folder.filePath(u"MyOrder.dat"_s)));
    QVERIFY(QDir(m_fx->folder.path()).mkdir(u"MyOrder.dat"_s));

    send();
    QTRY_COMPARE(m_fx->prompter.boxes.size(), 3);
    const QString told = m_fx->prompter.boxes.last().text;
    QCOMPARE(m_fx->prompter.boxes.last().icon, QMessageBox::Warning);
    QVERIFY2(told.contains(u"was sent"_s) && told.contains(u"MyOrder.dat"_s)
                 && told.contains(u"do not send them a second time"_s)
                 && !told.contains(u"unchanged"_s),
             qPrintable(told));
    QCOMPARE(control<ListControl>(*m_form, "OrderList")->rowCount(), 0);
}

QTEST_MAIN(TestOrdering)
#include "tst_ordering.moc"
