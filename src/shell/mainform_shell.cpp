// Shell handlers: timer, trace log, shut-down, shortcut, help texts (being built).
#include "shell/mainform.h"

void MainForm::Form_Unload() { }

void MainForm::MiscTimer_Timer() { }

void MainForm::ForceUpdateCmd_Click() { }

void MainForm::CreateDesktopShortcut() { }

void MainForm::OptionsCmd_Click() { }

void MainForm::AccNameTxt_GotFocus() { }

void MainForm::AccNumTxt_GotFocus() { }

void MainForm::AccNumTxt_LostFocus() { }

void MainForm::LoginNameTxt_GotFocus() { }

void MainForm::LoginNameTxt_LostFocus() { }

void MainForm::txtHostAddress_GotFocus() { }

void MainForm::PoOptionCheck_GotFocus(int) { }

void MainForm::RepNameOptCheck_GotFocus() { }

void MainForm::StandingPOtxt_GotFocus() { }

bool MainForm::TraceRequest(const QString&)
{
    return true;
}

QString MainForm::SyntaxOut(const QString& value) const
{
    return value;
}
