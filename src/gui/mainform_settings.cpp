// Settings handlers: the OPTIONS tab's SAVE and Test LOGIN, reading the settings into the tab,
// and the supplier's keyword file.
#include "gui/mainform.h"

#include "core/loginsettings.h"
#include "core/text.h"
#include "logic/settings/settings.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

constexpr int OptionsTab = 2;

} // namespace

void MainForm::CheckSetup()
{
    const Settings::Loaded loaded = m_settings->readFiles();
    // What was read before a fault is shown, as the fields are taken one after another.
    if (loaded.login) {
        // The three boxes are filled also when the port is out of range, so they still show
        // the address, login name and account number that were read.
        m_ui.txtHostAddress->setText(text::trimBlanks(loaded.login->host));
        m_ui.LoginNameTxt->setText(loaded.login->name);
        m_ui.AccNumTxt->setText(loaded.login->account);
        if (loaded.login->port) {
            m_serverLink->setServer(loaded.login->host, *loaded.login->port);
            m_ui.ServerSocketTxt->setText(QString::number(*loaded.login->port));
        }
    }
    const Settings::OptionFields& options = loaded.options;
    if (options.businessName)
        m_ui.AccNameTxt->setText(*options.businessName);
    if (options.poRequired)
        m_ui.PoOptionCheck[0]->setChecked(*options.poRequired);
    if (options.standingPo)
        m_ui.PoOptionCheck[1]->setChecked(*options.standingPo);
    if (options.standingNumber)
        m_ui.StandingPOtxt->setText(*options.standingNumber);
    if (options.repRequired)
        m_ui.RepNameOptCheck->setChecked(*options.repRequired);
    if (!loaded.ok) {
        m_ui.SSTab1->setCurrentIndex(OptionsTab);
        msgBox(u"Please provide or correct Setup Options"_s, QMessageBox::Warning);
        m_ui.Testcmd->setEnabled(false);
        m_ui.LoginNameTxt->setFocus();
        return;
    }
    applyHostUpdate();
}

// The last step of loading: a keyword file from the supplier puts a new address and port into
// the boxes, saves them through the normal validation and says what changed.
void MainForm::applyHostUpdate()
{
    QString url;
    QString socket;
    QString notes;
    if (!m_settings->ReadHostUpdateFile(url, socket, notes))
        return;
    if (loginsettings::urlApplies(url))
        m_ui.txtHostAddress->setText(url);
    if (loginsettings::socketApplies(socket))
        m_ui.ServerSocketTxt->setText(socket);
    // The address in use is not reloaded here: the new one is used from the next load on.
    SaveLoginSettings();
    msgBox(loginsettings::hostUpdateMessage(url, socket, notes), QMessageBox::Information);
}

// Reports a settings file that could not be replaced; the old file is still in place.
void MainForm::reportSaveFailure(const QString& path, const QString& reason)
{
    m_saveFailed = true;
    msgBox(QFileInfo(path).fileName() + u" could not be saved: "_s + reason
               + u". Your previous settings are kept."_s,
           QMessageBox::Warning);
}

void MainForm::SaveLoginSettings()
{
    const QString name = loginsettings::cleanLoginName(m_ui.LoginNameTxt->text());
    m_ui.LoginNameTxt->setText(name); // also when it turns out invalid
    if (!loginsettings::isValidLoginName(name)) {
        msgBox(u"Invalid Reference Name!"_s, QMessageBox::Warning);
        m_ui.LoginNameTxt->setFocus();
        return;
    }
    if (!loginsettings::isValidAccount(m_ui.AccNumTxt->text())) {
        msgBox(u"Invalid Account Number!"_s, QMessageBox::Warning);
        m_ui.AccNumTxt->setFocus();
        return;
    }
    const QString error =
        m_settings->saveLogin(m_ui.txtHostAddress->text(), m_ui.LoginNameTxt->text(),
                              m_ui.AccNumTxt->text(), m_ui.ServerSocketTxt->text());
    if (!error.isEmpty()) {
        reportSaveFailure(m_settings->loginFile(), error);
        return;
    }
    // The first of the two "SAVED" flashes of a SAVE; both are kept, as the window always did.
    FlashSavedNotice();
}

void MainForm::SaveOptionSettings()
{
    m_ui.AccNameTxt->setText(text::syntaxOut(text::trimBlanks(m_ui.AccNameTxt->text())));
    m_ui.StandingPOtxt->setText(text::syntaxOut(text::trimBlanks(m_ui.StandingPOtxt->text())));
    const QString error =
        m_settings->saveOptions({m_ui.AccNameTxt->text(), m_ui.PoOptionCheck[0]->isChecked(),
                                 m_ui.PoOptionCheck[1]->isChecked(), m_ui.StandingPOtxt->text(),
                                 m_ui.RepNameOptCheck->isChecked()});
    if (!error.isEmpty())
        reportSaveFailure(m_settings->optionsFile(), error);
}

void MainForm::SaveLoginInfoCmd_Click(int /*index*/)
{
    m_saveFailed = false;
    m_ui.Testcmd->setVisible(true);
    m_ui.PassedPic->hide();
    m_ui.ErrorPic->hide();
    m_ui.OptionsHelpInfo->clear();
    m_ui.LoginHelpInfo->clear();
    SaveLoginSettings();
    SaveOptionSettings(); // also when the login fields were refused
    CheckSetup();         // reloads from what was just written (or the previous Login.Inf)
    if (!m_saveFailed)
        FlashSavedNotice();
    m_ui.Testcmd->setEnabled(true); // also when the reload took the failure path
}

void MainForm::FlashSavedNotice()
{
    m_ui.SavedPic->show();
    m_ui.SavedPic->repaint();
    // A still pause: the window does not respond while the notice shows.
    pauseUntil(secondsNow() + 0.4);
    m_ui.SavedPic->hide();
}

void MainForm::Testcmd_Click()
{
    if (linkBusy(ServerLink::Kind::LoginTest))
        return;
    SaveLoginInfoCmd_Click(0);
    const QString request =
        loginsettings::loginTestRequest(m_ui.AccNumTxt->text(), m_ui.LoginNameTxt->text());
    m_settings->startLoginTest(secondsNow());
    if (!sendRequest(ServerLink::Kind::LoginTest, request)) {
        m_settings->stopLoginTest();
        msgBox(u"The Connection Socket# \""_s + m_ui.ServerSocketTxt->text()
                   + u"\" is not a valid port number. Enter the port your supplier gave you on "
                     "the OPTIONS tab and press SAVE."_s,
               QMessageBox::Warning);
    }
}

void MainForm::ShowLoginStatus(bool Passed)
{
    m_settings->stopLoginTest();
    if (Passed) {
        m_ui.PassedPic->show();
        m_ui.ErrorPic->hide();
    } else {
        m_ui.ErrorPic->show();
        m_ui.PassedPic->hide();
        m_serverLink->abandon(ServerLink::Kind::LoginTest);
    }
}
