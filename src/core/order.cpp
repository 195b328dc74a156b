#include "core/order.h"

#include "core/numbers.h"
#include "core/text.h"

using namespace Qt::StringLiterals;

QString order::quantityText(float quantity)
{
    return numbers::plainNumber(quantity);
}

bool order::quantityFits(float quantity)
{
    return quantityText(quantity).size() <= QuantityWidth;
}

QString order::quantityRefusal(float quantity)
{
    // The order message reads the quantity back from the 4 quantity columns, so a wider text
    // would be sent as another quantity.
    return u"The quantity "_s + quantityText(quantity)
        + u" does not fit an order line (at most 4 characters, such as 9999 or 2.5). Please "
          "enter a smaller quantity."_s;
}

QString order::orderLine(QStringView answerRow, float quantity)
{
    QString line = text::padLeft(quantityText(quantity), QuantityWidth);
    line += text::columns(answerRow, 7, 35);
    line += text::columns(answerRow, 51, 16);
    const auto net = static_cast<float>(numbers::numericValue(text::columns(line, 40, 8)));
    const double core = numbers::numericValue(text::columns(line, 49, 7));
    const auto total =
        static_cast<float>((static_cast<double>(net) + core) * static_cast<double>(quantity));
    return line + text::padLeft(numbers::pricePattern(total), TotalWidth);
}

QString order::totalField(QStringView line)
{
    if (line.size() >= FullLineLength)
        return line.mid(TotalColumn - 1).toString();
    return line.right(TotalWidth).toString();
}

float order::subTotal(const QStringList& lines)
{
    float sum = 0;
    for (const QString& line : lines)
        sum =
            static_cast<float>(static_cast<double>(sum) + numbers::numericValue(totalField(line)));
    return sum;
}

QString order::itemRecord(QStringView line)
{
    const auto field = [](QStringView value) { return text::trimBlanks(value) + u','; };
    return u"<P> ,"_s + field(text::columns(line, 1, 4)) + field(text::columns(line, 6, 3))
        + field(text::columns(line, 10, 13)) + field(text::columns(line, 23, 16))
        + field(totalField(line)) + u",,,"_s;
}

QString order::orderMessage(QStringView account, QStringView login, QStringView orderedBy,
                            QStringView purchaseOrder, QStringView notes, const QStringList& lines)
{
    QString message = u"<O>,"_s;
    for (const QString& field : {account.toString(), login.toString(), text::trimBlanks(orderedBy),
                                 text::trimBlanks(purchaseOrder), text::trimBlanks(notes)})
        message += field + u',';
    for (const QString& line : lines)
        message += itemRecord(line);
    return message + u"<X>  End of Order"_s;
}

std::optional<qint32> order::confirmationNumber(QStringView reply)
{
    const qsizetype comma = reply.indexOf(u',');
    if (comma < 0)
        return std::nullopt;
    QStringView field1 = reply.mid(comma + 1);
    const qsizetype next = field1.indexOf(u',');
    if (next >= 0)
        field1 = field1.left(next);
    return numbers::toInt32(numbers::numericValue(field1));
}
