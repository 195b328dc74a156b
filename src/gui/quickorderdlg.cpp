// The quick-order pad: paste or open a list, check it, pick where a part has several rows,
// accept superseding parts, and add the lines to the order.
#include "gui/quickorderdlg.h"

#include "core/files.h"
#include "core/numbers.h"
#include "gui/seams.h"
#include "logic/quickorder/quickcheck.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

enum Column { PartCol, QtyCol, StatusCol, LinCol, OrderPartCol, DescriptionCol, NetCol, AvailCol };
constexpr int ColumnCount = 8;
constexpr qint64 LargestList = 4 * 1024 * 1024; // far beyond 500 lines of any spreadsheet

template <class Widget>
Widget* named(Widget* widget, const QString& name, const QString& spoken,
              const QString& description)
{
    widget->setObjectName(name);
    widget->setAccessibleName(spoken);
    widget->setAccessibleDescription(description);
    return widget;
}

QPushButton* button(const QString& name, const QString& text, const QString& description)
{
    QString spoken = text;
    spoken.remove(u'&');
    return named(new QPushButton(text), name, spoken.remove(u"..."_s), description);
}

QString offerChoiceText(const quicklist::Offer& offer)
{
    return u"LIN "_s + offer.lin + u"  "_s + offer.part + u"  "_s + offer.description + u"  net "_s
        + offer.net
        + (offer.avail ? u"  available "_s + numbers::plainNumber(float(*offer.avail)) : QString());
}

} // namespace

QuickOrderDlg::QuickOrderDlg(Prompter& prompter, PartLookups& lookups,
                             std::function<std::pair<QString, QString>()> credentials,
                             QWidget* parent)
    : QDialog(parent)
    , m_prompter(prompter)
    , m_credentials(std::move(credentials))
    , m_check(new QuickCheck(lookups, this))
{
    setObjectName(u"QuickOrderDlg"_s);
    setAccessibleName(u"Quick Order"_s);
    setAccessibleDescription(
        u"Paste or open a list of part numbers and quantities, check them and add them to the "
        "order."_s);
    setWindowTitle(u"Quick Order"_s);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(940, 560);

    auto* intro = new QLabel(
        u"Paste lines of part number and quantity (from a spreadsheet, a list or a saved CSV "
        "file), or open a file. Check looks each part up at today's prices."_s);
    intro->setWordWrap(true);
    m_paste =
        button(u"PasteCmd"_s, u"&Paste"_s, u"Adds the lines on the clipboard to the table."_s);
    m_open = button(u"OpenListCmd"_s, u"&Open File..."_s,
                    u"Adds the lines of a .csv or .txt file to the table."_s);
    m_remove = button(u"RemoveLineCmd"_s, u"&Remove Line"_s,
                      u"Removes the selected lines from the table."_s);
    m_checkCmd = button(u"CheckCmd"_s, u"&Check"_s,
                        u"Looks up each valid line with the server. Escape stops it."_s);
    m_add = button(u"AddToOrderCmd"_s, u"&Add to Order"_s,
                   u"Adds the found lines to the order at today's prices."_s);
    m_cancel = button(u"CancelCmd"_s, u"Cancel"_s,
                      u"Stops a running check; otherwise closes the quick order."_s);
    m_add->setAutoDefault(false);
    m_checkCmd->setDefault(true);

    m_table = named(new QTableWidget(0, ColumnCount), u"QuickOrderTable"_s, u"Quick order lines"_s,
                    u"One row per line of the list: part number and quantity can be edited; the "
                    "status says what the server answered."_s);
    m_table->setHorizontalHeaderLabels({u"Part Number"_s, u"Qty"_s, u"Status"_s, u"LIN"_s,
                                        u"Part to Order"_s, u"Description"_s, u"Net"_s,
                                        u"Avail"_s});
    m_table->horizontalHeader()->setSectionResizeMode(StatusCol, QHeaderView::Stretch);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    m_table->setTabKeyNavigation(false);

    auto* choiceLabel = new QLabel(u"Row to &order for the selected line:"_s);
    m_choice = named(new QComboBox, u"ChoiceCmb"_s, u"Row to order"_s,
                     u"Picks the LIN code of a part found under several, or accepts the part "
                     "that supersedes it."_s);
    m_choice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    choiceLabel->setBuddy(m_choice);
    m_progress = new QLabel;
    m_progress->setObjectName(u"ProgressLbl"_s);
    m_progress->setAccessibleDescription(u"How far the check has come."_s);
    m_progress->setTextFormat(Qt::PlainText);

    auto* top = new QHBoxLayout;
    top->addWidget(m_paste);
    top->addWidget(m_open);
    top->addWidget(m_remove);
    top->addStretch();
    top->addWidget(m_checkCmd);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(choiceLabel);
    choiceRow->addWidget(m_choice, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_progress, 1);
    bottom->addWidget(m_add);
    bottom->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(choiceRow);
    layout->addLayout(bottom);

    connect(m_paste, &QPushButton::clicked, this, &QuickOrderDlg::PasteCmd_Click);
    connect(m_open, &QPushButton::clicked, this, &QuickOrderDlg::OpenListCmd_Click);
    connect(m_remove, &QPushButton::clicked, this, &QuickOrderDlg::RemoveLineCmd_Click);
    connect(m_checkCmd, &QPushButton::clicked, this, &QuickOrderDlg::Check);
    connect(m_add, &QPushButton::clicked, this, &QuickOrderDlg::AddToOrderCmd_Click);
    connect(m_cancel, &QPushButton::clicked, this, &QuickOrderDlg::reject);
    connect(m_choice, &QComboBox::activated, this, &QuickOrderDlg::ChoiceCmb_Activated);
    connect(m_table, &QTableWidget::cellChanged, this, &QuickOrderDlg::cellEdited);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this] { showChoices(); });
    connect(m_check, &QuickCheck::linesChanged, this, &QuickOrderDlg::showLines);
    connect(m_check, &QuickCheck::lineChanged, this, &QuickOrderDlg::showLine);
    connect(m_check, &QuickCheck::progress, this, [this](int number, int total) {
        m_progress->setText(u"Looking up "_s + QString::number(number) + u" of "_s
                            + QString::number(total));
    });
    connect(m_check, &QuickCheck::finished, this, [this](bool stopped) {
        qsizetype ready = 0;
        for (const quicklist::PadLine& line : m_check->lines())
            ready += quicklist::addable(line) ? 1 : 0;
        m_progress->setText((stopped ? u"Check stopped: "_s : u"Checked: "_s)
                            + QString::number(ready) + u" of "_s
                            + QString::number(m_check->lines().size()) + u" lines ready to add"_s);
        enableControls();
        showChoices();
    });
    enableControls();
    showChoices();
}

