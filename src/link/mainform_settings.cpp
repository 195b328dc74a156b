// Login settings, login test and connection updates (being built).
#include "shell/mainform.h"

void MainForm::CheckSetup() { }

void MainForm::SaveLoginSettings() { }

void MainForm::SaveOptionSettings() { }

void MainForm::SaveLoginInfoCmd_Click(int) { }

void MainForm::FlashSavedNotice() { }

void MainForm::Testcmd_Click() { }

void MainForm::ShowLoginStatus(bool) { }

void MainForm::ApplyLoginUpdate() { }

bool MainForm::ReadHostUpdateFile(QString&, QString&, QString&)
{
    return false;
}
