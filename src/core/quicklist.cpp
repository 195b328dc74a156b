#include "core/quicklist.h"

#include "core/answer.h"
#include "core/files.h"
#include "core/history.h"
#include "core/numbers.h"
#include "core/order.h"
#include "core/text.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

bool isBinaryByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return value < 0x20 && value != '\t' && value != '\r' && value != '\n' && value != '\f';
}

// The separator of the whole list: the first tab, semicolon or comma outside quotes; a blank
// when none appears.
QChar separatorOf(QStringView text)
{
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u'\n')
            quoted = false; // a quote is never carried to the next line
        else if (!quoted && (c == u'\t' || c == u';' || c == u','))
            return c;
    }
    return u' ';
}

// One field without its surrounding quotes; "" inside a quoted field stands for one quote.
QString unquoted(QStringView raw)
{
    QStringView field = raw.trimmed();
    if (field.size() >= 2 && field.front() == u'"' && field.back() == u'"')
        return field.sliced(1, field.size() - 2).toString().replace(u"\"\""_s, u"\""_s).trimmed();
    return field.toString();
}

QStringList fieldsOf(QStringView row, QChar separator)
{
    QStringList fields;
    if (separator == u' ') {
        for (const QStringView piece : row.split(u' ', Qt::SkipEmptyParts))
            fields << unquoted(piece);
        return fields;
    }
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (row[i] == u'"')
            quoted = !quoted;
        else if (!quoted && row[i] == separator) {
            fields << unquoted(row.sliced(start, i - start));
            start = i + 1;
        }
    }
    fields << unquoted(row.sliced(start));
    return fields;
}

enum class Column { None, Part, Quantity, Lin };

Column columnNamed(const QString& field)
{
    const QString name = field.simplified().toLower();
    if (name == u"part" || name == u"part#" || name == u"part number")
        return Column::Part;
    if (name == u"qty" || name == u"quantity")
        return Column::Quantity;
    if (name == u"lin")
        return Column::Lin;
    return Column::None;
}

bool isNumber(const QString& field)
{
    return numbers::strictNumber(field).has_value();
}

struct Columns
{
    qsizetype part = 0;
    qsizetype quantity = 1;
    qsizetype lin = -1;
};

// The columns a header line names; nothing when the line is no header.
std::optional<Columns> headerColumns(const QStringList& fields)
{
    if (fields.size() >= 2 && isNumber(fields[1]))
        return std::nullopt;
    Columns named{-1, -1, -1};
    bool any = false;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        qsizetype* slot = nullptr;
        switch (columnNamed(fields[i])) {
        case Column::Part:
            slot = &named.part;
            break;
        case Column::Quantity:
            slot = &named.quantity;
            break;
        case Column::Lin:
            slot = &named.lin;
            break;
        case Column::None:
            break;
        }
        if (slot && *slot < 0) {
            *slot = i;
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return named;
}

QString csvField(const QString& field)
{
    if (field.contains(u',') || field.contains(u'"') || field.startsWith(u' ')
        || field.endsWith(u' '))
        return u'"' + QString(field).replace(u"\""_s, u"\"\""_s) + u'"';
    return field;
}

QString decimals(QStringView price)
{
    return QString::number(numbers::numericValue(price), 'f', 2);
}

QString offerText(const quicklist::Offer& offer)
{
    return offer.part + u" (LIN "_s + offer.lin + u')';
}

} // namespace

std::optional<QString> quicklist::decode(QByteArrayView bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        QString text = decoder(bytes.sliced(2));
        if (decoder.hasError() || text.contains(QChar(0)))
            return std::nullopt;
        return text;
    }
    for (const char byte : bytes)
        if (isBinaryByte(byte))
            return std::nullopt;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return files::fromAnsi(bytes);
}

QString quicklist::partProblem(QStringView part)
{
    if (part.isEmpty())
        return u"No part number"_s;
    if (part.size() > answer::MaxPartLength)
        return u"Part number longer than 12 characters"_s;
    for (const QChar c : part) {
        const bool control = c.category() == QChar::Other_Control;
        if (control || c == u',' || c == u'"' || c == u'<'
            || files::fromAnsi(files::toAnsi(QStringView(&c, 1))) != QStringView(&c, 1)) {
            const QString shown = control
                ? u"U+"_s + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0')
                : QString(c);
            return u"Part number holds "_s + shown + u", which cannot be sent"_s;
        }
    }
    return {};
}

