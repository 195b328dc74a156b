#pragma once
// The quick-order pad's rules: reading a pasted or saved list of parts and quantities, judging
// one inquiry answer for a line of it, and writing order lines out as CSV.

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace quicklist {

// A pasted text or a file is cut to this many lines.
inline constexpr qsizetype MaxLines = 500;

// The text of a list file: UTF-16 with a byte order mark, UTF-8 with a mark or without one when
// the bytes are valid UTF-8, Windows-1252 otherwise. Nothing when the bytes are binary (a NUL or
// another control byte than tab, CR, LF and form feed).
[[nodiscard]] std::optional<QString> decode(QByteArrayView bytes);

// One line of a list, checked as far as it can be without the server.
struct Line
{
    int source = 0;   // 1-based line number in the pasted text or the file
    QString part;     // blank-trimmed and upper-cased
    QString quantity; // as the list holds it; empty when the line had no quantity field
    double value = 1; // the quantity
    QString lin;      // the LIN the list asks for, upper-cased; empty: any
    QString problem;  // why the line cannot be looked up; empty: it can
    friend bool operator==(const Line&, const Line&) = default;
};

// The part number as the list holds it, checked: the problem, or empty when it can be sent. An
// inquiry field holds no comma, double quote or "<", and the wire carries Windows-1252 only.
[[nodiscard]] QString partProblem(QStringView part);
// The quantity field checked; present: the line had the field. Sets value when valid.
[[nodiscard]] QString quantityProblem(QStringView quantity, bool present, double& value);
// A line from its fields, checked.
[[nodiscard]] Line makeLine(int source, QStringView part, std::optional<QStringView> quantity,
                            QStringView lin = {});

struct List
{
    QList<Line> lines;
    qsizetype cut = 0; // lines beyond MaxLines, left out
};
// Reads a list. One separator for the whole list: the first of tab, semicolon or comma that
// appears outside quotes; runs of blanks when none does. A first line whose quantity field is
// not a number and which names a column (Part, Part#, Part Number; Qty, Quantity; LIN) is a
// header; without one, column 1 is the part number and column 2 the quantity. Quotes around a
// field are removed ("" inside stands for one); blank lines are skipped. At most `room` lines
// are kept.
[[nodiscard]] List read(QStringView text, qsizetype room = MaxLines);

// What the server's answer says about one part number.
enum class Status {
    Found,        // orderable rows carry the part number (several: one per LIN)
    Superseded,   // the part is not orderable, and superseding parts are offered
    NoLongerSold, // the part is shown, but in no row ORDER takes
    NotStocked,   // the part is marked not stocked: the row carries no price
    NotFound,
    Failed, // no inquiry answer: nothing, a server error or another kind of reply
};

// One answer row that a line can be ordered from.
struct Offer
{
    QString row; // the answer row, as the answer list shows it
    QString lin;
    QString part;
    QString description;
    QString list; // the list price, as the row shows it
    QString net;
    std::optional<double> avail;
    friend bool operator==(const Offer&, const Offer&) = default;
};

struct Verdict
{
    Status status = Status::NotFound;
    QList<Offer> offers; // Found: the rows of the part; Superseded: the superseding parts
    QString message;     // Failed: what came back instead
    friend bool operator==(const Verdict&, const Verdict&) = default;
};

// Judges a whole reply to the inquiry for part, with the answer rows built as the answer list
// builds them. A row is orderable as ORDER takes it: it does not begin with two blanks.
[[nodiscard]] Verdict classify(QStringView part, QStringView reply);

// A line of the pad: the list line, and once checked, the answer's verdict and the offer chosen.
struct PadLine
{
    Line line;
    std::optional<Verdict> verdict;
    int choice = -1;       // index into the verdict's offers; -1: none chosen
    int duplicateOf = 0;   // the 1-based position of an earlier line with the same part; 0: none
    QString lookupFailure; // the look-up could not be made
};

// The offer a fresh verdict starts with: the only row of a found part; otherwise none (several
// LIN codes are the user's pick, a superseding part the user's to accept).
[[nodiscard]] int defaultChoice(const Verdict& verdict);
// True when the line goes into the cart with Add to Order.
[[nodiscard]] bool addable(const PadLine& line);
// What the pad shows for the line.
[[nodiscard]] QString statusText(const PadLine& line);
// Marks each valid line whose part number an earlier line already has.
void markDuplicates(QList<PadLine>& lines);

// An order line as the CSV file has it: part number, quantity, LIN, description, net, core,
// total, with a point for decimals.
[[nodiscard]] QStringList csvFields(QStringView orderLine);
// The CSV text: a header line, then one line per order line, CR LF after each. A field holding
// a comma, a double quote or a blank at either end is quoted.
[[nodiscard]] QString csv(const QStringList& orderLines);

} // namespace quicklist
