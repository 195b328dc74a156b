#include "requests.h"

#include "catalog.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView EndOfOrder = "<X>  End of Order";
constexpr qsizetype HeaderFields = 6; // <O>, account, login, ordered by, PO, notes
constexpr qsizetype LineFields = 9;   // <P> , quantity, code, part, description, total, 3 empty

} // namespace

demo::RequestKind demo::requestKind(QByteArrayView request)
{
    if (request.startsWith("<V>"))
        return RequestKind::LoginTest;
    if (request.startsWith("<I>"))
        return RequestKind::Inquiry;
    if (request.startsWith("<O>"))
        return RequestKind::Order;
    return RequestKind::Unknown;
}

bool demo::isWholeRequest(QByteArrayView request)
{
    switch (requestKind(request)) {
    case RequestKind::LoginTest:
        return request.count(',') >= 3;
    case RequestKind::Order:
        return request.indexOf(EndOfOrder) >= 0;
    case RequestKind::Inquiry:
    case RequestKind::Unknown:
        break;
    }
    return false;
}

std::optional<demo::Identity> demo::readIdentity(QStringView request)
{
    const qsizetype first = request.indexOf(u',');
    const qsizetype second = first < 0 ? -1 : request.indexOf(u',', first + 1);
    const qsizetype third = second < 0 ? -1 : request.indexOf(u',', second + 1);
    if (third < 0)
        return std::nullopt;
    return Identity{request.sliced(first + 1, second - first - 1).trimmed().toString(),
                    request.sliced(second + 1, third - second - 1).trimmed().toString(),
                    request.sliced(third + 1).trimmed().toString()};
}

demo::OrderReading demo::readOrder(QStringView request)
{
    const auto refuse = [](const QString& reason) { return OrderReading{std::nullopt, reason}; };
    const qsizetype end = request.indexOf(QLatin1StringView(EndOfOrder.data(), EndOfOrder.size()));
    if (end < 0)
        return refuse(u"Order incomplete - no end marker"_s);
    // Only the marker may follow the last comma; bytes after the marker are not part of it.
    const auto fields = request.first(end).split(u',');
    if (fields.size() < HeaderFields + 1 || !fields.last().trimmed().isEmpty())
        return refuse(u"Order header incomplete"_s);
    if (fields[0] != u"<O>")
        return refuse(u"Not an order"_s);

    Order order;
    order.account = fields[1].trimmed().toString();
    order.login = fields[2].trimmed().toString();
    order.orderedBy = fields[3].trimmed().toString();
    order.purchaseOrder = fields[4].trimmed().toString();
    order.notes = fields[5].trimmed().toString();

    // Each line starts at a field "<P> " and runs to the next one or to the marker; the fields
    // in between are the line's own, so a line with a missing or extra field is caught here.
    static const QRegularExpression number(u"^(\\d{1,7}(\\.\\d{0,3})?|\\.\\d{1,3})$"_s);
    const qsizetype last = fields.size() - 1; // the empty text in front of the marker
    qsizetype at = HeaderFields;
    while (at < last) {
        if (fields[at].trimmed() != u"<P>")
            return refuse(u"Order line %1 does not start with <P>"_s.arg(order.lines.size() + 1));
        qsizetype next = at + 1;
        while (next < last && fields[next].trimmed() != u"<P>")
            ++next;
        const qsizetype lineNumber = order.lines.size() + 1;
        const qsizetype count = next - at;
        if (count != LineFields)
            return refuse(u"Order line %1 has %2 fields instead of %3"_s.arg(lineNumber)
                              .arg(count)
                              .arg(LineFields));
        OrderLine line;
        line.quantity = fields[at + 1].trimmed().toString();
        line.lineCode = fields[at + 2].trimmed().toString();
        line.part = fields[at + 3].trimmed().toString();
        line.description = fields[at + 4].trimmed().toString();
        const auto total = parseCents(fields[at + 5].trimmed());
        if (!number.match(line.quantity).hasMatch() || line.quantity.toDouble() <= 0)
            return refuse(u"Order line %1 has an invalid quantity"_s.arg(lineNumber));
        if (line.part.isEmpty())
            return refuse(u"Order line %1 has no part number"_s.arg(lineNumber));
        if (!total)
            return refuse(u"Order line %1 has an invalid total"_s.arg(lineNumber));
        line.totalCents = *total;
        order.lines << line;
        at = next;
    }
    if (order.lines.isEmpty())
        return refuse(u"Order has no lines"_s);
    return OrderReading{order, QString()};
}
