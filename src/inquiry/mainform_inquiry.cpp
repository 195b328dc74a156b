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
    if (form.TraceMode && !form.inquiry().quiet)
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
    stage = u"Inquiry: Pre-Send Data"_s;
    if (!sendRequest(ServerLink::Kind::Inquiry))
        MsgBox(u"* ERR - "_s + stage, QMessageBox::Critical, QMessageBox::Ok, QString());
}

void MainForm::InquiryCmd_Click()
{
    // The untrimmed text decides: a field of blanks still goes to Inquiry, which refuses it.
    if (!Parttxt->text().isEmpty()) {
        if (linkBusy(ServerLink::Kind::Inquiry))
            return;
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
    beginReply();
    continueReply(AnswerString, true);
}

void MainForm::takeReply(const QString& reply, bool first, bool complete)
{
    AnswerString = reply;
    if (first)
        beginReply();
    continueReply(reply, complete);
}

void MainForm::beginReply()
{
    InquiryState& state = inquiry();
    state.stage.clear();
    state.rows = {};
    state.quiet = false;
    state.reply = {};

    Qtytxt->setText(u" 1"_s);
    OrderPNumLbl->setText(QString());
    MessageLbl->setText(u"Getting Results ..."_s);
    showGreen(MessageLbl);
    // Lets the caption show. Other handlers may run here; the server link hands on nothing
    // more until this reply's handling has returned.
    QApplication::processEvents();
    state.stage = u"GetInquiry: Initial"_s;
    InquiryCmd->setEnabled(true);
}

void MainForm::continueReply(const QString& reply, bool complete)
{
    InquiryState& state = inquiry();
    InquiryState::Reply& progress = state.reply;
    if (progress.finished)
        return;
    if (!progress.decided) {
        if (reply.size() < 3 && !complete)
            return; // "<O" may yet become "<O>"
        progress.decided = true;
        progress.kind = answer::replyKind(reply);
    }
    if (progress.kind != answer::ReplyKind::Inquiry) {
        // A box, an order number or a login result is shown once, from the whole text.
        if (!complete)
            return;
        progress.finished = true;
        switch (progress.kind) {
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
        return;
    }

    if (progress.next < 0) {
        AnswerParseLst.clear();
        state.stage = u"GetInquiry: Split Data"_s;
        progress.next = reply.indexOf(u'<'); // text before the first record is ignored
        state.stage = u"GetInquiry: Parse Data"_s;
        progress.stage = state.stage;
    } else if (progress.lastShown) {
        // The last record has grown (or may have): take back what it showed.
        while (AnswerList->rowCount() > progress.rowsBefore)
            AnswerList->removeRow(AnswerList->rowCount() - 1);
        while (AnswerParseLst.size() > progress.recordsBefore)
            AnswerParseLst.removeLast();
        state.rows = progress.valuesBefore;
        progress.tag = progress.tagBefore;
        progress.stage = progress.stageBefore;
        progress.lastShown = false;
    }
    state.stage = progress.stage;

    if (progress.next >= 0) {
        // Records that have ended, one after another.
        forever {
            const qsizetype end = reply.indexOf(u'<', progress.next + 1);
            if (end < 0)
                break;
            const QString record = text::trimBlanks(
                QStringView(reply).mid(progress.next + 1, end - progress.next - 1));
            progress.next = end;
            AnswerParseLst << record;
            if (!handleRecord(record)) {
                progress.finished = true;
                return;
            }
        }
        // The last record may still be cut. It is shown ahead of its end once all its prices
        // are in (a comma after the environmental charge), and finished when the reply is.
        const QString record = text::trimBlanks(QStringView(reply).mid(progress.next + 1));
        const QStringList fields = answer::splitFields(record);
        const auto tag = answer::recordTag(fields);
        const bool showAhead = fields.size() >= 12 && tag && answer::isDisplayTag(*tag);
        if (complete || showAhead) {
            progress.lastShown = true;
            progress.rowsBefore = AnswerList->rowCount();
            progress.recordsBefore = AnswerParseLst.size();
            progress.valuesBefore = state.rows;
            progress.tagBefore = progress.tag;
            progress.stageBefore = state.stage;
            AnswerParseLst << record;
            state.quiet = !complete;
            const bool goOn = handleRecord(record);
            state.quiet = false;
            if (!goOn) {
                progress.finished = true;
                return;
            }
        }
    }
    progress.stage = state.stage;

    state.stage = u"GetInquiry: Parse Complete"_s;
    MessageLbl->setText(QString());
    if (AnswerList->rowCount() > 0) {
        SlideAnswerList(true);
        AnswerList->setSelectedIndex(0);
        AnswerList->setFocus();
    }
}

bool MainForm::handleRecord(const QString& record)
{
    InquiryState& state = inquiry();
    InquiryState::Reply& progress = state.reply;
    state.rows.availabilityNote.clear();
    const QStringList fields = answer::splitFields(record);
    // An empty record has no tag: the previous one stays, so after a display record the same
    // row is shown again.
    if (const auto recordTag = answer::recordTag(fields))
        progress.tag = *recordTag;
    else
        reportStep(*this, state.stage);

    if (progress.tag == u"NF>") {
        MessageLbl->setText(u"Part Not Found!"_s);
        MsgBox(u"PART NUMBER NOT FOUND"_s, QMessageBox::Warning);
        return false;
    }
    if (answer::isDisplayTag(progress.tag)) {
        AddAnswerRows(progress.tag, fields);
    } else if (progress.tag == u"V>") {
        if (fields.size() > 1)
            progress.version = fields.at(1); // untrimmed: a leading blank sorts before the digits
        else
            reportStep(*this, state.stage);
        if (answer::isNewerVersion(progress.version, VersionText)) {
            NewVerLbl->setText(u"NEW UPDATE AVAILABLE!"_s);
            NewVersionFlag = true;
        }
    }
    return true;
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
