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

// A sent order that is still "Sent" this long afterwards makes SEND ORDER ask before sending the
// same cart again.
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

// The time an order was sent as the history keeps it: local time, "yyyy-MM-ddTHH:mm:ss" (so that
// the texts sort as the times do).
[[nodiscard]] QString sentAtText(const QDateTime& when);
// The time read back from that text; invalid for any other text.
[[nodiscard]] QDateTime sentAtValue(QStringView stored);

// What the order history list needs of an order, kept in memory for every order. The sending time
// stays text: making 10,000 date-time values would cost more than the whole list.
struct Summary
{
    qint64 id = 0;
    QString sentAt; // sentAtText()
    QString status;
    qint32 number = 0;
    QString search; // searchText() of the order
    friend bool operator==(const Summary&, const Summary&) = default;
};

// The line's fields read from the order line columns: quantity 1-4, LIN 6-9, part number 10-22,
// description 23-39, net 40-47, core 48-55 and the total field; each trimmed of blanks.
[[nodiscard]] Line lineFromCart(QStringView cartLine);

// The order as SEND ORDER sends it: the order fields trimmed of blanks, one line per cart row.
[[nodiscard]] Order orderFromCart(const QString& account, const QString& login,
                                  QStringView orderedBy, QStringView purchaseOrder,
                                  QStringView notes, const QStringList& cartLines,
                                  const QDateTime& sentAt);

// The status a confirmation gives: a number of 1 or more is "Confirmed", anything else
// "Confirmed, no number" (the confirmation whose number could not be established).
[[nodiscard]] QString confirmedStatus(qint32 number);

// The confirmed order number as the lists and the printed order show it; empty when none.
[[nodiscard]] QString orderNumberText(qint32 number);

// The text the filter looks in: the order number (when confirmed with one), the PO number and
// every line's part number, one per line, so that a filter never matches across two of them.
[[nodiscard]] QString searchText(qint32 number, QStringView purchaseOrder,
                                 const QStringList& partNumbers);
[[nodiscard]] QString searchText(const Order& order);

// True when the filter, trimmed of blanks, is empty or found in the search text, ignoring case.
[[nodiscard]] bool matches(QStringView search, QStringView filter);

// The row of the order history list under "  Date    Order#    Status  ": the date (MM/dd/yy) in
// columns 1-8, the order number right-aligned to column 16 (blank when none), the status from
// column 21.
[[nodiscard]] QString historyRow(const Summary& summary);

// The rows of the order details list under " QTY  Part Number  Description        LIST      Cost":
// one per line (quantity right-aligned to column 4, part number from column 7, the first 16
// characters of the description from column 20, the list price right-aligned to column 42 or
// blank, the line total right-aligned to column 52), then one row with the order fields and
// the sub-total under Cost. A wider value pushes the rest of its row to the right.
[[nodiscard]] QStringList detailRows(const Order& order);

// The order's sub-total in the price pattern, added up as the cart adds its lines.
[[nodiscard]] QString subTotalText(const Order& order);

// True when the two orders carry the same three order fields and the same lines in the same
// order: sending the cart again would send the same order message items.
[[nodiscard]] bool sameContent(const Order& a, const Order& b);

// "This order was sent at HH:MM and has not been confirmed yet. Send it again?"
[[nodiscard]] QString resendQuestion(const QDateTime& sentAt);

} // namespace history
