// Order handlers: the two sliding panels, the order-entry panel, what the window shows of the
// cart, the order message and its confirmation.
#include "gui/mainform.h"

#include "core/answer.h"
#include "core/history.h"
#include "core/numbers.h"
#include "core/text.h"
#include "gui/listcontrol.h"
#include "gui/twips.h"
#include "logic/cart/cart.h"
#include "logic/settings/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

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

bool isChecked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

} // namespace

// One animation step: a still pause of 0.01 s on the clock, no window events processed.
void MainForm::stepPause()
{
    pauseUntil(secondsNow() + StepSeconds);
}

// ---- panels ----------------------------------------------------------------------------------

void MainForm::SlideAnswerList(bool show)
{
    if (show) {
        if (twips::top(m_ui.OrderFrame) < Threshold)
            SlideOrderFrame(false);
        twips::setLeft(m_ui.AnswerList, AnswerListIn);
        m_ui.ItemOrderFrame->setEnabled(true);
        return;
    }
    if (twips::left(m_ui.AnswerList) <= 0)
        return; // already out of view
    for (int position = AnswerListIn; position >= -10000; position -= 1000) {
        twips::setLeft(m_ui.AnswerList, position);
        stepPause();
        m_ui.AnswerList->repaintNow();
        m_ui.InquiryPic->repaint();
    }
    twips::setLeft(m_ui.AnswerList, AnswerListOut);
}

void MainForm::SlideOrderFrame(bool show)
{
    if (!show) {
        twips::setTop(m_ui.OrderFrame, OrderFrameDown);
        return;
    }
    if (twips::left(m_ui.AnswerList) > 0)
        SlideAnswerList(false);
    m_ui.ItemOrderFrame->setEnabled(false);
    m_ui.Parttxt->setText(QString());
    if (twips::top(m_ui.OrderFrame) <= Threshold)
        return; // already up
    for (int position = 6500; position >= OrderFrameUp; position -= 500) {
        twips::setTop(m_ui.OrderFrame, position);
        stepPause();
        m_ui.OrderFrame->repaint();
        m_ui.InquiryPic->repaint();
    }
    twips::setTop(m_ui.OrderFrame, OrderFrameUp);
}

// ---- order-entry panel -------------------------------------------------------------------------

void MainForm::OrderCmd_Click()
{
    if (m_ui.AnswerList->rowCount() == 0)
        return;
    applyStandingPO();
    AddItemToOrder();
}

void MainForm::applyStandingPO()
{
    if (isChecked(m_ui.PoOptionCheck[1]))
        m_ui.OrderInfoTxt[1]->setText(m_ui.StandingPOtxt->text());
}

void MainForm::Qtytxt_GotFocus()
{
    // A default quantity of 1 is blanked so that typing replaces it.
    if (numbers::numericValue(m_ui.Qtytxt->text()) == 1.0)
        m_ui.Qtytxt->setText(u" "_s);
}

void MainForm::Qtytxt_LostFocus()
{
    if (numbers::numericValue(m_ui.Qtytxt->text()) < 1.0)
        m_ui.Qtytxt->setText(u" 1"_s);
}

void MainForm::OrderInfoTxt_LostFocus(int)
{
    // The order fields go into the comma-separated order message, which has no quoting.
    for (QLineEdit* field : m_ui.OrderInfoTxt)
        if (!field->text().isEmpty())
            field->setText(text::syntaxOut(field->text()));
}

void MainForm::ViewOrderCmd_Click()
{
    m_ui.Parttxt->setText(QString());
    SlideOrderFrame(true);
}

// ---- the cart ----------------------------------------------------------------------------------

