// The cart and MyOrder.dat.
#include "logic/cart/cart.h"

#include "core/files.h"
#include "core/numbers.h"
#include "core/order.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// No order line comes near this length, even with an over-long quantity or total. A longer line
// means MyOrder.dat holds something else; shown as a row it would stall the window for minutes.
constexpr qsizetype LongestSavedLine = 256;

// MyOrder.dat's bytes for the lines: one byte a character, CR LF after each.
QByteArray orderFileBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += files::toAnsi(line) + files::crlf;
    return bytes;
}

} // namespace

Cart::Cart(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_orderFile(folder + u"MyOrder.dat"_s)
{
    setObjectName(u"Cart"_s);
}

Cart::Line Cart::orderLine(const QString& answerRow, double quantity)
{
    const auto value = static_cast<float>(quantity);
    if (!order::quantityFits(value))
        return {std::nullopt, order::quantityRefusal(value)};
    return {order::orderLine(answerRow, value), QString()};
}

void Cart::append(const QString& line, const QString& listPrice)
{
    m_lines << line;
    m_listPrices << listPrice;
}

void Cart::addLines(const QStringList& lines, const QStringList& listPrices)
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        append(lines.at(i), listPrices.value(i));
    SaveOrderFile();
}

void Cart::removeLine(qsizetype index)
{
    if (index >= 0 && index < m_lines.size()) {
        m_lines.removeAt(index);
        m_listPrices.removeAt(index);
    }
}

void Cart::removeAll()
{
    m_lines.clear();
    m_listPrices.clear();
    truncateOrderFile();
}

bool Cart::clear()
{
    m_lines.clear();
    m_listPrices.clear();
    return files::saveWhole(m_orderFile, QByteArray()).isEmpty();
}

bool Cart::removeSentLines(const QStringList& sent)
{
    for (const QString& line : sent)
        removeLine(m_lines.indexOf(line)); // its list price goes with it
    return files::saveWhole(m_orderFile, orderFileBytes(m_lines)).isEmpty();
}

QString Cart::itemCountText() const
{
    return numbers::numberText(static_cast<double>(m_lines.size()));
}

QString Cart::subTotalText() const
{
    return numbers::pricePattern(order::subTotal(m_lines));
}

bool Cart::writeOrderFile(const QByteArray& bytes)
{
    // Replaced whole and atomically: a failed or interrupted save leaves the old file.
    if (files::saveWhole(m_orderFile, bytes).isEmpty())
        return true;
    emit saveFailed(m_lines.isEmpty());
    return false;
}

void Cart::SaveOrderFile()
{
    if (m_lines.isEmpty())
        return;
    writeOrderFile(orderFileBytes(m_lines));
}

void Cart::truncateOrderFile()
{
    writeOrderFile(QByteArray());
}

// Keeps a copy of MyOrder.dat as it was beside it, under the first free name of
// MyOrder.dat.damaged, MyOrder.dat.damaged-2, ... The copy's name, or nothing when it could not
// be written.
std::optional<QString> Cart::keepDamagedOrderFile(const QByteArray& bytes) const
{
    for (int n = 1; n < 1000; ++n) {
        const QString path =
            m_orderFile + u".damaged"_s + (n == 1 ? QString() : u'-' + QString::number(n));
        if (QFileInfo::exists(path))
            continue;
        if (!files::saveWhole(path, bytes).isEmpty())
            return std::nullopt;
        return QFileInfo(path).fileName();
    }
    return std::nullopt;
}

Cart::SavedOrder Cart::loadSavedOrder()
{
    SavedOrder saved;
    files::createIfMissing(m_orderFile);
    const auto bytes = files::readAll(m_orderFile);
    if (!bytes || bytes->size() < 5)
        return saved; // no order saved
    QStringList lines = files::splitLines(files::fromAnsi(*bytes));
    const auto tooLong = [](const QString& line) { return line.size() > LongestSavedLine; };
    saved.damaged = std::count_if(lines.begin(), lines.end(), tooLong);
    if (saved.damaged > 0) {
        // The file as it was is kept beside it before anything rewrites it, and MyOrder.dat
        // then holds the good lines only, so this is found once.
        saved.keptAs = keepDamagedOrderFile(*bytes);
        if (!saved.keptAs)
            return saved;
        lines.removeIf(tooLong);
        writeOrderFile(orderFileBytes(lines));
        if (lines.isEmpty())
            return saved;
    }
    m_lines = lines;
    m_listPrices = QStringList(lines.size(), QString());
    saved.loaded = true;
    return saved;
}

QString Cart::orderMessage(const QString& account, const QString& login, const QString& orderedBy,
                           const QString& poNumber, const QString& notes) const
{
    return order::orderMessage(account, login, orderedBy, poNumber, notes, m_lines);
}

std::optional<qint32> Cart::takeConfirmation(const QString& reply)
{
    const auto number = order::confirmationNumber(reply);
    if (number)
        m_orderNumber = *number;
    return number;
}
