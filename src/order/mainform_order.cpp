// Order cart, panels and submission (being built).
#include "shell/mainform.h"

void MainForm::SlideAnswerList(bool) { }

void MainForm::SlideOrderFrame(bool) { }

void MainForm::OrderCmd_Click() { }

void MainForm::Qtytxt_GotFocus() { }

void MainForm::Qtytxt_LostFocus() { }

void MainForm::OrderInfoTxt_LostFocus(int) { }

void MainForm::ViewOrderCmd_Click() { }

void MainForm::AddItemToOrder() { }

void MainForm::UpdateOrderTotals() { }

void MainForm::SaveOrderFile() { }

void MainForm::RemoveItemCmd_Click() { }

void MainForm::RemoveAllCmd_Click() { }

void MainForm::ClearOrder() { }

void MainForm::CheckSavedOrder() { }

void MainForm::SendOrderCmd_Click() { }

void MainForm::SendOrder() { }

void MainForm::OrderReply() { }
