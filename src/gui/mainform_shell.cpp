// The window's frame: the periodic tick's steps, shut-down, the help texts of the OPTIONS tab.
#include "gui/mainform.h"

#include "core/shellrules.h"
#include "core/text.h"
#include "logic/cart/cart.h"
#include "logic/launcher/launcher.h"
#include "logic/replies/replydispatcher.h"
#include "logic/settings/settings.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

using namespace Qt::StringLiterals;
using shellrules::Help;

// ---- shut-down ----------------------------------------------------------------------------

void MainForm::Form_Unload()
{
    const QString notice = m_dispatcher->unloadNotice();
    if (!notice.isEmpty())
        msgBox(notice, QMessageBox::Information);
}

void MainForm::ForceUpdateCmd_Click()
{
    m_dispatcher->setNewVersionFlag();
    m_ui.SSTab1->setCurrentIndex(0);
    close(); // closeEvent runs Form_Unload, which now always shows the notice
}

// ---- periodic timer -----------------------------------------------------------------------

void MainForm::tickSetup()
{
    if (m_settings->setupChecked())
        return;
    CheckSetup(); // marks the setup checked first of all; may show a box
    // The first run is marked in Options.Inf before anything else, so a later start does not
    // come back here even when the launcher cannot be made.
    if (m_settings->takeShortcutPending() && m_settings->markFirstRun())
        launcher::CreateDesktopShortcut(m_folder, m_seams.desktopFolder);
}

void MainForm::tickHousekeeping(bool nested)
{
    m_ui.InquiryCmd->setEnabled(true);

    // The deadlines come from the never-wrapping clock, so one set just before midnight still
    // passes after it.
    m_serverLink->closeIfDue();

    if (m_settings->loginTestExpired(secondsNow()))
        ShowLoginStatus(false); // shows the failure, closes the socket, clears the deadline

    if (!nested && m_cart->savedOrderCheckDue()) {
        CheckSavedOrder(); // asks Yes/No; processes events
        m_cart->savedOrderChecked();
    }

    // The status line would show an update download's progress here; no download is ever made,
    // so every tick clears it.
    m_ui.MessageLbl->clear();
    showOverdueOrders();

    if (!nested && m_settings->hasUpdateNotice()) {
        msgBox(m_settings->updateNotice(), QMessageBox::Information);
        m_settings->clearUpdateNotice();
    }
}

void MainForm::showLoginHelp(Help which)
{
    m_ui.OptionsHelpInfo->clear();
    m_ui.LoginHelpInfo->setPlainText(shellrules::helpText(which));
}

void MainForm::showOptionsHelp(Help which)
{
    m_ui.LoginHelpInfo->clear();
    m_ui.OptionsHelpInfo->setPlainText(shellrules::helpText(which));
}

void MainForm::hideLoginResult()
{
    m_ui.PassedPic->hide();
    m_ui.ErrorPic->hide();
}

// ---- OPTIONS tab --------------------------------------------------------------------------

void MainForm::OptionsCmd_Click()
{
    m_ui.SSTab1->setCurrentIndex(2);
}

void MainForm::AccNameTxt_GotFocus()
{
    showOptionsHelp(Help::BusinessName);
}

void MainForm::AccNumTxt_GotFocus()
{
    m_ui.OptionsHelpInfo->clear();
    hideLoginResult();
    m_ui.LoginHelpInfo->setPlainText(shellrules::helpText(Help::AccountNumber));
}

void MainForm::AccNumTxt_LostFocus()
{
    m_ui.AccNumTxt->setText(text::trimBlanks(m_ui.AccNumTxt->text()));
}

void MainForm::LoginNameTxt_GotFocus()
{
    hideLoginResult();
    showLoginHelp(Help::LoginName);
}

void MainForm::LoginNameTxt_LostFocus()
{
    m_ui.LoginNameTxt->setText(text::toUpper8Bit(text::trimBlanks(m_ui.LoginNameTxt->text())));
}

void MainForm::txtHostAddress_GotFocus()
{
    hideLoginResult();
    showLoginHelp(Help::HostAddress);
}

void MainForm::PoOptionCheck_GotFocus(int /*index: both boxes alike*/)
{
    showOptionsHelp(Help::PoOptions);
}

void MainForm::RepNameOptCheck_GotFocus()
{
    showOptionsHelp(Help::RepName);
}

void MainForm::StandingPOtxt_GotFocus()
{
    showOptionsHelp(Help::StandingPo);
}