QString quicklist::quantityProblem(QStringView quantity, bool present, double& value)
{
    if (!present) {
        value = 1;
        return {};
    }
    if (quantity.trimmed().isEmpty())
        return u"Quantity is empty"_s;
    const auto number = numbers::strictNumber(quantity);
    if (!number || *number < 1)
        return u"Quantity "_s + quantity.trimmed().toString() + u" is not a number of at least 1"_s;
    if (!order::quantityFits(static_cast<float>(*number)))
        return order::quantityRefusal(static_cast<float>(*number));
    value = *number;
    return {};
}

quicklist::Line quicklist::makeLine(int source, QStringView part,
                                    std::optional<QStringView> quantity, QStringView lin)
{
    Line line;
    line.source = source;
    line.part = answer::partNumber(part.trimmed());
    line.quantity = quantity ? quantity->trimmed().toString() : QString();
    line.lin = text::toUpper8Bit(lin.trimmed());
    line.problem = partProblem(line.part);
    const QString quantityFault = quantityProblem(line.quantity, quantity.has_value(), line.value);
    if (line.problem.isEmpty())
        line.problem = quantityFault;
    return line;
}

quicklist::List quicklist::read(QStringView text, qsizetype room)
{
    List list;
    const QChar separator = separatorOf(text);
    std::optional<Columns> columns;
    const QStringList rows = files::splitLines(text);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].trimmed().isEmpty())
            continue;
        const QStringList fields = fieldsOf(rows[i], separator);
        if (!columns) {
            columns = headerColumns(fields);
            if (columns)
                continue;
            columns = Columns{};
        }
        if (list.lines.size() >= room) {
            ++list.cut;
            continue;
        }
        const int source = int(i + 1);
        if (columns->part < 0) {
            Line line{source, {}, {}, 1, {}, u"The header names no part number column"_s};
            list.lines << line;
            continue;
        }
        const auto field = [&fields](qsizetype at) -> std::optional<QStringView> {
            if (at < 0 || at >= fields.size())
                return std::nullopt;
            return QStringView(fields[at]);
        };
        list.lines << makeLine(source, field(columns->part).value_or(QStringView()),
                               field(columns->quantity),
                               field(columns->lin).value_or(QStringView()));
    }
    return list;
}

quicklist::Verdict quicklist::classify(QStringView part, QStringView reply)
{
    switch (answer::replyKind(reply)) {
    case answer::ReplyKind::Empty:
        return {Status::Failed, {}, u"No answer from the server"_s};
    case answer::ReplyKind::ServerError:
        return {Status::Failed, {}, answer::serverErrorText(reply).value_or(u"Error : "_s)};
    case answer::ReplyKind::Order:
    case answer::ReplyKind::Login:
        return {Status::Failed, {}, u"The server's answer is no inquiry answer"_s};
    case answer::ReplyKind::Inquiry:
        break;
    }
    // The record loop of the answer list, without its window: the tag carries from record to
    // record; each row is built from its own record's values only, as the answer list builds it.
    struct Row
    {
        Offer offer;
        QString tag;
        bool notStocked = false;
    };
    QList<Row> rows;
    QString tag;
    QString stage;
    bool notFound = false;
    for (const QString& record : answer::splitRecords(reply)) {
        answer::RowWorkingValues values;
        const QStringList fields = answer::splitFields(record);
        if (const auto recordTag = answer::recordTag(fields))
            tag = *recordTag;
        if (tag == u"NF>") {
            notFound = true;
            break;
        }
        if (!answer::isDisplayTag(tag))
            continue;
        const answer::RowResult result = answer::buildAnswerRow(tag, fields, values, stage);
        if (!result.row)
            continue;
        Offer offer{*result.row,
                    values.lin.trimmed(),
                    values.part.trimmed(),
                    values.description.trimmed(),
                    history::listPriceOf(*result.row),
                    text::columns(*result.row, 51, 8).trimmed(),
                    numbers::strictNumber(values.avail)};
        rows << Row{offer, tag, text::trimBlanks(values.quantity) == u"nif"};
    }
    if (notFound)
        return {Status::NotFound, {}, {}};
    Verdict verdict;
    bool shown = false;
    bool notStocked = false;
    for (const Row& row : rows) {
        if (row.offer.part != part)
            continue;
        shown = true;
        if (!answer::isOrderableRow(row.offer.row))
            continue;
        if (row.notStocked)
            notStocked = true;
        else
            verdict.offers << row.offer;
    }
    if (!verdict.offers.isEmpty()) {
        verdict.status = Status::Found;
        return verdict;
    }
    if (notStocked) {
        verdict.status = Status::NotStocked;
        return verdict;
    }
    for (const Row& row : rows)
        if (row.tag == u"S>" && answer::isOrderableRow(row.offer.row) && !row.notStocked)
            verdict.offers << row.offer;
    verdict.status = !verdict.offers.isEmpty() ? Status::Superseded
        : shown                                ? Status::NoLongerSold
                                               : Status::NotFound;
    return verdict;
}

