// Order cart and submission: the two sliding panels, the order-entry panel, the cart mirrored
// into MyOrder.dat, the order message and its confirmation.
#include "shell/mainform.h"

#include "core/files.h"
#include "core/numbers.h"
#include "core/order.h"
#include "core/text.h"
#include "order/orderstate.h"
#include "shell/listcontrol.h"
#include "shell/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Panel positions in twips.
constexpr int AnswerListIn = 290;
constexpr int AnswerListOut = -14000;
constexpr int OrderFrameUp = 2900;
constexpr int OrderFrameDown = 8500;
constexpr int Threshold = 3000;
constexpr double StepSeconds = 0.01;

const QString ZeroCount = u" 0"_s;
const QString ZeroTotal = u" 0.00"_s;
// No order line comes near this length, even with an over-long quantity or total. A longer line
// means MyOrder.dat holds something else; shown as a row it would stall the window for minutes.
constexpr qsizetype LongestSavedLine = 256;

// One animation step: a still pause of 0.01 s on the clock, no window events processed.
void stepPause(MainForm& f)
{
    f.PauseUntil(f.Timer() + StepSeconds);
}

// Replaces MyOrder.dat whole (atomically: a failed or interrupted save leaves the old file).
// A failure is told to the user; the cart on screen is left as it is.
bool writeOrderFile(MainForm& f, const QByteArray& bytes)
{
    if (files::saveWhole(f.OrderFile, bytes).isEmpty())
        return true;
    f.MsgBox(u"Your order could not be saved to MyOrder.dat in the program folder. The items "
             "shown in My Order are unchanged, but MyOrder.dat may not match them if the "
             "program is closed now. Please check that the program folder can be written to."_s,
             QMessageBox::Warning);
    return false;
}

void truncateOrderFile(MainForm& f)
{
    writeOrderFile(f, QByteArray());
}

// Keeps a copy of MyOrder.dat as it was beside it, under the first free name of
// MyOrder.dat.damaged, MyOrder.dat.damaged-2, ... The copy's name, or nothing when it could not
// be written.
std::optional<QString> keepDamagedOrderFile(const MainForm& f, const QByteArray& bytes)
{
    for (int n = 1; n < 1000; ++n) {
        const QString path =
            f.OrderFile + u".damaged"_s + (n == 1 ? QString() : u'-' + QString::number(n));
        if (QFileInfo::exists(path))
            continue;
        if (!files::saveWhole(path, bytes).isEmpty())
            return std::nullopt;
        return QFileInfo(path).fileName();
    }
    return std::nullopt;
}

bool isChecked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

} // namespace

// ---- panels ----------------------------------------------------------------------------------

void MainForm::SlideAnswerList(bool show)
{
    if (show) {
        if (twips::top(OrderFrame) < Threshold)
            SlideOrderFrame(false);
        twips::setLeft(AnswerList, AnswerListIn);
        ItemOrderFrame->setEnabled(true);
        return;
    }
    if (twips::left(AnswerList) <= 0)
        return; // already out of view
    for (int position = AnswerListIn; position >= -10000; position -= 1000) {
        twips::setLeft(AnswerList, position);
        stepPause(*this);
        AnswerList->repaintNow();
        InquiryPic->repaint();
    }
    twips::setLeft(AnswerList, AnswerListOut);
}

void MainForm::SlideOrderFrame(bool show)
{
    if (!show) {
        twips::setTop(OrderFrame, OrderFrameDown);
        return;
    }
    if (twips::left(AnswerList) > 0)
        SlideAnswerList(false);
    ItemOrderFrame->setEnabled(false);
    Parttxt->setText(QString());
    if (twips::top(OrderFrame) <= Threshold)
        return; // already up
    for (int position = 6500; position >= OrderFrameUp; position -= 500) {
        twips::setTop(OrderFrame, position);
        stepPause(*this);
        OrderFrame->repaint();
        InquiryPic->repaint();
    }
    twips::setTop(OrderFrame, OrderFrameUp);
}

// ---- order-entry panel -------------------------------------------------------------------------

void MainForm::OrderCmd_Click()
{
    if (AnswerList->rowCount() == 0)
        return;
    if (isChecked(PoOptionCheck[1]))
        OrderInfoTxt[1]->setText(StandingPOtxt->text());
    AddItemToOrder();
}

void MainForm::Qtytxt_GotFocus()
{
    // A default quantity of 1 is blanked so that typing replaces it.
    if (numbers::numericValue(Qtytxt->text()) == 1.0)
        Qtytxt->setText(u" "_s);
}

void MainForm::Qtytxt_LostFocus()
{
    if (numbers::numericValue(Qtytxt->text()) < 1.0)
        Qtytxt->setText(u" 1"_s);
}

