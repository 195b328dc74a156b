#include "core/history.h"

#include "core/numbers.h"
#include "core/order.h"
#include "core/text.h"

using namespace Qt::StringLiterals;

namespace {

// Column ends of the order details list, under its heading.
constexpr qsizetype QuantityWidth = 4;
constexpr qsizetype PartWidth = 13;
constexpr qsizetype DescriptionWidth = 16;
constexpr qsizetype ListWidth = 7;
constexpr qsizetype CostWidth = 10;
constexpr qsizetype SubTotalLabelColumn = 33;

// MM/dd/yy out of "yyyy-MM-ddTHH:mm:ss".
QString shortDate(QStringView stored)
{
    QString date;
    date.reserve(8);
    date.append(stored.mid(5, 2)).append(u'/').append(stored.mid(8, 2)).append(u'/');
    return date.append(stored.mid(2, 2));
}

// The number of the digits at [position, position + count), or -1 when one is no digit.
int digits(QStringView text, qsizetype position, qsizetype count)
{
    if (position + count > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = position; i < position + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

QString history::sentAtText(const QDateTime& when)
{
    return when.toString(u"yyyy-MM-ddTHH:mm:ss"_s);
}

QDateTime history::sentAtValue(QStringView stored)
{
    if (stored.size() != 19)
        return {};
    const QDate date(digits(stored, 0, 4), digits(stored, 5, 2), digits(stored, 8, 2));
    const QTime time(digits(stored, 11, 2), digits(stored, 14, 2), digits(stored, 17, 2));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

history::Line history::lineFromCart(QStringView cartLine)
{
    // The columns are read from what precedes the total field (a line made from a short answer
    // row has its total directly after what the row gave).
    const QString total = cart::totalField(cartLine);
    const QStringView head = cartLine.left(cartLine.size() - total.size());
    const auto column = [head](qsizetype position, qsizetype count) {
        return text::trimBlanks(text::columns(head, position, count));
    };
    Line line;
    line.quantity = column(1, 4);
    line.lineCode = column(6, 4);
    line.partNumber = column(10, 13);
    line.description = column(23, 17);
    line.net = column(40, 8);
    line.core = column(48, 8);
    line.total = text::trimBlanks(total);
    line.cartLine = cartLine.toString();
    return line;
}

history::Order history::orderFromCart(const QString& account, const QString& login,
                                      QStringView orderedBy, QStringView purchaseOrder,
                                      QStringView notes, const QStringList& cartLines,
                                      const QDateTime& sentAt)
{
    Order order;
    order.sentAt = sentAt;
    order.account = account;
    order.login = login;
    order.orderedBy = text::trimBlanks(orderedBy);
    order.purchaseOrder = text::trimBlanks(purchaseOrder);
    order.notes = text::trimBlanks(notes);
    order.lines.reserve(cartLines.size());
    for (const QString& cartLine : cartLines)
        order.lines << lineFromCart(cartLine);
    return order;
}

QString history::confirmedStatus(qint32 number)
{
    return number >= 1 ? StatusConfirmed : StatusNoNumber;
}

QString history::orderNumberText(qint32 number)
{
    return number >= 1 ? QString::number(number) : QString();
}

QString history::searchText(qint32 number, QStringView purchaseOrder,
                            const QStringList& partNumbers)
{
    QString search = orderNumberText(number) + u'\n' + purchaseOrder.toString();
    for (const QString& part : partNumbers)
        search += u'\n' + part;
    return search;
}

QString history::searchText(const Order& order)
{
    QStringList parts;
    parts.reserve(order.lines.size());
    for (const Line& line : order.lines)
        parts << line.partNumber;
    return searchText(order.number, order.purchaseOrder, parts);
}

bool history::matches(QStringView search, QStringView filter)
{
    const QString wanted = text::trimBlanks(filter);
    return wanted.isEmpty() || search.contains(wanted, Qt::CaseInsensitive);
}

QString history::historyRow(const Summary& summary)
{
    return text::padRight(shortDate(summary.sentAt), 8) + u' '
        + text::padLeft(orderNumberText(summary.number), 7) + u"    "_s + summary.status;
}

QString history::subTotalText(const Order& order)
{
    QStringList lines;
    lines.reserve(order.lines.size());
    for (const Line& line : order.lines)
        lines << line.cartLine;
    return numbers::pricePattern(cart::subTotal(lines));
}

QStringList history::detailRows(const Order& order)
{
    QStringList rows;
    rows.reserve(order.lines.size() + 1);
    for (const Line& line : order.lines)
        rows << text::padLeft(line.quantity, QuantityWidth) + u"  "_s
                + text::padRight(line.partNumber, PartWidth)
                + text::padRight(line.description.left(DescriptionWidth), DescriptionWidth)
                + text::padLeft(line.list, ListWidth) + text::padLeft(line.total, CostWidth);
    const QString fields = u"By: "_s + order.orderedBy + u"  PO: "_s + order.purchaseOrder
        + u"  Notes: "_s + order.notes;
    rows << text::padRight(fields + u' ', SubTotalLabelColumn - 1) + u"Sub-Total:"_s
            + text::padLeft(subTotalText(order), CostWidth);
    return rows;
}

bool history::sameContent(const Order& a, const Order& b)
{
    if (a.orderedBy != b.orderedBy || a.purchaseOrder != b.purchaseOrder || a.notes != b.notes
        || a.lines.size() != b.lines.size())
        return false;
    for (qsizetype i = 0; i < a.lines.size(); ++i)
        if (a.lines.at(i).cartLine != b.lines.at(i).cartLine)
            return false;
    return true;
}

QString history::resendQuestion(const QDateTime& sentAt)
{
    return u"This order was sent at "_s + sentAt.toString(u"HH:mm"_s)
        + u" and has not been confirmed yet. Send it again?"_s;
}