int quicklist::defaultChoice(const Verdict& verdict)
{
    return verdict.status == Status::Found && verdict.offers.size() == 1 ? 0 : -1;
}

bool quicklist::addable(const PadLine& line)
{
    return line.line.problem.isEmpty() && line.verdict
        && (line.verdict->status == Status::Found || line.verdict->status == Status::Superseded)
        && line.choice >= 0 && line.choice < line.verdict->offers.size();
}

QString quicklist::statusText(const PadLine& line)
{
    if (!line.line.problem.isEmpty())
        return u"Invalid: "_s + line.line.problem;
    QString status;
    if (!line.lookupFailure.isEmpty()) {
        status = u"Not checked: "_s + line.lookupFailure;
    } else if (!line.verdict) {
        status = u"Not checked"_s;
    } else {
        const Verdict& verdict = *line.verdict;
        const bool chosen = line.choice >= 0 && line.choice < verdict.offers.size();
        switch (verdict.status) {
        case Status::Found:
            status = chosen ? u"Found"_s
                            : u"Found under "_s + QString::number(verdict.offers.size())
                    + u" LIN codes: pick one"_s;
            break;
        case Status::Superseded:
            status = chosen
                ? u"Superseded: "_s + offerText(verdict.offers[line.choice]) + u" accepted"_s
                : u"Superseded by "_s + offerText(verdict.offers.first())
                    + u": accept it to order"_s;
            break;
        case Status::NoLongerSold:
            status = u"No longer sold"_s;
            break;
        case Status::NotStocked:
            status = u"Not stocked"_s;
            break;
        case Status::NotFound:
            status = u"Not found"_s;
            break;
        case Status::Failed:
            status = u"Not checked: "_s + verdict.message;
            break;
        }
        if (chosen) {
            const Offer& offer = verdict.offers[line.choice];
            if (offer.avail && line.line.value > *offer.avail)
                status +=
                    u"; only "_s + numbers::plainNumber(float(*offer.avail)) + u" available"_s;
        }
    }
    if (line.duplicateOf > 0)
        status += u"; same part as line "_s + QString::number(line.duplicateOf);
    return status;
}

void quicklist::markDuplicates(QList<PadLine>& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        lines[i].duplicateOf = 0;
        if (!lines[i].line.problem.isEmpty())
            continue;
        for (qsizetype j = 0; j < i; ++j)
            if (lines[j].line.problem.isEmpty() && lines[j].line.part == lines[i].line.part) {
                lines[i].duplicateOf = int(j + 1);
                break;
            }
    }
}

QStringList quicklist::csvFields(QStringView orderLine)
{
    const history::Line line = history::lineFromCart(orderLine);
    return {line.partNumber,    line.quantity,       line.lineCode,       line.description,
            decimals(line.net), decimals(line.core), decimals(line.total)};
}

QString quicklist::csv(const QStringList& orderLines)
{
    QString text = u"Part Number,Quantity,LIN,Description,Net,Core,Total\r\n"_s;
    for (const QString& orderLine : orderLines) {
        QStringList fields = csvFields(orderLine);
        for (QString& field : fields)
            field = csvField(field);
        text += fields.join(u',') + u"\r\n"_s;
    }
    return text;
}
