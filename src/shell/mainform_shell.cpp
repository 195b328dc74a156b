// Shell handlers: the periodic timer, the trace log, shut-down, the first-run desktop launcher
// and the help texts of the OPTIONS tab.
#include "shell/mainform.h"

#include "core/files.h"
#include "core/settingsfile.h"
#include "core/shellrules.h"
#include "core/text.h"
#include "shell/shellstate.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextEdit>
#include <QTime>
#include <QTimer>

using namespace Qt::StringLiterals;
using shellrules::Help;

namespace {

constexpr int FirstTickInterval = 1000;
constexpr int TickInterval = 9000;

// The launcher's icon: the program's own picture when the folder has one, else the customer's
// logo, else none.
QString launcherIcon(const QString& folder)
{
    for (const QString& name : {u"vornik.png"_s, u"mylogo.jpg"_s}) {
        const QString path = folder + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

void showLoginHelp(MainForm& f, Help which)
{
    f.OptionsHelpInfo->clear();
    f.LoginHelpInfo->setPlainText(shellrules::helpText(which));
}

void showOptionsHelp(MainForm& f, Help which)
{
    f.LoginHelpInfo->clear();
    f.OptionsHelpInfo->setPlainText(shellrules::helpText(which));
}

void hideLoginResult(MainForm& f)
{
    f.PassedPic->hide();
    f.ErrorPic->hide();
}

} // namespace

// ---- shut-down ----------------------------------------------------------------------------

void MainForm::Form_Unload()
{
    if (NewVersionFlag)
        MsgBox(u"A new update version is now available!"_s
                   + u"Please visit our website to obtain the latest version."_s,
               QMessageBox::Information);
}

void MainForm::ForceUpdateCmd_Click()
{
    NewVersionFlag = true;
    SSTab1->setCurrentIndex(0);
    close(); // closeEvent runs Form_Unload, which now always shows the notice
}

// ---- periodic timer -----------------------------------------------------------------------

void MainForm::MiscTimer_Timer()
{
    // A tick that begins while a box of an earlier tick is open (its nested event loop keeps the
    // timer running) does only the housekeeping: no setup, no saved-order question, no notice.
    const bool nested = shell().inTick;
    shell().inTick = true;

    if (!nested && !SetupChecked) {
        CheckSetup(); // sets SetupChecked first of all; may show a box
        if (ShortcutPending) {
            ShortcutPending = false;
            CreateDesktopShortcut();
        }
    }
    // The first tick moves to the nine-second rhythm even when SAVE or the login test read the
    // settings before it; otherwise the status line would be wiped every second for the whole
    // run. Only changed once: setting the interval restarts the timer.
    if (MiscTimer->interval() != TickInterval)
        MiscTimer->setInterval(TickInterval);

    InquiryCmd->setEnabled(true);

    // The deadlines come from the never-wrapping clock, so one set just before midnight still
    // passes after it.
    m_serverLink->closeIfDue();

    if (Timer() > LoginTestTimer && LoginTestTimer > 0)
        ShowLoginStatus(false); // shows the failure, closes the socket, clears the deadline

    if (!nested && CheckForExistingOrder) {
        CheckSavedOrder(); // asks Yes/No; processes events
        CheckForExistingOrder = false;
    }

    if (UpdateDownloadMode) {
        // Never switched on: nothing is ever downloaded. The status line would show progress.
        MessageLbl->setText(MessageLbl->text() + u'.');
        MessageLbl->repaint();
    } else {
        MessageLbl->clear();
    }

    if (!nested && UpdateNoticePending) {
        MsgBox(UpdateNotice, QMessageBox::Information);
        UpdateNoticePending = false;
    }

    if (!nested)
        shell().inTick = false;
}

// ---- trace log ----------------------------------------------------------------------------

bool MainForm::TraceRequest(const QString& request)
{
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString time = locale.toString(
        QTime::currentTime(), shellrules::traceTimeFormat(locale.timeFormat(QLocale::LongFormat)));
    return files::append(LogFile, shellrules::traceRecord(date, time, request));
}

QString MainForm::SyntaxOut(const QString& value) const
{
    return text::syntaxOut(value);
}

// ---- first-run desktop launcher -----------------------------------------------------------

void MainForm::CreateDesktopShortcut()
{
    // Every failure ends this silently, leaving done what was done. The first run is marked
    // before anything else, so a later start does not come back here.
    if (!files::saveWhole(OptionsFile, files::toAnsi(settings::firstRunMarker())).isEmpty())
        return;

    const QString infPath = MyPath + u"shortcut.inf"_s;
    if (!files::createIfMissing(infPath))
        return;
    const std::optional<QByteArray> content = files::readAll(infPath);
    if (!content)
        return;
    const std::optional<shellrules::ShortcutInfo> info = shellrules::readShortcutInfo(*content);
    if (!info)
        return;
    const QString target = MyPath + info->target;

    // No shell-link function or batch interpreter here: a freedesktop launcher does the job.
    QString desktop = seams().desktopFolder;
    if (desktop.isEmpty())
        desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QDir().mkpath(desktop))
        return;
    const QString launcher = QDir(desktop).filePath(shellrules::launcherFileName(info->name));
    const QString entry =
        shellrules::launcherText(info->name, target, MyPath, launcherIcon(MyPath));
    if (!files::saveWhole(launcher, entry.toUtf8()).isEmpty())
        return;
    QFile::setPermissions(launcher,
                          QFile::permissions(launcher) | QFile::ExeUser | QFile::ExeGroup
                              | QFile::ExeOther);
}

// ---- OPTIONS tab --------------------------------------------------------------------------

void MainForm::OptionsCmd_Click()
{
    SSTab1->setCurrentIndex(2);
}

void MainForm::AccNameTxt_GotFocus()
{
    showOptionsHelp(*this, Help::BusinessName);
}

void MainForm::AccNumTxt_GotFocus()
{
    OptionsHelpInfo->clear();
    hideLoginResult(*this);
    LoginHelpInfo->setPlainText(shellrules::helpText(Help::AccountNumber));
}

void MainForm::AccNumTxt_LostFocus()
{
    AccNumTxt->setText(text::trimBlanks(AccNumTxt->text()));
}

void MainForm::LoginNameTxt_GotFocus()
{
    hideLoginResult(*this);
    showLoginHelp(*this, Help::LoginName);
}

void MainForm::LoginNameTxt_LostFocus()
{
    LoginNameTxt->setText(text::toUpper8Bit(text::trimBlanks(LoginNameTxt->text())));
}

void MainForm::txtHostAddress_GotFocus()
{
    hideLoginResult(*this);
    showLoginHelp(*this, Help::HostAddress);
}

void MainForm::PoOptionCheck_GotFocus(int /*index: both boxes alike*/)
{
    showOptionsHelp(*this, Help::PoOptions);
}

void MainForm::RepNameOptCheck_GotFocus()
{
    showOptionsHelp(*this, Help::RepName);
}

void MainForm::StandingPOtxt_GotFocus()
{
    showOptionsHelp(*this, Help::StandingPo);
}
