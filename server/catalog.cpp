#include "catalog.h"

#include "csvtable.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype FieldCount = 12;
constexpr int MaxQuantity = 99999; // the client's AVAIL column holds five digits

bool allDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

std::optional<qint64> demo::parseCents(QStringView text)
{
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || fraction.size() > 2 || whole.size() > 12
        || !allDigits(whole) || !allDigits(fraction))
        return std::nullopt;
    qint64 cents = 0;
    for (const QChar c : whole)
        cents = cents * 10 + (c.unicode() - u'0');
    cents *= 100;
    if (!fraction.isEmpty())
        cents += (fraction[0].unicode() - u'0') * 10;
    if (fraction.size() == 2)
        cents += fraction[1].unicode() - u'0';
    return cents;
}

QString demo::formatPrice(qint64 cents)
{
    return QString::number(cents / 100) + u'.'
        + QString::number(cents % 100).rightJustified(2, u'0');
}

QString demo::formatCharge(qint64 cents)
{
    QString text = formatPrice(cents);
    while (text.endsWith(u'0') && text.contains(u'.'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QStringList demo::Catalog::load(const QString& path)
{
    return loadCsvTable(*this, path);
}

QStringList demo::Catalog::parse(QStringView csv)
{
    QStringList problems;
    m_parts.clear();
    const bool headingSeen =
        forEachCsvRow(csv, Heading, problems, [&](qsizetype lineNumber, QStringView line) {
            const auto problem = [&](const QString& reason) {
                problems << u"line %1: %2"_s.arg(lineNumber).arg(reason);
            };
            const auto fields = line.split(u',');
            if (fields.size() != FieldCount) {
                problem(u"%1 fields instead of %2"_s.arg(fields.size()).arg(FieldCount));
                return;
            }
            if (line.contains(u'<') || line.contains(u'"')) {
                problem(u"'<' and '\"' cannot travel on the wire"_s);
                return;
            }
            CatalogPart part;
            part.lineCode = fields[0].trimmed().toString();
            part.number = fields[1].trimmed().toString().toUpper();
            part.description = fields[2].trimmed().toString();
            const QStringView quantity = fields[3].trimmed();
            const auto list = parseCents(fields[4].trimmed());
            const auto net = parseCents(fields[5].trimmed());
            const QStringView coreText = fields[6].trimmed();
            const QStringView environmentalText = fields[7].trimmed();
            const auto core = coreText.isEmpty() ? std::optional<qint64>(0) : parseCents(coreText);
            const auto environmental = environmentalText.isEmpty() ? std::optional<qint64>(0)
                                                                   : parseCents(environmentalText);
            part.note = fields[8].trimmed().toString();
            part.supersededBy = fields[9].trimmed().toString().toUpper();
            for (const QStringView alternate : fields[10].split(u';', Qt::SkipEmptyParts)) {
                if (!alternate.trimmed().isEmpty())
                    part.canUse << alternate.trimmed().toString().toUpper();
            }
            const QStringView status = fields[11].trimmed();

            if (part.lineCode.isEmpty() || part.lineCode.size() > Catalog::MaxLineCode)
                problem(u"line code must have 1 to %1 characters"_s.arg(MaxLineCode));
            else if (part.number.isEmpty() || part.number.size() > MaxPartNumber
                     || part.number.contains(u' '))
                problem(
                    u"part number must have 1 to %1 characters, no blanks"_s.arg(MaxPartNumber));
            else if (m_parts.contains(part.number))
                problem(u"part %1 listed twice"_s.arg(part.number));
            else if (part.description.isEmpty() || part.description.size() > MaxDescription)
                problem(u"description must have 1 to %1 characters"_s.arg(MaxDescription));
            else if (quantity != u"nif"
                     && (quantity.isEmpty() || quantity.size() > 5 || !allDigits(quantity)))
                problem(u"quantity must be nif or 0 to %1"_s.arg(MaxQuantity));
            else if (!list || !net || !core || !environmental)
                problem(u"prices and charges must be numbers with at most two decimals"_s);
            else if (status != u"" && status != u"NS")
                problem(u"status must be empty or NS"_s);
            else {
                if (quantity != u"nif")
                    part.quantity = quantity.toInt();
                part.listCents = *list;
                part.netCents = *net;
                part.coreCents = *core;
                part.environmentalCents = *environmental;
                part.notSold = status == u"NS";
                m_parts.insert(part.number, part);
            }
        });
    if (!headingSeen)
        problems << u"no heading and no parts"_s;

    // Relations must name parts of the catalog; a broken one is dropped and reported.
    for (auto it = m_parts.begin(); it != m_parts.end(); ++it) {
        CatalogPart& part = it.value();
        if (!part.supersededBy.isEmpty()
            && (part.supersededBy == part.number || !m_parts.contains(part.supersededBy))) {
            problems << u"%1: superseded by unknown part %2"_s.arg(part.number, part.supersededBy);
            part.supersededBy.clear();
        }
        for (qsizetype i = part.canUse.size() - 1; i >= 0; --i) {
            if (part.canUse[i] == part.number || !m_parts.contains(part.canUse[i])) {
                problems << u"%1: can use unknown part %2"_s.arg(part.number, part.canUse[i]);
                part.canUse.removeAt(i);
            }
        }
    }
    return problems;
}

const demo::CatalogPart* demo::Catalog::find(QStringView number) const
{
    const auto it = m_parts.constFind(number.trimmed().toString().toUpper());
    return it == m_parts.cend() ? nullptr : &it.value();
}

QStringList demo::Catalog::answerRecords(QStringView number) const
{
    const CatalogPart* part = find(number);
    if (!part)
        return {};
    QStringList records{displayRecord(part->notSold ? u"NS" : u"P", *part)};
    QSet<QString> shown{part->number};
    // A chain of supersessions is followed to its end; the set stops a loop in the file.
    for (const CatalogPart* next = find(part->supersededBy); next && !shown.contains(next->number);
         next = find(next->supersededBy)) {
        shown.insert(next->number);
        records << displayRecord(u"S", *next);
    }
    for (const QString& alternate : part->canUse) {
        if (shown.contains(alternate))
            continue;
        shown.insert(alternate);
        records << displayRecord(u"A", *find(alternate));
    }
    return records;
}

QString demo::Catalog::displayRecord(QStringView tag, const CatalogPart& part)
{
    const QString quantity = part.quantity ? QString::number(*part.quantity) : u"nif"_s;
    return QStringList{u'<' + tag.toString() + u'>',
                       part.lineCode,
                       part.number,
                       part.description,
                       quantity,
                       formatPrice(part.listCents),
                       QString(),
                       QString(),
                       formatPrice(part.netCents),
                       formatCharge(part.coreCents),
                       formatCharge(part.environmentalCents),
                       part.note}
        .join(u',');
}