void MainForm::AddItemToOrder()
{
    const int selected = m_ui.AnswerList->selectedIndex();
    if (selected < 0)
        return;
    const QString row = m_ui.AnswerList->rowText(selected);
    if (answer::isOrderableRow(row)) {
        if (numbers::numericValue(m_ui.Qtytxt->text()) < 1.0)
            m_ui.Qtytxt->setText(u" 1"_s);
        const Cart::Line line = Cart::orderLine(row, numbers::numericValue(m_ui.Qtytxt->text()));
        if (!line.line) {
            msgBox(line.refusal, QMessageBox::Warning);
            return;
        }
        m_cart->append(*line.line, history::listPriceOf(row));
        m_ui.OrderList->addRow(*line.line);
        SlideOrderFrame(true);
        m_ui.Qtytxt->setText(u" 1"_s);
        m_ui.OrderPNumLbl->setText(QString());
        playSound(u"additem.wav"_s);
    }
    UpdateOrderTotals();
    m_cart->SaveOrderFile();
}

void MainForm::UpdateOrderTotals()
{
    m_ui.ItemCountLbl->setText(m_cart->itemCountText());
    m_ui.OrderTotalLbl->setText(m_cart->subTotalText());
}

void MainForm::showCartLines()
{
    m_ui.OrderList->clear();
    for (const QString& line : m_cart->lines())
        m_ui.OrderList->addRow(line);
}

void MainForm::RemoveItemCmd_Click()
{
    const int selected = m_ui.OrderList->selectedIndex();
    if (m_ui.OrderList->rowCount() == 0 || selected < 0)
        return;
    m_cart->removeLine(selected);
    m_ui.OrderList->removeRow(selected);
    playSound(u"removeitem.wav"_s);
    UpdateOrderTotals();
    if (m_cart->count() > 0)
        m_cart->SaveOrderFile();
    else
        m_cart->truncateOrderFile();
}

void MainForm::RemoveAllCmd_Click()
{
    if (m_ui.OrderList->rowCount() == 0)
        return;
    if (msgBox(u"Cancel ALL Items In This Order?"_s, QMessageBox::NoIcon,
               QMessageBox::Yes | QMessageBox::No, u"CANCEL CHANGES"_s)
        != QMessageBox::Yes)
        return;
    m_ui.OrderList->clear();
    m_ui.OrderList->repaintNow();
    // Lets the emptied list show; other handlers (a reply arriving) may run here.
    QApplication::processEvents();
    playSound(u"removeitem.wav"_s);
    m_ui.ItemCountLbl->setText(ZeroCount);
    m_ui.OrderTotalLbl->setText(ZeroTotal);
    m_cart->removeAll();
    pauseUntil(secondsNow() + 1.0); // a deliberate still second before the frame drops away
    SlideOrderFrame(false);
    m_ui.Parttxt->setFocus();
}

void MainForm::ClearOrder()
{
    m_ui.Parttxt->setText(QString());
    m_ui.Qtytxt->setText(QString());
    m_ui.OrderPNumLbl->setText(QString());
    m_ui.OrderList->clear();
    m_ui.ItemCountLbl->setText(ZeroCount);
    m_ui.OrderTotalLbl->setText(ZeroTotal);
    m_ui.OrderInfoTxt[1]->setText(QString()); // the "Ordered By:" field keeps its text
    m_ui.OrderInfoTxt[2]->setText(QString());
    if (!m_cart->clear())
        msgBox(u"Your order was sent, but MyOrder.dat in the program folder could not be "
               "emptied and still holds it. At the next start these items will be offered again: "
               "do not send them a second time. Please check that the program folder can be "
               "written to."_s,
               QMessageBox::Warning);
}

void MainForm::CheckSavedOrder()
{
    const Cart::SavedOrder saved = m_cart->loadSavedOrder();
    if (saved.damaged > 0 && !saved.keptAs) {
        msgBox(u"MyOrder.dat in the program folder holds lines too long to be order lines, "
               "and a copy of it could not be kept, so no items were loaded from it. It is "
               "left as it is until you order an item, which replaces it."_s,
               QMessageBox::Warning);
        return;
    }
    if (saved.damaged > 0)
        msgBox(u"MyOrder.dat in the program folder held "_s + QString::number(saved.damaged)
                   + (saved.damaged == 1 ? u" line"_s : u" lines"_s)
                   + u" too long to be an order line. "_s
                   + (saved.loaded ? u"The other items are offered as usual."_s
                                   : u"No items could be loaded from it."_s)
                   + u" The file as it was is kept as "_s + *saved.keptAs + u"."_s,
               QMessageBox::Warning);
    if (!saved.loaded)
        return;
    showCartLines();
    UpdateOrderTotals();
    SlideOrderFrame(true);
    // Shows the loaded lines behind the question; other handlers may run here.
    QApplication::processEvents();
    repaint();
    noteSavedOrderSentBefore();
    if (msgBox(u"Do you want to KEEP these items?"_s, QMessageBox::NoIcon,
               QMessageBox::Yes | QMessageBox::No, u"Items Found In Cart!"_s)
        == QMessageBox::Yes)
        return;
    RemoveAllCmd_Click(); // asks its own confirmation before anything is removed
}

