#include "core/history.h"

#include "core/numbers.h"
#include "core/order.h"
#include "core/text.h"

#include <QCryptographicHash>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Column widths of the order details list, under its heading: a blank separates the part number
// from the description, so that a 13-character part number stands apart.
constexpr qsizetype QuantityWidth = 4;
constexpr qsizetype PartWidth = 14;
constexpr qsizetype DescriptionWidth = 16;
constexpr qsizetype ListWidth = 7;
constexpr qsizetype CostWidth = 10;

// Column widths of the order history list, under its heading.
constexpr qsizetype NumberWidth = 11; // a blank before the largest 32-bit number
constexpr qsizetype LinesWidth = 7;
constexpr qsizetype TotalWidth = 10;

QString shortDate(const QDateTime& when)
{
    return when.toLocalTime().toString(u"MM/dd/yy"_s);
}

QString shortTime(const QDateTime& when)
{
    return when.toLocalTime().toString(u"HH:mm"_s);
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
    return when.toUTC().toString(u"yyyy-MM-ddTHH:mm:ss"_s) + u'Z';
}

QDateTime history::sentAtValue(QStringView stored)
{
    const bool utc = stored.size() == 20 && stored.back() == u'Z';
    if (stored.size() != 19 && !utc)
        return {};
    const QDate date(digits(stored, 0, 4), digits(stored, 5, 2), digits(stored, 8, 2));
    const QTime time(digits(stored, 11, 2), digits(stored, 14, 2), digits(stored, 17, 2));
    if (!date.isValid() || !time.isValid())
        return {};
    return utc ? QDateTime(date, time, Qt::UTC) : QDateTime(date, time);
}

QString history::listPriceOf(QStringView answerRow)
{
    // A part not stocked has a note where the prices would be: no list price then.
    const QString price = text::trimBlanks(text::columns(answerRow, 42, 9));
    const bool isPrice = std::all_of(price.begin(), price.end(), [](QChar c) {
        return c.isDigit() || c == u'.' || c == u',' || c == u'-';
    });
    return isPrice ? price : QString();
}

history::Line history::lineFromCart(QStringView cartLine)
{
    // The columns are read from what precedes the total field (a line made from a short answer
    // row has its total directly after what the row gave).
    const QString total = order::totalField(cartLine);
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
                                      const QDateTime& sentAt, const QStringList& listPrices)
{
    Order order;
    order.sentAt = sentAt;
    order.account = account;
    order.login = login;
    order.orderedBy = text::trimBlanks(orderedBy);
    order.purchaseOrder = text::trimBlanks(purchaseOrder);
    order.notes = text::trimBlanks(notes);
    order.lines.reserve(cartLines.size());
    for (qsizetype i = 0; i < cartLines.size(); ++i) {
        order.lines << lineFromCart(cartLines.at(i));
        order.lines.back().list = text::trimBlanks(listPrices.value(i));
    }
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
                            const QStringList& partNumbers, const QStringList& descriptions)
{
    QString search = orderNumberText(number) + u'\n' + purchaseOrder.toString();
    for (const QString& part : partNumbers)
        search += u'\n' + part;
    QStringList seen;
    for (const QString& description : descriptions)
        if (!description.isEmpty() && !seen.contains(description)) {
            seen << description;
            search += u'\n' + description;
        }
    return search.toUpper();
}

QString history::searchText(const Order& order)
{
    QStringList parts;
    QStringList descriptions;
    parts.reserve(order.lines.size());
    descriptions.reserve(order.lines.size());
    for (const Line& line : order.lines) {
        parts << line.partNumber;
        descriptions << line.description;
    }
    return searchText(order.number, order.purchaseOrder, parts, descriptions);
}

QString history::searchKey(QStringView filter)
{
    return text::trimBlanks(filter).toUpper();
}

bool history::matches(QStringView search, QStringView filter)
{
    return search.contains(searchKey(filter));
}

QString history::statusText(const QString& status)
{
    return status == StatusSent ? u"Sent, not confirmed"_s : status;
}

QString history::historyRow(const Summary& summary)
{
    return text::padRight(shortDate(summary.sentAt), 8) + u' ' + shortTime(summary.sentAt)
        + text::padLeft(orderNumberText(summary.number), NumberWidth)
        + text::padLeft(QString::number(summary.lineCount), LinesWidth)
        + text::padLeft(numbers::pricePattern(summary.subTotal), TotalWidth) + u"  "_s
        + statusText(summary.status);
}

QString history::subTotalText(const Order& order)
{
    QStringList lines;
    lines.reserve(order.lines.size());
    for (const Line& line : order.lines)
        lines << line.cartLine;
    return numbers::pricePattern(order::subTotal(lines));
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
    // The sub-total ends under Cost, whatever the fields hold; they follow on a row of their own.
    const qsizetype costEnd =
        QuantityWidth + 2 + PartWidth + DescriptionWidth + ListWidth + CostWidth;
    rows << text::padLeft(u"Sub-Total:"_s + text::padLeft(subTotalText(order), CostWidth), costEnd);
    rows << u"By: "_s + order.orderedBy + u"  PO: "_s + order.purchaseOrder + u"  Notes: "_s
            + order.notes;
    return rows;
}

bool history::sameLines(const Order& a, const Order& b)
{
    if (a.lines.size() != b.lines.size())
        return false;
    for (qsizetype i = 0; i < a.lines.size(); ++i)
        if (a.lines.at(i).cartLine != b.lines.at(i).cartLine)
            return false;
    return true;
}

QString history::linesKey(const Order& order)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const Line& line : order.lines) {
        hash.addData(line.cartLine.toUtf8());
        hash.addData(QByteArrayView("\n"));
    }
    return QString::fromLatin1(hash.result().toHex().left(20));
}

QString history::resendQuestion(const Summary& sent)
{
    const QString at = shortTime(sent.sentAt);
    if (sent.status == StatusSent)
        return u"This order was sent at "_s + at
            + u" and has not been confirmed yet. Send it again?"_s;
    if (sent.number >= 1)
        return u"This order was sent at "_s + at + u" and confirmed as order "_s
            + QString::number(sent.number) + u". Send it again?"_s;
    return u"This order was sent at "_s + at
        + u" and confirmed without an order number. Send it again?"_s;
}

QString history::sentBeforeNote(const Summary& sent)
{
    const QString when = u"These items were sent on "_s + shortDate(sent.sentAt) + u" at "_s
        + shortTime(sent.sentAt);
    if (sent.status == StatusSent)
        return when + u" and not confirmed"_s;
    if (sent.number >= 1)
        return when + u" (order "_s + QString::number(sent.number) + u')';
    return when + u" (confirmed without an order number)"_s;
}