void MainForm::OrderInfoTxt_LostFocus(int)
{
    // The order fields go into the comma-separated order message, which has no quoting.
    for (QLineEdit* field : OrderInfoTxt)
        if (!field->text().isEmpty())
            field->setText(SyntaxOut(field->text()));
}

void MainForm::ViewOrderCmd_Click()
{
    Parttxt->setText(QString());
    SlideOrderFrame(true);
}

// ---- the cart ----------------------------------------------------------------------------------

void MainForm::AddItemToOrder()
{
    const int selected = AnswerList->selectedIndex();
    if (selected < 0)
        return;
    const QString row = AnswerList->rowText(selected);
    // Rows beginning with two blanks (records without a note, availability notes) are no parts.
    if (!row.startsWith(u"  "_s)) {
        if (numbers::numericValue(Qtytxt->text()) < 1.0)
            Qtytxt->setText(u" 1"_s);
        const auto quantity = static_cast<float>(numbers::numericValue(Qtytxt->text()));
        if (!cart::quantityFits(quantity)) {
            // The order message reads the quantity back from the 4 quantity columns, so a wider
            // text would be sent as another quantity.
            MsgBox(u"The quantity "_s + cart::quantityText(quantity)
                       + u" does not fit an order line (at most 4 characters, such as 9999 or "
                         "2.5). Please enter a smaller quantity."_s,
                   QMessageBox::Warning);
            return;
        }
        OrderList->addRow(cart::orderLine(row, quantity));
        SlideOrderFrame(true);
        Qtytxt->setText(u" 1"_s);
        OrderPNumLbl->setText(QString());
        PlaySound(u"additem.wav"_s);
    }
    UpdateOrderTotals();
    SaveOrderFile();
}

void MainForm::UpdateOrderTotals()
{
    ItemCountLbl->setText(numbers::numberText(OrderList->rowCount()));
    OrderTotalLbl->setText(numbers::pricePattern(cart::subTotal(OrderList->rows())));
}

void MainForm::SaveOrderFile()
{
    if (OrderList->rowCount() == 0)
        return;
    QByteArray bytes;
    for (const QString& line : OrderList->rows())
        bytes += files::toAnsi(line) + files::crlf;
    writeOrderFile(*this, bytes);
}

void MainForm::RemoveItemCmd_Click()
{
    const int selected = OrderList->selectedIndex();
    if (OrderList->rowCount() == 0 || selected < 0)
        return;
    OrderList->removeRow(selected);
    PlaySound(u"removeitem.wav"_s);
    UpdateOrderTotals();
    if (OrderList->rowCount() > 0)
        SaveOrderFile();
    else
        truncateOrderFile(*this);
}

void MainForm::RemoveAllCmd_Click()
{
    if (OrderList->rowCount() == 0)
        return;
    if (MsgBox(u"Cancel ALL Items In This Order?"_s, QMessageBox::NoIcon,
               QMessageBox::Yes | QMessageBox::No, u"CANCEL CHANGES"_s)
        != QMessageBox::Yes)
        return;
    OrderList->clear();
    OrderList->repaintNow();
    // Lets the emptied list show; other handlers (a reply arriving) may run here.
    QApplication::processEvents();
    PlaySound(u"removeitem.wav"_s);
    ItemCountLbl->setText(ZeroCount);
    OrderTotalLbl->setText(ZeroTotal);
    truncateOrderFile(*this);
    PauseUntil(Timer() + 1.0); // a deliberate still second before the frame drops away
    SlideOrderFrame(false);
    Parttxt->setFocus();
}

void MainForm::ClearOrder()
{
    Parttxt->setText(QString());
    Qtytxt->setText(QString());
    OrderPNumLbl->setText(QString());
    OrderList->clear();
    ItemCountLbl->setText(ZeroCount);
    OrderTotalLbl->setText(ZeroTotal);
    OrderInfoTxt[1]->setText(QString()); // the "Ordered By:" field keeps its text
    OrderInfoTxt[2]->setText(QString());
    if (!files::saveWhole(OrderFile, QByteArray()).isEmpty())
        MsgBox(u"Your order was sent, but MyOrder.dat in the program folder could not be "
               "emptied and still holds it. At the next start these items will be offered again: "
               "do not send them a second time. Please check that the program folder can be "
               "written to."_s,
               QMessageBox::Warning);
}

