#pragma once
// The record of sent orders as plain values, and the texts made from it: the rows of the order
// history and order details lists, the filter, the re-send question and the status line after
// an order is placed again. Nothing here touches the database or a window.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace history {

inline const QString StatusSent = QStringLiteral("Sent");
inline const QString StatusConfirmed = QStringLiteral("Confirmed");
inline const QString StatusNoNumber = QStringLiteral("Confirmed, no number");

// A cart whose lines equal those of an order sent this long before makes SEND ORDER ask before
// sending it again, whether or not that order was confirmed.
inline constexpr qint64 ResendWindowSeconds = 30 * 60;

// One line of a recorded order. The fields are the trimmed columns of the 66-column order line;
// cartLine is that line exactly as it stood in the cart, so it can be placed in the cart again.
struct Line
{
    QString quantity;
    QString lineCode;
    QString partNumber;
    QString description;
    QString net;
    QString core;
    QString total;
    QString list; // the list price where the cart knew it, otherwise empty
    QString cartLine;
    friend bool operator==(const Line&, const Line&) = default;
};

struct Order
{
    qint64 id = 0; // 0 until recorded
    QDateTime sentAt;
    QString account;
    QString login;
    QString orderedBy; // the three order fields as sent: trimmed of blanks
    QString purchaseOrder;
    QString notes;
    QString status = StatusSent;
    qint32 number = 0; // the confirmed order number, 0 when none
    QList<Line> lines;
    friend bool operator==(const Order&, const Order&) = default;
};

// The time an order was sent as the history keeps it: UTC, "yyyy-MM-ddTHH:mm:ssZ", so that a
// change of time zone or of summer time never moves it.
[[nodiscard]] QString sentAtText(const QDateTime& when);
// The time read back from that text, or from the "yyyy-MM-ddTHH:mm:ss" local time of the rows
// written before times were kept in UTC; invalid for any other text.
[[nodiscard]] QDateTime sentAtValue(QStringView stored);

// What the order history list needs of an order, kept in memory for every order: small, and
// without the order's lines.
struct Summary
{
    qint64 id = 0;
    QDateTime sentAt;
    QString status;
    qint32 number = 0;
    qint32 lineCount = 0;
    float subTotal = 0;
    friend bool operator==(const Summary&, const Summary&) = default;
};

// The line's fields read from the order line columns: quantity 1-4, LIN 6-9, part number 10-22,
// description 23-39, net 40-47, core 48-55 and the total field; each trimmed of blanks.
[[nodiscard]] Line lineFromCart(QStringView cartLine);

// The list price of an answer row (its columns 42-50), trimmed of blanks; empty for a row that
// has none there.
[[nodiscard]] QString listPriceOf(QStringView answerRow);

// The order as SEND ORDER sends it: the order fields trimmed of blanks, one line per cart row;
// listPrices holds each line's list price where known (missing or empty: unknown).
[[nodiscard]] Order orderFromCart(const QString& account, const QString& login,
                                  QStringView orderedBy, QStringView purchaseOrder,
                                  QStringView notes, const QStringList& cartLines,
                                  const QDateTime& sentAt,
                                  const QStringList& listPrices = QStringList());

// The status a confirmation gives: a number of 1 or more is "Confirmed", anything else
// "Confirmed, no number" (the confirmation whose number could not be established).
[[nodiscard]] QString confirmedStatus(qint32 number);

// The confirmed order number as the lists and the printed order show it; empty when none.
[[nodiscard]] QString orderNumberText(qint32 number);

// The text the filter looks in, upper-cased: the order number (when confirmed with one), the PO
// number, every line's part number and every description, one per line, so that a filter never
// matches across two of them. A description met before in the order is not repeated.
[[nodiscard]] QString searchText(qint32 number, QStringView purchaseOrder,
                                 const QStringList& partNumbers,
                                 const QStringList& descriptions = QStringList());
[[nodiscard]] QString searchText(const Order& order);
// The filter as searchText() holds its texts: trimmed of blanks and upper-cased.
[[nodiscard]] QString searchKey(QStringView filter);

// True when the filter, trimmed of blanks, is empty or found in the search text, ignoring case.
[[nodiscard]] bool matches(QStringView search, QStringView filter);

// The heading of the order history list and the row of an order under it: the local date
// (MM/dd/yy) and time (HH:mm), the order number (blank when none), the number of lines, the
// sub-total and the status, where an order never confirmed reads "Sent, not confirmed".
inline const QString HistoryHeading =
    QStringLiteral("Date     Time      Order#  Lines     Total  Status");
[[nodiscard]] QString historyRow(const Summary& summary);
[[nodiscard]] QString statusText(const QString& status);

// The heading of the order details list and its rows: one per line (quantity, part number, the
// first 16 characters of the description, the list price or blank, the line total, each under
// its heading word), then the sub-total under Cost, then the order fields on their own row.
// A wider quantity or price pushes the rest of its row to the right.
inline const QString DetailsHeading =
    QStringLiteral(" QTY  Part Number   Description        LIST      Cost");
[[nodiscard]] QStringList detailRows(const Order& order);

// The order's sub-total in the price pattern, added up as the cart adds its lines.
[[nodiscard]] QString subTotalText(const Order& order);

// True when the two orders carry the same lines in the same order: sending the cart again would
// send the same items, whatever the order fields hold.
[[nodiscard]] bool sameLines(const Order& a, const Order& b);
// A key of the lines, equal for equal lines, by which the history finds an order with them.
[[nodiscard]] QString linesKey(const Order& order);

// The question before an order whose lines were sent recently is sent again: "This order was sent
// at HH:MM and has not been confirmed yet. Send it again?", or for a confirmed one its number.
[[nodiscard]] QString resendQuestion(const Summary& sent);
// What start-up says of saved items that were sent before: "These items were sent on MM/DD/YY at
// HH:MM (order N)", or "... and not confirmed".
[[nodiscard]] QString sentBeforeNote(const Summary& sent);

} // namespace history