void QuickOrderDlg::addLines(const QList<quicklist::Line>& lines)
{
    const qsizetype left = m_check->append(lines);
    if (left > 0)
        tell(u"The quick order holds at most "_s + QString::number(quicklist::MaxLines)
             + u" lines; the last "_s + QString::number(left) + u" were left out."_s);
}

void QuickOrderDlg::Check()
{
    if (m_check->checking())
        return;
    const auto [account, login] = m_credentials();
    m_check->check(account, login);
    enableControls();
}

void QuickOrderDlg::reject()
{
    if (m_check->checking()) {
        m_check->stop();
        return;
    }
    QDialog::reject();
}

void QuickOrderDlg::PasteCmd_Click()
{
    takeText(QGuiApplication::clipboard()->text(), QString());
}

void QuickOrderDlg::OpenListCmd_Click()
{
    const QString path =
        m_prompter.openFileName(this, u"Open a List of Parts"_s,
                                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                u"Lists (*.csv *.txt);;All files (*)"_s);
    if (path.isEmpty())
        return;
    const QString name = QFileInfo(path).fileName();
    const auto bytes = files::readAll(path, LargestList);
    if (!bytes) {
        tell(u"The file "_s + name + u" could not be read."_s);
        return;
    }
    const auto text = quicklist::decode(*bytes);
    if (!text) {
        tell(u"The file "_s + name
             + u" is not a list of parts: it holds binary data, not text. Please save the list "
               "as CSV or as text and open that."_s);
        return;
    }
    takeText(*text, name);
}

void QuickOrderDlg::takeText(const QString& text, const QString& source)
{
    const qsizetype room = quicklist::MaxLines - m_check->lines().size();
    const quicklist::List list = quicklist::read(text, std::max<qsizetype>(0, room));
    m_check->append(list.lines);
    if (list.cut > 0)
        tell((source.isEmpty() ? u"The pasted text"_s : u"The file "_s + source) + u" holds "_s
             + QString::number(list.lines.size() + list.cut) + u" lines; the quick order takes "_s
             + QString::number(quicklist::MaxLines) + u" at most, so the last "_s
             + QString::number(list.cut) + u" were left out."_s);
    else if (list.lines.isEmpty())
        tell((source.isEmpty() ? u"The clipboard"_s : u"The file "_s + source)
             + u" holds no lines of part numbers."_s);
}

