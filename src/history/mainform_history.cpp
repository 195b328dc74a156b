// Order history, the window's side: the information tab's controls handed to the history tab,
// recording an order once its message has been written, its confirmation, the re-send question,
// Order Again (through the quick order), printing and Save as CSV.
#include "shell/mainform.h"

#include "core/history.h"
#include "core/quicklist.h"
#include "history/historytab.h"
#include "history/orderhistory.h"
#include "history/orderprint.h"
#include "link/settings.h"
#include "order/cart.h"
#include "shell/listcontrol.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {
const QString SupplierName = u"Quillane"_s; // as in the window's caption
constexpr int HistoryTabIndex = 1;
} // namespace

void MainForm::wireHistory()
{
    m_history = new OrderHistory(m_folder, this);
    // Told once the handler that met the fault has finished: an order being sent or confirmed
    // goes on undisturbed.
    connect(
        m_history, &OrderHistory::trouble, this,
        [this](const QString& sentence) { MsgBox(sentence, QMessageBox::Warning); },
        Qt::QueuedConnection);
    connect(m_ui.SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index != HistoryTabIndex)
            return;
        ensureInformationTab();
        m_historyTab->showOrders();
    });
    connect(m_serverLink, &ServerLink::requestWritten, this, [this](ServerLink::Kind kind) {
        if (kind == ServerLink::Kind::Order)
            RecordSentOrder();
    });
}

// The tab's view of the history, made with the tab's controls (ensureInformationTab).
void MainForm::wireHistoryTab()
{
    m_historyTab =
        new HistoryTab(*m_history,
                       {m_ui.OrderHistoryList, m_ui.OrderDetailsList, m_ui.HistoryFilterTxt,
                        m_ui.ReorderCmd, m_ui.PrintOrderCmd, m_ui.HistoryCsvCmd},
                       this);
    connect(m_historyTab, &HistoryTab::reorderRequested, this, &MainForm::OrderAgain);
    connect(m_historyTab, &HistoryTab::printRequested, this, &MainForm::PrintOrder);
    connect(m_historyTab, &HistoryTab::csvRequested, this, &MainForm::SaveOrderCsv);
}

history::Order MainForm::cartAsOrder() const
{
    return history::orderFromCart(m_settings->accNum(), m_settings->loginName(),
                                  m_ui.OrderInfoTxt[0]->text(), m_ui.OrderInfoTxt[1]->text(),
                                  m_ui.OrderInfoTxt[2]->text(), m_cart->lines(), QDateTime());
}

void MainForm::NoteOrderBeingSent()
{
    // Taken when the message is built: the cart may change before it has been written.
    m_orderBeingSent = std::make_unique<history::Order>(cartAsOrder());
}

void MainForm::RecordSentOrder()
{
    if (!m_orderBeingSent)
        return;
    m_orderBeingSent->sentAt = QDateTime::currentDateTime();
    m_history->record(*m_orderBeingSent);
    m_orderBeingSent.reset();
}

void MainForm::ConfirmSentOrder(qint32 number)
{
    m_history->confirmLastSent(number);
}

bool MainForm::ConfirmResend()
{
    const auto sentAt =
        m_history->unconfirmedDuplicate(cartAsOrder(), QDateTime::currentDateTime());
    return !sentAt
        || MsgBox(history::resendQuestion(*sentAt), QMessageBox::Question,
                  QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void MainForm::OrderAgain(const history::Order& order)
{
    // At today's prices: the order's lines go into the quick order and are checked there.
    QList<quicklist::Line> lines;
    for (const history::Line& line : order.lines)
        lines << quicklist::makeLine(int(lines.size() + 1), line.partNumber,
                                     QStringView(line.quantity), line.lineCode);
    m_ui.SSTab1->setCurrentIndex(0);
    openQuickOrder(lines, true);
}

void MainForm::SaveOrderCsv(const history::Order& order)
{
    QStringList lines;
    for (const history::Line& line : order.lines)
        lines << line.cartLine;
    const QString name = order.number >= 1
        ? u"Order "_s + QString::number(order.number)
        : u"Order "_s + order.sentAt.toString(u"yyyy-MM-dd HHmm"_s);
    saveCsv(lines, name + u".csv"_s);
}

void MainForm::PrintOrder(const history::Order& order)
{
    const orderprint::Outcome outcome =
        orderprint::print(this, order, SupplierName, m_ui.AccNameTxt->text(), m_folder);
    if (outcome.done)
        m_ui.MessageLbl->setText(outcome.message);
    else if (!outcome.message.isEmpty())
        MsgBox(outcome.message, QMessageBox::Warning);
}
