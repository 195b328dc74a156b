#pragma once
// The parts catalog behind the inquiry answers, read from a small CSV file.

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace demo {

// Money is kept in cents. Accepts digits with an optional point and at most two decimals
// ("8.95", "15", ".5"); anything else (signs, exponents, blanks) gives nothing.
[[nodiscard]] std::optional<qint64> parseCents(QStringView text);
// Two decimals after a point: 895 gives "8.95", 0 gives "0.00".
[[nodiscard]] QString formatPrice(qint64 cents);
// The shortest form: 0 gives "0", 1500 gives "15", 150 gives "1.5", 125 gives "1.25".
[[nodiscard]] QString formatCharge(qint64 cents);

struct CatalogPart
{
    QString lineCode;
    QString number; // upper case, the key of the catalog
    QString description;
    std::optional<int> quantity; // nothing: not stocked, sent as "nif"
    qint64 listCents = 0;
    qint64 netCents = 0;
    qint64 coreCents = 0;
    qint64 environmentalCents = 0;
    QString note; // availability note, may be empty
    QString supersededBy;
    QStringList canUse;
    bool notSold = false; // still answered, as a record the client shows but cannot order
};

class Catalog
{
public:
    // Fields of one CSV row, in this order; the first row of the file is this heading.
    static constexpr QStringView Heading =
        u"line,part,description,qty,list,net,core,env,note,superseded_by,can_use,status";
    static constexpr qsizetype MaxLineCode = 4;
    static constexpr qsizetype MaxPartNumber = 12;
    static constexpr qsizetype MaxDescription = 17;

    // Reads the file; rows with a problem are skipped and described in the result, one text
    // per problem, so an empty result means every row was taken.
    QStringList load(const QString& path);
    QStringList parse(QStringView csv);

    [[nodiscard]] const CatalogPart* find(QStringView number) const;
    [[nodiscard]] qsizetype size() const { return m_parts.size(); }
    [[nodiscard]] QStringList numbers() const { return m_parts.keys(); }

    // The display records answering an inquiry for the part: the part itself ("<P>", or "<NS>"
    // for a part no longer sold), the parts that supersede it ("<S>", following the chain) and
    // the parts it can be replaced with ("<A>"). Empty when the part is not in the catalog.
    [[nodiscard]] QStringList answerRecords(QStringView number) const;

    // One display record in the client's field layout:
    // TAG,LIN,PART,DESC,QTY,LIST,,,NET,CORE,ENV,NOTE
    [[nodiscard]] static QString displayRecord(QStringView tag, const CatalogPart& part);

private:
    QHash<QString, CatalogPart> m_parts;
};

} // namespace demo
