#pragma once
// The two functions of the print module (libvornik_print.so beside the program, which holds Qt's
// print support so that the start-up does without it). The module defines them; the order
// printing loads the module at the first print and finds them by the names below.

#include <QtGlobal>

class QString;
class QTextDocument;
class QWidget;

extern "C" {

// True when the platform knows a printer.
Q_DECL_EXPORT bool vornikPrinterSetUp();

// Prints the document through the print dialog. False when the dialog was cancelled; otherwise
// printedTo receives the output file (printing to a file, toFile true) or the printer's name.
Q_DECL_EXPORT bool vornikPrint(QWidget* parent, const QTextDocument* document,
                               const QString* docName, QString* printedTo, bool* toFile);
}

namespace printmodule {
using PrinterSetUp = decltype(&vornikPrinterSetUp);
using Print = decltype(&vornikPrint);
inline constexpr char PrinterSetUpName[] = "vornikPrinterSetUp";
inline constexpr char PrintName[] = "vornikPrint";
} // namespace printmodule
