#pragma once
// The printed order: one page (or more) with the supplier's and the customer's names, the order's
// date, number, status and fields, its lines in columns and the sub-total. Printed through the
// platform's print dialog, or written as a PDF file where no printer is set up.

#include "core/history.h"

#include <QPageSize>
#include <QString>

#include <functional>
#include <memory>

class QLocale;
class QTextDocument;
class QWidget;

namespace orderprint {

// The document for an order. supplier: the supplier's name; business: the customer's business
// name from the options (left out when empty).
[[nodiscard]] std::unique_ptr<QTextDocument>
document(const history::Order& order, const QString& supplier, const QString& business);

// The paper of the user's country: Letter in North America and where it is the custom there,
// A4 elsewhere.
[[nodiscard]] QPageSize::PageSizeId pageSizeFor(const QLocale& locale);

// Writes the document as a PDF file on the paper of the system's locale, atomically. An empty
// text on success, otherwise why not.
[[nodiscard]] QString writePdf(const QTextDocument& document, const QString& path);

// The path chosen in the PDF dialog with ".pdf" added when the name does not end in it.
[[nodiscard]] QString withPdfSuffix(const QString& path);

// The file name offered for an order's PDF: Order-4711.pdf, or Order-2026-12-08-1015.pdf for an
// order without a number.
[[nodiscard]] QString pdfName(const history::Order& order);

// True when the platform knows a printer (and the program's print module is there); otherwise
// print() offers a PDF file.
[[nodiscard]] bool printerSetUp();

struct Outcome
{
    bool done = false; // printed or written; false when cancelled or failed
    QString message;   // for the status line when done, for a message box when failed
};

// The file dialog that asks where to save: caption, suggested full path, filter; the chosen path
// or "" when cancelled.
using SaveFileName = std::function<QString(const QString&, const QString&, const QString&)>;

// Prints the order through the print dialog; where no printer is set up, asks for a PDF file
// (offered in the user's documents folder) and writes it. A cancelled dialog gives an empty
// outcome.
Outcome print(QWidget* parent, const history::Order& order, const QString& supplier,
              const QString& business, const SaveFileName& saveFileName);

} // namespace orderprint
