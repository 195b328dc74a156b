#pragma once
// The order rules: the 66-column order line built from an answer row and a quantity, the totals
// read back from the lines, the "<O>" order message and the order number of its confirmation.
//
// Order line columns (1-based):
//   1-4 quantity (right-aligned)   5 blank   6-9 LIN   10-22 part number   23-39 description
//   40-47 net price   48-55 core/environmental charge   56-66 line total (right-aligned)
// Columns 5-39 are the 35 characters from the answer row's column 7, columns 40-55 the 16 from
// its column 51; a shorter answer row gives a shorter line, the total following directly.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace order {

inline constexpr qsizetype QuantityWidth = 4;
inline constexpr qsizetype TotalWidth = 11;
inline constexpr qsizetype TotalColumn = 56;
inline constexpr qsizetype FullLineLength = 66;

// The quantity as it is written into columns 1-4 (and sent): the shortest text of the
// single-precision number, without a sign blank: 3, 2.5, 1.125.
[[nodiscard]] QString quantityText(float quantity);

// True when the quantity's text fits the 4-character quantity column (9999 or 2.5 do; 10000 or
// 1.125 do not). A longer text would be read back from columns 1-4 as a different quantity.
[[nodiscard]] bool quantityFits(float quantity);
// The message that refuses a quantity that does not fit.
[[nodiscard]] QString quantityRefusal(float quantity);

// The order line for an answer row and a quantity that fits. Net is the numeric value of the
// line's characters 40-47 in single precision, core that of characters 49-55 in double; the
// total, (net + core) x quantity rounded to single precision, is appended in the price pattern,
// left-filled to 11 characters.
[[nodiscard]] QString orderLine(QStringView answerRow, float quantity);

// The line's total field: columns 56 to the end of a full line (all of a total wider than 11
// characters), or the last 11 characters of a line built from a short answer row.
[[nodiscard]] QString totalField(QStringView line);

// The sub-total of the lines: each line's total field read as a number and added in single
// precision, rounded after each addition.
[[nodiscard]] float subTotal(const QStringList& lines);

// One item record: "<P> ," then quantity, LIN (columns 6-8), part number (10-22), description
// (23-38) and the total, each trimmed of blanks and followed by a comma, then ",,,".
[[nodiscard]] QString itemRecord(QStringView line);

// The whole order message: the header "<O>,account,login,orderedBy,po,notes," (the three order
// fields trimmed of blanks, account and login as held), one item record per line in cart order,
// and the end marker "<X>  End of Order". No line ends anywhere.
[[nodiscard]] QString orderMessage(QStringView account, QStringView login, QStringView orderedBy,
                                   QStringView purchaseOrder, QStringView notes,
                                   const QStringList& lines);

// The order number of a confirmation "<O>,number": the numeric value of field 1 rounded to the
// nearest integer, halves to even (empty or non-numeric text gives 0). Nothing when there is no
// field 1 (no comma) or the value lies outside 32 bits.
[[nodiscard]] std::optional<qint32> confirmationNumber(QStringView reply);

} // namespace order
