#include "core/answer.h"

#include "core/numbers.h"
#include "core/text.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString answer::partNumber(QStringView typed)
{
    return text::toUpper8Bit(text::trimBlanks(typed));
}

bool answer::isHiddenKeyword(QStringView typed)
{
    return partNumber(typed) == HiddenKeyword;
}

std::optional<QString> answer::inquiryRequest(QStringView account, QStringView login,
                                              QStringView typedPart)
{
    const QString part = partNumber(typedPart);
    if (part.isEmpty() || part.size() > MaxPartLength)
        return std::nullopt;
    return u"<I>,"_s + text::trimBlanks(account) + u',' + text::trimBlanks(login) + u',' + part;
}

answer::ReplyKind answer::replyKind(QStringView reply)
{
    if (reply.isEmpty())
        return ReplyKind::Empty;
    if (reply.startsWith(u"<O>"))
        return ReplyKind::Order;
    if (reply.startsWith(u"<V>"))
        return ReplyKind::Login;
    if (reply.startsWith(u"<E>"))
        return ReplyKind::ServerError;
    return ReplyKind::Inquiry;
}

std::optional<QString> answer::serverErrorText(QStringView reply)
{
    const QList<QStringView> fields = reply.split(u',');
    if (fields.size() < 2)
        return std::nullopt;
    return u"Error : "_s + fields.at(1).toString();
}

QString answer::withoutCutField(const QString& reply)
{
    const qsizetype whole = std::max(reply.lastIndexOf(u','), reply.lastIndexOf(u'<')) + 1;
    return reply.left(std::max(whole, std::min<qsizetype>(reply.size(), 3)));
}

QStringList answer::splitRecords(QStringView reply)
{
    QStringList records;
    const QList<QStringView> pieces = reply.split(u'<');
    records.reserve(pieces.size());
    for (qsizetype i = 1; i < pieces.size(); ++i)
        records << text::trimBlanks(pieces.at(i));
    return records;
}

QStringList answer::splitFields(const QString& record)
{
    if (record.isEmpty())
        return {};
    return record.split(u',');
}

std::optional<QString> answer::recordTag(const QStringList& fields)
{
    if (fields.isEmpty())
        return std::nullopt;
    return text::trimBlanks(QStringView(fields.first()).left(3));
}

bool answer::isDisplayTag(QStringView tag)
{
    return tag == u"P>" || tag == u"NS>" || tag == u"A>" || tag == u"S>";
}

bool answer::isOrderableRow(QStringView row)
{
    return !row.startsWith(u"  ");
}

bool answer::isNewerVersion(QStringView serverVersion, QStringView ownVersion)
{
    return !serverVersion.isEmpty() && serverVersion.compare(ownVersion, Qt::CaseSensitive) > 0;
}

answer::RowResult answer::buildAnswerRow(QStringView tag, const QStringList& fields,
                                         RowWorkingValues& v, QString& stage, bool readNote)
{
    RowResult result;
    const auto fail = [&] { result.failedStages << stage; };
    // A field beyond the end of the record is a failed step, never a read out of range.
    const auto field = [&](qsizetype index) -> std::optional<QString> {
        if (index >= fields.size()) {
            fail();
            return std::nullopt;
        }
        return text::trimBlanks(fields.at(index));
    };
    const auto assignText = [&](qsizetype index, QString& target) {
        if (auto value = field(index))
            target = *value;
    };
    const auto assignNumber = [&](qsizetype index, auto& target) {
        const auto value = field(index);
        if (!value)
            return;
        const auto number = numbers::strictSingle(*value);
        if (!number) {
            fail();
            return;
        }
        target = *number;
    };
    // A text longer than its column is not cut: the fill fails and the later columns move right.
    const auto fillRight = [&](QString& target, qsizetype width) {
        if (target.size() > width)
            fail();
        else
            target = text::padRight(target, width);
    };
    // Likewise a price wider than its column is appended whole; a missing one leaves blanks.
    const auto appendPrice = [&](std::optional<float> value, qsizetype width) {
        v.scratch = value ? numbers::pricePattern(*value) : QString();
        if (v.scratch.size() > width)
            fail();
        else
            v.scratch = text::padLeft(v.scratch, width);
        v.row += v.scratch;
    };

    if (tag == u"P>") {
        v.note = u"*     "_s;
        v.colour = Navy;
    } else if (tag == u"NS>") {
        v.note = u"      "_s;
        v.colour = Navy;
    } else if (tag == u"A>") {
        v.note = u"CanUse"_s;
        v.colour = DarkTeal;
    } else if (tag == u"S>") {
        v.note = u"SupeBy"_s;
        v.colour = DarkRed;
    }
    v.row = v.note;
    stage = DisplayDataStage.toString();
    assignText(1, v.lin);
    assignText(2, v.part);
    assignText(3, v.description);
    assignText(4, v.quantity);
    assignNumber(5, v.list);
    assignNumber(8, v.net);
    assignNumber(9, v.core);
    assignNumber(10, v.environmental);
    if (readNote)
        assignText(11, v.availabilityNote);
    fillRight(v.lin, 4);
    fillRight(v.part, 13);
    fillRight(v.description, 17);
    v.row += u' ' + v.lin + v.part + v.description;

    bool ownRow = true;
    if (v.quantity == u"nif") { // the not-stocked marker, lower case only
        if (tag == u"P>")
            v.row += u"  **  number not stocked  **"_s;
        else
            ownRow = false;
    } else {
        if (const auto quantity = numbers::strictSingle(v.quantity))
            v.avail = numbers::plainNumber(*quantity);
        else
            fail();
        if (v.avail.size() < 5)
            v.avail = text::padLeft(v.avail, 5);
        stage = FormatPricingStage.toString();
        appendPrice(v.list, 9);
        appendPrice(v.net, 8);
        const float charges = v.core + v.environmental;
        if (charges > 0) {
            appendPrice(charges, 8);
            v.row += v.environmental > 0 ? u'e' : u' ';
        } else {
            v.row += u"         "_s;
        }
        v.row += u' ' + v.avail;
    }

    if (ownRow) {
        result.row = v.row;
        result.colour = v.colour;
    }
    const QString note = text::trimBlanks(v.availabilityNote);
    if (!note.isEmpty()) {
        result.noteRow = u"       "_s + note;
        v.availabilityNote.clear();
    }
    return result;
}

QString answer::availabilityNoteRow(const QStringList& fields, bool& failed)
{
    failed = fields.size() <= 11;
    const QString note = failed ? QString() : text::trimBlanks(fields.at(11));
    return note.isEmpty() ? QString() : u"       "_s + note;
}
