// Part inquiry handlers: the part field and inquiry button, what the window shows of a reply,
// and the selection and Enter key of the answer list.
#include "gui/mainform.h"

#include "core/answer.h"
#include "core/text.h"
#include "gui/listcontrol.h"
#include "logic/replies/replydispatcher.h"
#include "logic/tracelog/tracelog.h"

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
    const QString typed = m_ui.Parttxt->text();
    if (answer::isHiddenKeyword(typed)) {
        m_ui.Parttxt->setText(QString());
        m_ui.Label5->setVisible(true);
        return;
    }
    const std::optional<QString> request =
        answer::inquiryRequest(m_ui.AccNumTxt->text(), m_ui.LoginNameTxt->text(), typed);
    if (!request) {
        m_ui.MessageLbl->setText(u"Invalid Part Number"_s);
        m_ui.Parttxt->setFocus();
        return;
    }
    m_ui.AnswerList->clear();
    m_ui.MessageLbl->setText(u"Checking ..."_s);
    m_ui.MessageLbl->repaint();
    stage = u"Inquiry: Pre-Send Data"_s;
    if (!sendRequest(ServerLink::Kind::Inquiry, *request))
        msgBox(u"* ERR - "_s + stage, QMessageBox::Critical, QMessageBox::Ok, QString());
}

void MainForm::InquiryCmd_Click()
{
    // The untrimmed text decides: a field of blanks still goes to Inquiry, which refuses it.
    if (!m_ui.Parttxt->text().isEmpty()) {
        if (linkBusy(ServerLink::Kind::Inquiry))
            return;
        m_ui.InquiryCmd->setEnabled(false); // enabled again by the reply, the give-up or the timer
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
    if (!isEnter(key) || m_ui.Parttxt->text().isEmpty())
        return false; // the field gets the key as usual
    // Enter sends the text as typed: the clean-up of the focus loss has not run.
    InquiryCmd_Click();
    return true;
}

void MainForm::Parttxt_LostFocus()
{
    const QString upper = text::toUpper8Bit(m_ui.Parttxt->text());
    if (!upper.isEmpty())
        m_ui.Parttxt->setText(text::syntaxOut(upper)); // blanks are kept, not trimmed
}

// A failed step of the reply handling is skipped; only trace mode says where it happened.
void MainForm::reportStep(const QString& stage)
{
    if (m_traceLog->traceMode())
        msgBox(u"* Err - "_s + stage, QMessageBox::NoIcon, QMessageBox::Ok, QString());
}

void MainForm::showReplyStarted()
{
    m_ui.Qtytxt->setText(u" 1"_s);
    m_ui.OrderPNumLbl->setText(QString());
    m_ui.MessageLbl->setText(u"Getting Results ..."_s);
    showGreen(m_ui.MessageLbl);
    // Lets the caption show. Other handlers may run here; the server link hands on nothing
    // more until this reply's handling has returned.
    QApplication::processEvents();
    m_ui.InquiryCmd->setEnabled(true);
}

void MainForm::showAnswerComplete()
{
    m_ui.MessageLbl->setText(QString());
    if (m_ui.AnswerList->rowCount() > 0) {
        SlideAnswerList(true);
        m_ui.AnswerList->setSelectedIndex(0);
        m_ui.AnswerList->setFocus();
    }
}

void MainForm::AnswerList_Click()
{
    const int index = m_ui.AnswerList->selectedIndex();
    if (index < 0 || m_ui.AnswerList->rowCount() == 0)
        return;
    const QString row = m_ui.AnswerList->rowText(index);
    if (!answer::isOrderableRow(row))
        return;
    // The last character of the note column, the LIN column and the first ten of PART#.
    m_ui.OrderPNumLbl->setText(text::trimBlanks(text::columns(row, 6, 16)));
}

void MainForm::AnswerList_KeyPress(int key)
{
    if (isEnter(key))
        OrderCmd_Click();
}
