// Order history, the window's side: the information tab's controls, fed from the history tab and
// handing it what the user does; recording an order once its message has been written, its
// confirmation, the re-send question, Order Again (through the quick order), printing and Save as
// CSV.
#include "gui/mainform.h"

#include "core/history.h"
#include "core/quicklist.h"
#include "gui/historytab.h"
#include "gui/listcontrol.h"
#include "gui/orderprint.h"
#include "logic/cart/cart.h"
#include "logic/history/orderhistory.h"
#include "logic/settings/settings.h"

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
    // Told once the handler that met the fault has finished and no box is open: an order being
    // sent or confirmed goes on undisturbed, and no question is covered.
    connect(m_history, &OrderHistory::trouble, this, &MainForm::warnWhenNoBox,
            Qt::QueuedConnection);
    connect(m_ui.SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index != HistoryTabIndex) {
            if (m_historyTab)
                m_historyTab->hideOrders();
            return;
        }
        ensureInformationTab();
        m_historyTab->showOrders();
    });
    connect(m_serverLink, &ServerLink::requestWritten, this,
            [this](quint64 id, ServerLink::Kind kind) {
                if (kind == ServerLink::Kind::Order)
                    recordSentOrder(id);
            });
}

// The tab's controls, shown from the history tab and handed what the user does with them; made
// with the tab (ensureInformationTab).
void MainForm::wireHistoryTab()
{
    m_historyTab = new HistoryTab(*m_history, this);
    ListView* list = m_ui.OrderHistoryList;
    list->setModel(m_historyTab->orders());
    connect(m_ui.HistoryFilterTxt, &QLineEdit::textChanged, m_historyTab, &HistoryTab::setFilter);
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, m_historyTab,
            [this](const QModelIndex& current) {
                m_historyTab->setCurrentRow(current.isValid() ? current.row() : -1);
            });
    connect(m_historyTab, &HistoryTab::currentRowSet, this, [list](int row) {
        const QModelIndex index = list->model()->index(row, 0);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        list->scrollTo(index);
    });
    connect(m_historyTab, &HistoryTab::detailsChanged, this, [this](const QStringList& lines) {
        m_ui.OrderDetailsList->clear();
        m_ui.OrderDetailsList->addItems(lines);
    });
    // Enter and double-click take the user to the selected order's lines.
    connect(list, &QAbstractItemView::activated, this, [this] {
        ListControl* details = m_ui.OrderDetailsList;
        if (details->count() == 0)
            return;
        if (details->currentRow() < 0)
            details->setCurrentRow(0);
        details->setFocus();
    });

    const auto enable = [this](bool enabled) {
        for (QPushButton* button : {m_ui.ReorderCmd, m_ui.PrintOrderCmd, m_ui.HistoryCsvCmd})
            button->setEnabled(enabled);
    };
    enable(false); // nothing is listed before the tab is first shown
    connect(m_historyTab, &HistoryTab::actionsEnabled, this, enable);
    connect(m_ui.ReorderCmd, &QPushButton::clicked, m_historyTab, &HistoryTab::requestReorder);
    connect(m_ui.PrintOrderCmd, &QPushButton::clicked, m_historyTab, &HistoryTab::requestPrint);
    connect(m_ui.HistoryCsvCmd, &QPushButton::clicked, m_historyTab, &HistoryTab::requestCsv);
    connect(m_historyTab, &HistoryTab::reorderRequested, this, &MainForm::orderAgain);
    connect(m_historyTab, &HistoryTab::printRequested, this, &MainForm::printOrder);
    connect(m_historyTab, &HistoryTab::csvRequested, this, &MainForm::saveOrderCsv);
}

history::Order MainForm::cartAsOrder() const
{
    return history::orderFromCart(m_settings->accNum(), m_settings->loginName(),
                                  m_ui.OrderInfoTxt[0]->text(), m_ui.OrderInfoTxt[1]->text(),
                                  m_ui.OrderInfoTxt[2]->text(), m_cart->lines(), QDateTime(),
                                  m_cart->listPrices());
}

