#pragma once
// The inquiry rules: the request for a part number, the kind of a server reply, the records and
// fields of an inquiry answer, the version check, and the fixed-column answer row built from one
// display record.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace answer {

inline constexpr qsizetype MaxPartLength = 12;
// Typed into the part field, it shows the hidden "PASSED!" label instead of asking the server.
inline constexpr QStringView HiddenKeyword = u"REVEALSETTINGS";

// The part number as the request carries it: blanks trimmed, upper-cased as the code page has it.
[[nodiscard]] QString partNumber(QStringView typed);
// True when the typed text, trimmed and upper-cased, is the hidden keyword.
[[nodiscard]] bool isHiddenKeyword(QStringView typed);
// "<I>,account,login,PART" with account and login blank-trimmed; nothing when the part number is
// empty or longer than MaxPartLength. Commas and quotes in the part are not cleaned here.
[[nodiscard]] std::optional<QString> inquiryRequest(QStringView account, QStringView login,
                                                    QStringView typedPart);

enum class ReplyKind {
    Empty,       // nothing arrived
    Order,       // "<O>": an order confirmation
    Login,       // "<V>": a login-test answer (also an inquiry answer opening with a version)
    ServerError, // "<E>,message"
    Inquiry,     // anything else: tagged records
};
// Decided by the first three characters, case-sensitive; a shorter reply never matches a tag.
[[nodiscard]] ReplyKind replyKind(QStringView reply);

// "Error : " + field 1 of a "<E>" reply; nothing when the reply has no field 1.
[[nodiscard]] std::optional<QString> serverErrorText(QStringView reply);

// A reply cut by a reset: the field the reset cut (after the last comma or "<") may be missing
// characters, so it is left out; the three characters of the reply's tag are always kept.
[[nodiscard]] QString withoutCutField(const QString& reply);

// The records of an inquiry answer: the pieces after each "<", blank-trimmed. Text before the
// first "<" is dropped; empty pieces (from "<<" or a final "<") are kept as empty records.
[[nodiscard]] QStringList splitRecords(QStringView reply);

// The comma-separated fields of a record; an empty record has no fields at all.
[[nodiscard]] QStringList splitFields(const QString& record);

// The first three characters of field 0, blank-trimmed; nothing when there is no field 0.
[[nodiscard]] std::optional<QString> recordTag(const QStringList& fields);

// True when the display record tags P>, NS>, A> and S> name a row of the answer list.
[[nodiscard]] bool isDisplayTag(QStringView tag);
// An answer row that ORDER can take: rows beginning with two blanks (records without a note,
// availability notes) name no part.
[[nodiscard]] bool isOrderableRow(QStringView row);

// The server's version is newer: not empty and greater character by character (by character
// code; a prefix sorts first). The versions are "yy.mm.dd" texts, so this orders them.
[[nodiscard]] bool isNewerVersion(QStringView serverVersion, QStringView ownVersion);

// Row colours as 0xRRGGBB.
inline constexpr quint32 Navy = 0x000080;
inline constexpr quint32 DarkTeal = 0x004040;
inline constexpr quint32 DarkRed = 0xC00000;
inline constexpr quint32 Black = 0x000000;

inline constexpr QStringView DisplayDataStage = u"GetInquiry: Display Data";
inline constexpr QStringView FormatPricingStage = u"GetInquiry: Format Pricing";

// The working values of the row builder. Each record starts from these defaults, so that a
// missing or unreadable field shows blanks, never a value of another record.
struct RowWorkingValues
{
    QString note;
    quint32 colour = Black;
    QString row;
    QString lin;
    QString part;
    QString description;
    QString quantity;
    std::optional<float> list; // nothing: blanks in the column
    std::optional<float> net;
    float core = 0;
    float environmental = 0;
    QString avail;
    QString availabilityNote; // emptied by the caller before each record
    QString scratch;
};

struct RowResult
{
    std::optional<QString> row; // nothing: the record has no row of its own ("nif" off P>)
    quint32 colour = Black;     // of the row
    QString noteRow;            // the indented availability-note row (black); empty: none
    QStringList failedStages;   // the stage label of each step that failed, in order
};

// Builds the row of one display record (tag and fields, field 0 first), the 73-character line
// "note LIN PART# DESCRIPTION LIST NET Cor/Env e AVAIL". Every step either completes or leaves
// its working value as it was and reports the stage it failed in: a missing field, a price or
// quantity that is not a number (point as decimal separator), a text too long for its column.
// stage is the caller's stage label; the builder moves it on as it works. readNote false: the
// availability note (field 11) is not read, as it has not arrived whole yet (see
// availabilityNoteRow).
[[nodiscard]] RowResult buildAnswerRow(QStringView tag, const QStringList& fields,
                                       RowWorkingValues& values, QString& stage,
                                       bool readNote = true);
// The indented availability-note row of a display record's field 11; empty when the note is
// empty or missing (missing: failed is set).
[[nodiscard]] QString availabilityNoteRow(const QStringList& fields, bool& failed);

} // namespace answer
