// The platform's printers and print dialog, built as a module of its own (libvornik_print.so
// beside the program) that the order printing loads the first time it is needed, so that Qt's
// print support is no part of the program's start-up. Without the module an order can still be
// saved as a PDF file.
#include "gui/printmodule.h"

#include <QDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

using namespace Qt::StringLiterals;

bool vornikPrinterSetUp()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool vornikPrint(QWidget* parent, const QTextDocument* document, const QString* docName,
                 QString* printedTo, bool* toFile)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(*docName);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"Print Order"_s);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    document->print(&printer);
    *toFile = !printer.outputFileName().isEmpty();
    *printedTo = *toFile ? printer.outputFileName() : printer.printerName();
    return true;
}
