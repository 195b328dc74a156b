// The printed order and the PDF file written where no printer is set up.
#include "gui/orderprint.h"

#include "gui/printmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLocale>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

QString cell(const QString& value, bool right = false)
{
    return (right ? u"<td align=\"right\">"_s : u"<td>"_s) + value.toHtmlEscaped() + u"</td>"_s;
}

QString field(const QString& label, const QString& value)
{
    return u"<tr><td><b>"_s + label.toHtmlEscaped() + u"</b></td><td>"_s + value.toHtmlEscaped()
        + u"</td></tr>"_s;
}

// Qt's print support lives in a module beside the program, loaded by the first resolve().
QLibrary& printModule()
{
    static QLibrary module(QCoreApplication::applicationDirPath() + u"/vornik_print"_s);
    return module;
}

} // namespace

std::unique_ptr<QTextDocument>
orderprint::document(const history::Order& order, const QString& supplier, const QString& business)
{
    QString html = u"<h2>"_s + supplier.trimmed().toHtmlEscaped() + u"</h2>"_s;
    if (!business.trimmed().isEmpty())
        html += u"<h3>"_s + business.trimmed().toHtmlEscaped() + u"</h3>"_s;
    html += u"<table cellspacing=\"0\" cellpadding=\"2\">"_s;
    html += field(u"Date:"_s, order.sentAt.toString(u"MM/dd/yyyy HH:mm"_s));
    html += field(u"Order #:"_s, history::orderNumberText(order.number));
    html += field(u"Status:"_s, order.status);
    html += field(u"P.Order #:"_s, order.purchaseOrder);
    html += field(u"Ordered By:"_s, order.orderedBy);
    html += field(u"Notes/Message:"_s, order.notes);
    html += u"</table><p></p>"_s;
    html += u"<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr>"_s;
    for (const QString& heading : {u"Qty"_s, u"Line"_s, u"Part Number"_s, u"Description"_s,
                                   u"List"_s, u"Net"_s, u"Core"_s, u"Total"_s})
        html += u"<th>"_s + heading + u"</th>"_s;
    html += u"</tr>"_s;
    for (const history::Line& line : order.lines)
        html += u"<tr>"_s + cell(line.quantity, true) + cell(line.lineCode) + cell(line.partNumber)
            + cell(line.description) + cell(line.list, true) + cell(line.net, true)
            + cell(line.core, true) + cell(line.total, true) + u"</tr>"_s;
    html += u"<tr><td colspan=\"7\" align=\"right\"><b>Sub-Total:</b></td>"_s
        + cell(history::subTotalText(order), true) + u"</tr></table>"_s;

    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(html);
    return doc;
}

QString orderprint::writePdf(const QTextDocument& document, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(pageSizeFor(QLocale::system())));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        document.print(&writer);
    }
    if (file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    return file.commit() ? QString() : file.errorString();
}

QPageSize::PageSizeId orderprint::pageSizeFor(const QLocale& locale)
{
    static const QList<QLocale::Territory> letter{
        QLocale::UnitedStates, QLocale::Canada,    QLocale::Mexico,    QLocale::PuertoRico,
        QLocale::Philippines,  QLocale::Colombia,  QLocale::Venezuela, QLocale::Chile,
        QLocale::CostaRica,    QLocale::Guatemala, QLocale::Panama,    QLocale::DominicanRepublic};
    return letter.contains(locale.territory()) ? QPageSize::Letter : QPageSize::A4;
}

QString orderprint::withPdfSuffix(const QString& path)
{
    return path.endsWith(u".pdf"_s, Qt::CaseInsensitive) ? path : path + u".pdf"_s;
}

QString orderprint::pdfName(const history::Order& order)
{
    if (order.number >= 1)
        return u"Order-"_s + QString::number(order.number) + u".pdf"_s;
    return u"Order-"_s + order.sentAt.toString(u"yyyy-MM-dd-HHmm"_s) + u".pdf"_s;
}

bool orderprint::printerSetUp()
{
    const auto setUp = reinterpret_cast<printmodule::PrinterSetUp>(
        printModule().resolve(printmodule::PrinterSetUpName));
    return setUp && setUp() && printModule().resolve(printmodule::PrintName);
}

orderprint::Outcome orderprint::print(QWidget* parent, const history::Order& order,
                                      const QString& supplier, const QString& business,
                                      const SaveFileName& saveFileName)
{
    const QString fileName = pdfName(order);
    const QString docName = QFileInfo(fileName).baseName();
    const auto doc = document(order, supplier, business);
    doc->setMetaInformation(QTextDocument::DocumentTitle, docName);
    if (!printerSetUp()) {
        // Offered among the user's documents, never in the program folder beside the settings.
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (documents.isEmpty() || !QDir(documents).exists())
            documents = QDir::homePath();
        const QString chosen =
            saveFileName(u"No printer is set up: save the order as a PDF file"_s,
                         QDir(documents).filePath(fileName), u"PDF files (*.pdf)"_s);
        if (chosen.isEmpty())
            return {};
        const QString path = withPdfSuffix(chosen);
        const QString failure = writePdf(*doc, path);
        if (!failure.isEmpty())
            return {false,
                    u"The PDF file "_s + QDir::toNativeSeparators(path)
                        + u" could not be written: "_s + failure};
        return {true, u"The order was saved as "_s + QDir::toNativeSeparators(path)};
    }
    const auto printWithDialog =
        reinterpret_cast<printmodule::Print>(printModule().resolve(printmodule::PrintName));
    QString printedTo;
    bool toFile = false;
    if (!printWithDialog(parent, doc.get(), &docName, &printedTo, &toFile))
        return {};
    if (toFile)
        return {true, u"The order was saved as "_s + QDir::toNativeSeparators(printedTo)};
    return {true, u"The order was sent to the printer "_s + printedTo};
}
