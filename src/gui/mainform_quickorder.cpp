// Quick order handlers: the pad opened from the top row or by Order Again, its lines added to
// the cart, and Save as CSV of the cart.
#include "gui/mainform.h"

#include "core/files.h"
#include "core/numbers.h"
#include "core/quicklist.h"
#include "gui/listcontrol.h"
#include "gui/quickorderdlg.h"
#include "logic/cart/cart.h"
#include "logic/quickorder/partlookups.h"
#include "logic/settings/settings.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

QString lineSummary(const quicklist::PadLine& line)
{
    return line.line.part + u" x "_s + (line.line.quantity.isEmpty() ? u"1"_s : line.line.quantity)
        + u": "_s + quicklist::statusText(line);
}

} // namespace

void MainForm::QuickOrderCmd_Click()
{
    openQuickOrder({}, false);
}

void MainForm::openQuickOrder(const QList<quicklist::Line>& lines, bool checkNow)
{
    if (!m_lookups)
        m_lookups = makeLinkLookups(*m_serverLink, [this]() -> std::optional<LookupServer> {
            // The base port is read afresh from the OPTIONS tab, as for every request.
            const auto base = numbers::toInt16(numbers::numericValue(m_ui.ServerSocketTxt->text()));
            if (!base || *base < 0)
                return std::nullopt;
            return LookupServer{m_settings->hostIP(), quint16(*base)};
        });
    if (!m_quickOrder) {
        m_quickOrder = new QuickOrderDlg(
            *m_seams.prompter, *m_lookups,
            [this] {
                // As the inquiry sends them: the two boxes of the OPTIONS tab.
                return std::pair{m_ui.AccNumTxt->text(), m_ui.LoginNameTxt->text()};
            },
            this);
        connect(m_quickOrder, &QuickOrderDlg::addRequested, this, &MainForm::quickOrderAdded);
        m_quickOrder->open();
    } else {
        m_quickOrder->raise();
        m_quickOrder->activateWindow();
    }
    m_quickOrder->addLines(lines);
    if (checkNow)
        m_quickOrder->Check();
}

qsizetype MainForm::addPadOrders(const QList<PadOrder>& orders)
{
    QStringList lines;
    QStringList listPrices;
    for (const PadOrder& order : orders) {
        // The pad refuses a quantity that does not fit before it gets here.
        if (const auto line = Cart::orderLine(order.answerRow, order.quantity).line) {
            lines << *line;
            listPrices << order.listPrice;
        }
    }
    if (lines.isEmpty())
        return 0;
    applyStandingPO();
    m_cart->addLines(lines, listPrices);
    for (const QString& line : lines)
        m_ui.OrderList->addRow(line);
    m_ui.SSTab1->setCurrentIndex(0);
    SlideOrderFrame(true);
    m_ui.Qtytxt->setText(u" 1"_s);
    m_ui.OrderPNumLbl->setText(QString());
    playSound(u"additem.wav"_s);
    UpdateOrderTotals();
    return lines.size();
}

void MainForm::quickOrderAdded(const QList<quicklist::PadLine>& added,
                               const QList<quicklist::PadLine>& others)
{
    QList<PadOrder> orders;
    for (const quicklist::PadLine& line : added) {
        const quicklist::Offer& offer = line.verdict->offers[line.choice];
        orders << PadOrder{offer.row, line.line.value, offer.list};
    }
    const qsizetype count = addPadOrders(orders);
    const QString done = QString::number(count) + (count == 1 ? u" line"_s : u" lines"_s)
        + u" added to the order."_s;
    if (others.isEmpty()) {
        m_ui.MessageLbl->setText(done);
        return;
    }
    QStringList rest;
    for (const quicklist::PadLine& line : others)
        rest << lineSummary(line);
    msgBox(done + u"\n\nNot added:\n"_s + rest.join(u'\n'), QMessageBox::Information);
}

void MainForm::SaveCsvCmd_Click()
{
    if (m_cart->count() == 0)
        return;
    saveCsv(m_cart->lines(), u"My Order.csv"_s);
}

void MainForm::saveCsv(const QStringList& orderLines, const QString& suggestedName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path =
        m_seams.prompter->saveFileName(this, u"Save as CSV"_s, QDir(folder).filePath(suggestedName),
                                       u"CSV files (*.csv);;All files (*)"_s);
    if (path.isEmpty())
        return;
    const QString failure = files::saveWhole(path, files::toAnsi(quicklist::csv(orderLines)));
    if (!failure.isEmpty()) {
        msgBox(u"The file "_s + QDir::toNativeSeparators(path) + u" could not be saved: "_s
                   + failure,
               QMessageBox::Warning);
        return;
    }
    m_ui.MessageLbl->setText(u"Saved as "_s + QDir::toNativeSeparators(path));
}