void MainForm::recordSentOrder(quint64 id)
{
    const auto sent = m_sentOrders.find(id);
    if (sent == m_sentOrders.end())
        return;
    sent->second.order.sentAt = QDateTime::currentDateTime();
    sent->second.historyId = m_history->record(sent->second.order);
}

void MainForm::confirmSentOrder(quint64 id, qint32 number)
{
    // The order this confirmation's connection carried, whatever was sent since.
    const auto sent = m_sentOrders.find(id);
    if (sent != m_sentOrders.end() && sent->second.historyId > 0)
        m_history->confirm(sent->second.historyId, number);
}

std::optional<QStringList> MainForm::linesSent(quint64 id) const
{
    const auto sent = m_sentOrders.find(id);
    if (sent == m_sentOrders.end())
        return std::nullopt;
    QStringList lines;
    for (const history::Line& line : sent->second.order.lines)
        lines << line.cartLine;
    return lines;
}

QString MainForm::overdueOrderTime() const
{
    const double now = secondsNow();
    for (const ServerLink::PendingOrder& pending : m_serverLink->ordersAwaitingConfirmation()) {
        const auto sent = m_sentOrders.find(pending.id);
        if (now - pending.sentAt > ServerLink::OrderOverdueSeconds && sent != m_sentOrders.end())
            return sent->second.order.sentAt.toString(u"HH:mm"_s);
    }
    return {};
}

void MainForm::showOverdueOrders()
{
    std::erase_if(m_sentOrders, [this](const auto& sent) {
        return !m_serverLink->isPending(sent.first); // its connection has ended
    });
    const QString time = overdueOrderTime();
    if (!time.isEmpty())
        m_ui.MessageLbl->setText(u"No confirmation yet for the order sent at "_s + time
                                 + u"; it stays in My Order"_s);
}

bool MainForm::confirmResend()
{
    // The lines alone decide: after a restart the order fields are empty, and a confirmation
    // whose cart could not be emptied leaves the same lines behind.
    const auto sent = m_history->recentlySent(cartAsOrder(), QDateTime::currentDateTime());
    return !sent
        || msgBox(history::resendQuestion(*sent), QMessageBox::Question,
                  QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void MainForm::noteSavedOrderSentBefore()
{
    if (const auto sent = m_history->sentBefore(cartAsOrder()))
        msgBox(history::sentBeforeNote(*sent), QMessageBox::Information);
}

void MainForm::orderAgain(const history::Order& order)
{
    // At today's prices: the order's lines go into the quick order and are checked there.
    QList<quicklist::Line> lines;
    for (const history::Line& line : order.lines)
        lines << quicklist::makeLine(int(lines.size() + 1), line.partNumber,
                                     QStringView(line.quantity), line.lineCode);
    m_ui.SSTab1->setCurrentIndex(0);
    openQuickOrder(lines, true);
}

void MainForm::saveOrderCsv(const history::Order& order)
{
    QStringList lines;
    for (const history::Line& line : order.lines)
        lines << line.cartLine;
    const QString name = order.number >= 1
        ? u"Order "_s + QString::number(order.number)
        : u"Order "_s + order.sentAt.toString(u"yyyy-MM-dd HHmm"_s);
    saveCsv(lines, name + u".csv"_s);
}

void MainForm::printOrder(const history::Order& order)
{
    const orderprint::Outcome outcome = orderprint::print(
        this, order, SupplierName, m_ui.AccNameTxt->text(),
        [this](const QString& caption, const QString& suggested, const QString& filter) {
            return m_seams.prompter->saveFileName(this, caption, suggested, filter);
        });
    if (outcome.done)
        m_ui.MessageLbl->setText(outcome.message);
    else if (!outcome.message.isEmpty())
        msgBox(outcome.message, QMessageBox::Warning);
}