// ---- submission --------------------------------------------------------------------------------

void MainForm::SendOrderCmd_Click()
{
    if (m_ui.OrderList->rowCount() == 0 || linkBusy(ServerLink::Kind::Order))
        return;
    if (isChecked(m_ui.RepNameOptCheck)
        && text::trimBlanks(m_ui.OrderInfoTxt[0]->text()).isEmpty()) {
        msgBox(u"Ordered By Rep Field MUST not be blank"_s, QMessageBox::Warning);
        m_ui.OrderInfoTxt[0]->setFocus();
        return;
    }
    if (isChecked(m_ui.PoOptionCheck[0])
        && text::trimBlanks(m_ui.OrderInfoTxt[1]->text()).isEmpty()) {
        msgBox(u"PO # is REQUIRED!"_s, QMessageBox::Warning);
        m_ui.OrderInfoTxt[1]->setFocus();
        return;
    }
    if (!confirmResend())
        return;
    if (msgBox(u"Send This Order Now ?"_s, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No,
               u"Order Submit"_s)
        == QMessageBox::Yes)
        SendOrder();
}

void MainForm::SendOrder()
{
    const QString request = m_cart->orderMessage(
        m_settings->accNum(), m_settings->loginName(), m_ui.OrderInfoTxt[0]->text(),
        m_ui.OrderInfoTxt[1]->text(), m_ui.OrderInfoTxt[2]->text());
    // Taken when the message is built: the cart may change before it has been written.
    history::Order order = cartAsOrder();
    const auto id = sendRequest(ServerLink::Kind::Order, request);
    if (id && *id != 0)
        m_sentOrders[*id] = SentOrder{std::move(order), 0};
    if (!id)
        msgBox(u"The order was not sent: the Connection Socket# on the OPTIONS tab is not a valid "
               "port number. Please correct it as given by your supplier, SAVE, and send the "
               "order again."_s,
               QMessageBox::Warning);
}

void MainForm::OrderReply(quint64 id, const QString& reply)
{
    const auto number = m_cart->takeConfirmation(reply);
    if (!number) {
        // No field 1, or a number beyond 32 bits: nothing changes, as with any reply step that
        // fails; only the trace mode says so.
        reportStep(u"GetInquiry: Initial"_s);
        return;
    }
    confirmSentOrder(id, *number);
    playSound(u"ordersent.wav"_s);
    if (*number >= 1)
        msgBox(u"Order Sent. Note your Order Number >"_s + numbers::numberText(*number) + u" <"_s,
               QMessageBox::Information);
    else
        // "establisned" is how the confirmation has always read; kept on purpose.
        msgBox(u"Order Sent, but Order Number Could NOT be establisned!"_s,
               QMessageBox::Information);
    // Only the lines this order carried leave the cart; lines added since stay, with the
    // fields and the panel as the user has them.
    const auto sent = linesSent(id);
    if (!sent || m_cart->lines() == *sent) {
        ClearOrder();
        SlideOrderFrame(false);
        return;
    }
    if (!m_cart->removeSentLines(*sent))
        msgBox(u"Your order was sent, but MyOrder.dat in the program folder could not be "
               "updated and still holds its items. At the next start they will be offered "
               "again: do not send them a second time. Please check that the program folder "
               "can be written to."_s,
               QMessageBox::Warning);
    showCartLines();
    UpdateOrderTotals();
}