void MainForm::CheckSavedOrder()
{
    files::createIfMissing(OrderFile);
    const auto bytes = files::readAll(OrderFile);
    if (!bytes || bytes->size() < 5)
        return; // no order saved
    QStringList lines = files::splitLines(files::fromAnsi(*bytes));
    const auto tooLong = [](const QString& line) { return line.size() > LongestSavedLine; };
    if (const auto damaged = std::count_if(lines.begin(), lines.end(), tooLong); damaged > 0) {
        // The good lines are offered as usual; the file as it was is kept beside it before
        // anything rewrites it, and MyOrder.dat then holds the good lines only, so this is
        // said once.
        const std::optional<QString> kept = keepDamagedOrderFile(*this, *bytes);
        if (!kept) {
            MsgBox(u"MyOrder.dat in the program folder holds lines too long to be order lines, "
                   "and a copy of it could not be kept, so no items were loaded from it. It is "
                   "left as it is until you order an item, which replaces it."_s,
                   QMessageBox::Warning);
            return;
        }
        lines.removeIf(tooLong);
        QByteArray good;
        for (const QString& line : std::as_const(lines))
            good += files::toAnsi(line) + files::crlf;
        writeOrderFile(*this, good);
        MsgBox(u"MyOrder.dat in the program folder held "_s + QString::number(damaged)
                   + (damaged == 1 ? u" line"_s : u" lines"_s)
                   + u" too long to be an order line. "_s
                   + (lines.isEmpty() ? u"No items could be loaded from it."_s
                                      : u"The other items are offered as usual."_s)
                   + u" The file as it was is kept as "_s + *kept + u"."_s,
               QMessageBox::Warning);
        if (lines.isEmpty())
            return;
    }
    OrderList->clear();
    for (const QString& line : lines)
        OrderList->addRow(line);
    UpdateOrderTotals();
    SlideOrderFrame(true);
    // Shows the loaded lines behind the question; other handlers may run here.
    QApplication::processEvents();
    repaint();
    if (MsgBox(u"Do you want to KEEP these items?"_s, QMessageBox::NoIcon,
               QMessageBox::Yes | QMessageBox::No, u"Items Found In Cart!"_s)
        == QMessageBox::Yes)
        return;
    RemoveAllCmd_Click(); // asks its own confirmation before anything is removed
}

// ---- submission --------------------------------------------------------------------------------

void MainForm::SendOrderCmd_Click()
{
    if (OrderList->rowCount() == 0 || linkBusy(ServerLink::Kind::Order))
        return;
    if (isChecked(RepNameOptCheck) && text::trimBlanks(OrderInfoTxt[0]->text()).isEmpty()) {
        MsgBox(u"Ordered By Rep Field MUST not be blank"_s, QMessageBox::Warning);
        OrderInfoTxt[0]->setFocus();
        return;
    }
    if (isChecked(PoOptionCheck[0]) && text::trimBlanks(OrderInfoTxt[1]->text()).isEmpty()) {
        MsgBox(u"PO # is REQUIRED!"_s, QMessageBox::Warning);
        OrderInfoTxt[1]->setFocus();
        return;
    }
    if (!ConfirmResend())
        return;
    if (MsgBox(u"Send This Order Now ?"_s, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No,
               u"Order Submit"_s)
        == QMessageBox::Yes)
        SendOrder();
}

void MainForm::SendOrder()
{
    AskString =
        cart::orderMessage(AccNum, LoginName, OrderInfoTxt[0]->text(), OrderInfoTxt[1]->text(),
                           OrderInfoTxt[2]->text(), OrderList->rows());
    NoteOrderBeingSent();
    if (!sendRequest(ServerLink::Kind::Order))
        MsgBox(u"The order was not sent: the Connection Socket# on the OPTIONS tab is not a valid "
               "port number. Please correct it as given by your supplier, SAVE, and send the "
               "order again."_s,
               QMessageBox::Warning);
}

void MainForm::OrderReply()
{
    const auto number = cart::confirmationNumber(AnswerString);
    if (!number) {
        // No field 1, or a number beyond 32 bits: nothing changes, as with any reply step that
        // fails; only the trace mode says so.
        if (TraceMode)
            MsgBox(u"* Err - GetInquiry: Initial"_s, QMessageBox::NoIcon, QMessageBox::Ok,
                   QString());
        return;
    }
    OrderNumber = *number;
    ConfirmSentOrder(OrderNumber);
    PlaySound(u"ordersent.wav"_s);
    if (OrderNumber >= 1)
        MsgBox(u"Order Sent. Note your Order Number >"_s + numbers::numberText(OrderNumber)
                   + u" <"_s,
               QMessageBox::Information);
    else
        MsgBox(u"Order Sent, but Order Number Could NOT be establisned!"_s,
               QMessageBox::Information);
    ClearOrder();
    SlideOrderFrame(false);
}