void QuickOrderDlg::RemoveLineCmd_Click()
{
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty() && m_table->currentRow() >= 0)
        rows << m_table->currentRow();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (const int row : rows)
        m_check->remove(row);
}

void QuickOrderDlg::AddToOrderCmd_Click()
{
    QList<quicklist::PadLine> added, others;
    for (const quicklist::PadLine& line : m_check->lines())
        (quicklist::addable(line) ? added : others) << line;
    if (added.isEmpty()) {
        tell(u"No line is ready to add yet. Check the lines first; where a part has several LIN "
             "codes, or is superseded, pick the row to order below the table."_s);
        return;
    }
    emit addRequested(added, others);
    accept();
}

void QuickOrderDlg::ChoiceCmb_Activated(int index)
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    m_check->choose(row, index - 1);
}

void QuickOrderDlg::showLines()
{
    const int current = m_table->currentRow();
    m_showing = true;
    m_table->setRowCount(int(m_check->lines().size()));
    m_showing = false;
    for (qsizetype i = 0; i < m_check->lines().size(); ++i)
        showLine(i);
    if (current >= m_table->rowCount())
        m_table->setCurrentCell(m_table->rowCount() - 1, PartCol);
    enableControls();
    showChoices();
}

void QuickOrderDlg::showLine(qsizetype index)
{
    if (index < 0 || index >= m_table->rowCount())
        return;
    const quicklist::PadLine& line = m_check->lines()[index];
    const quicklist::Offer* offer =
        quicklist::addable(line) ? &line.verdict->offers[line.choice] : nullptr;
    const QString cells[ColumnCount] = {
        line.line.part,
        line.line.quantity.isEmpty() && line.line.problem.isEmpty() ? u"1"_s : line.line.quantity,
        quicklist::statusText(line),
        offer ? offer->lin : line.line.lin,
        offer ? offer->part : QString(),
        offer ? offer->description : QString(),
        offer ? offer->net : QString(),
        offer && offer->avail ? numbers::plainNumber(float(*offer->avail)) : QString()};
    m_showing = true;
    for (int column = 0; column < ColumnCount; ++column) {
        QTableWidgetItem* item = m_table->item(int(index), column);
        if (!item) {
            item = new QTableWidgetItem;
            if (column != PartCol && column != QtyCol)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            if (column == QtyCol || column == NetCol || column == AvailCol)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(int(index), column, item);
        }
        item->setText(cells[column]);
    }
    m_showing = false;
    if (index == m_table->currentRow())
        showChoices();
}

void QuickOrderDlg::showChoices()
{
    m_choice->clear();
    const int row = m_table->currentRow();
    const bool checking = m_check->checking();
    if (row < 0 || row >= m_check->lines().size() || !m_check->lines()[row].verdict) {
        m_choice->setEnabled(false);
        return;
    }
    const quicklist::PadLine& line = m_check->lines()[row];
    const bool superseded = line.verdict->status == quicklist::Status::Superseded;
    m_choice->addItem(superseded ? u"Do not order a superseding part"_s : u"Not chosen"_s);
    for (const quicklist::Offer& offer : line.verdict->offers)
        m_choice->addItem((superseded ? u"Order instead: "_s : QString()) + offerChoiceText(offer));
    m_choice->setCurrentIndex(line.choice + 1);
    m_choice->setEnabled(!checking && (superseded || line.verdict->offers.size() > 1));
}

void QuickOrderDlg::cellEdited(int row, int column)
{
    if (m_showing)
        return;
    const QString text = m_table->item(row, column)->text();
    if (column == PartCol)
        m_check->editPart(row, text);
    else if (column == QtyCol)
        m_check->editQuantity(row, text);
}

void QuickOrderDlg::enableControls()
{
    const bool checking = m_check->checking();
    const bool any = !m_check->lines().isEmpty();
    m_paste->setEnabled(!checking);
    m_open->setEnabled(!checking);
    m_remove->setEnabled(!checking && any);
    m_checkCmd->setEnabled(!checking && any);
    m_add->setEnabled(!checking && any);
    m_table->setEditTriggers(checking ? QAbstractItemView::NoEditTriggers
                                      : QAbstractItemView::DoubleClicked
                                     | QAbstractItemView::EditKeyPressed
                                     | QAbstractItemView::AnyKeyPressed);
}

void QuickOrderDlg::tell(const QString& text)
{
    m_prompter.ask(this, QMessageBox::Warning, u"Vornik"_s, text, QMessageBox::Ok);
}
