// Part inquiry: the part field and inquiry button, the dispatch of every server reply, the answer
// rows, and the selection and Enter key of the answer list.
#include "shell/mainform.h"

#include "core/answer.h"
#include "core/text.h"
#include "inquiry/inquirystate.h"
#include "shell/listcontrol.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// A failed step of the reply handling is skipped; only trace mode says where it happened.
void reportStep(MainForm& form, const QString& stage)
{
    if (form.TraceMode)
        form.MsgBox(u"* Err - "_s + stage, QMessageBox::NoIcon, QMessageBox::Ok, QString());
}

void showGreen(QLabel* label)
{
    // Through the palette only: a style sheet set on every reply would re-polish the label each
    // time, which costs more than the rest of a short reply's handling.
    QPalette palette = label->palette();
    if (palette.color(QPalette::WindowText) == QColor(0, 255, 0))
        return;
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    label->setPalette(palette);
}

} // namespace

void MainForm::Inquiry()
{
    QString stage = u"Inquiry: Initial"_s;
    const QString typed = Parttxt->text();
    if (answer::isHiddenKeyword(typed)) {
        Parttxt->setText(QString());
        Label5->setVisible(true);
        return;
    }
    const auto request = answer::inquiryRequest(AccNumTxt->text(), LoginNameTxt->text(), typed);
    if (!request) {
        MessageLbl->setText(u"Invalid Part Number"_s);
        Parttxt->setFocus();
        return;
    }
    AskString = *request;
    AnswerList->clear();
    MessageLbl->setText(u"Checking ..."_s);
    MessageLbl->repaint();
    // Lets the caption show before the connection attempts; other handlers may run here.
    QApplication::processEvents();
    stage = u"Inquiry: Pre-Send Data"_s;
    if (!SendSockData(false))
        MsgBox(u"* ERR - "_s + stage, QMessageBox::Critical, QMessageBox::Ok, QString());
}

void MainForm::InquiryCmd_Click()
{
    // The untrimmed text decides: a field of blanks still goes to Inquiry, which refuses it.
    if (!Parttxt->text().isEmpty()) {
        InquiryCmd->setEnabled(false); // enabled again by the reply, the give-up or the timer
        Inquiry();
        return;
    }
    SlideOrderFrame(false);
    SlideAnswerList(true);
}

void MainForm::Parttxt_GotFocus()
{
    SlideAnswerList(false);
}

bool MainForm::Parttxt_KeyPress(int key)
{
    if (!isEnter(key) || Parttxt->text().isEmpty())
        return false; // the field gets the key as usual
    // Enter sends the text as typed: the clean-up of the focus loss has not run.
    InquiryCmd_Click();
    return true;
}

void MainForm::Parttxt_LostFocus()
{
    const QString upper = text::toUpper8Bit(Parttxt->text());
    if (!upper.isEmpty())
        Parttxt->setText(SyntaxOut(upper)); // blanks are kept, not trimmed
}

void MainForm::GetInquiry()
{
    InquiryState& state = inquiry();
    state.stage.clear();
    state.rows = {};

    Qtytxt->setText(u" 1"_s);
    OrderPNumLbl->setText(QString());
    MessageLbl->setText(u"Getting Results ..."_s);
    showGreen(MessageLbl);
    // Lets the caption show. Other handlers may run here, a further data arrival too: that one
    // is queued by Winsock_DataArrival and handled after this call, so AnswerString stays the
    // text this call was made for.
    QApplication::processEvents();
    state.stage = u"GetInquiry: Initial"_s;
    InquiryCmd->setEnabled(true);

    const QString reply = AnswerString;
    switch (answer::replyKind(reply)) {
    case answer::ReplyKind::Empty:
        MsgBox(u"Look-Up Response Error - Please resubmit "_s, QMessageBox::Warning);
        InquiryCmd->setEnabled(true);
        return;
    case answer::ReplyKind::Order:
        OrderReply();
        return;
    case answer::ReplyKind::Login:
        ShowLoginStatus(true);
        return;
    case answer::ReplyKind::ServerError: {
        QString message;
        if (const auto text = answer::serverErrorText(reply))
            message = *text;
        else
            reportStep(*this, state.stage); // no message field: the box comes up empty
        MsgBox(message, QMessageBox::Warning);
        InquiryCmd->setEnabled(true);
        return;
    }
    case answer::ReplyKind::Inquiry:
        break;
    }

    AnswerParseLst.clear();
    state.stage = u"GetInquiry: Split Data"_s;
    AnswerParseLst = answer::splitRecords(reply);
    state.stage = u"GetInquiry: Parse Data"_s;

    // A copy: a box shown in trace mode runs an event loop, and the records must stay as split.
    const QStringList records = AnswerParseLst;
    QString tag;
    QString version;
    for (const QString& record : records) {
        state.rows.availabilityNote.clear();
        const QStringList fields = answer::splitFields(record);
        // An empty record has no tag: the previous one stays, so after a display record the
        // same row is shown again.
        if (const auto recordTag = answer::recordTag(fields))
            tag = *recordTag;
        else
            reportStep(*this, state.stage);

        if (tag == u"NF>") {
            MessageLbl->setText(u"Part Not Found!"_s);
            MsgBox(u"PART NUMBER NOT FOUND"_s, QMessageBox::Warning);
            return;
        }
        if (answer::isDisplayTag(tag)) {
            AddAnswerRows(tag, fields);
        } else if (tag == u"V>") {
            if (fields.size() > 1)
                version = fields.at(1); // untrimmed: a leading blank sorts before the digits
            else
                reportStep(*this, state.stage);
            if (answer::isNewerVersion(version, VersionText)) {
                NewVerLbl->setText(u"NEW UPDATE AVAILABLE!"_s);
                NewVersionFlag = true;
            }
        }
    }

    state.stage = u"GetInquiry: Parse Complete"_s;
    MessageLbl->setText(QString());
    if (AnswerList->rowCount() > 0) {
        SlideAnswerList(true);
        AnswerList->setSelectedIndex(0);
        AnswerList->setFocus();
    }
}

void MainForm::AddAnswerRows(const QString& tag, const QStringList& fields)
{
    InquiryState& state = inquiry();
    const answer::RowResult result = answer::buildAnswerRow(tag, fields, state.rows, state.stage);
    for (const QString& failed : result.failedStages)
        reportStep(*this, failed);
    // A "nif" record off a "P>" tag has no row; the earlier row keeps its own colour.
    if (result.row)
        AnswerList->addRow(*result.row, QColor::fromRgb(result.colour));
    if (!result.noteRow.isEmpty())
        AnswerList->addRow(result.noteRow, Qt::black);
    // Rows appear one by one during a long answer, at most one repaint per frame.
    AnswerList->repaintThrottled();
}

void MainForm::AnswerList_Click()
{
    const int index = AnswerList->selectedIndex();
    if (index < 0 || AnswerList->rowCount() == 0)
        return;
    const QString row = AnswerList->rowText(index);
    if (row.startsWith(u"  "))
        return; // an availability note or a row without an orderable part
    // The last character of the note column, the LIN column and the first ten of PART#.
    OrderPNumLbl->setText(text::trimBlanks(text::columns(row, 6, 16)));
}

void MainForm::AnswerList_KeyPress(int key)
{
    if (isEnter(key))
        OrderCmd_Click();
}
