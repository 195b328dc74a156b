// Part inquiry handlers (being built).
#include "shell/mainform.h"

void MainForm::Inquiry() { }

void MainForm::InquiryCmd_Click() { }

void MainForm::Parttxt_GotFocus() { }

void MainForm::Parttxt_LostFocus() { }

void MainForm::GetInquiry() { }

void MainForm::AddAnswerRows(const QString&, const QStringList&) { }

void MainForm::AnswerList_Click() { }

void MainForm::AnswerList_KeyPress(int) { }

bool MainForm::Parttxt_KeyPress(int)
{
    return false;
}
