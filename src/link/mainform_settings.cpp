// Login settings: loading and saving Login.Inf and Options.Inf, the login test, and the supplier's
// connection update files.
#include "shell/mainform.h"

#include "core/files.h"
#include "core/loginsettings.h"
#include "core/numbers.h"
#include "core/settingsfile.h"
#include "core/text.h"
#include "link/linkstate.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

constexpr int OptionsTab = 2;

QString hostUpdatePath(const MainForm& f)
{
    return f.MyPath + u"Vornikupdate.TXT"_s;
}

QString loginUpdatePath(const MainForm& f)
{
    return f.MyPath + u"LOGIN_UPDATE.INF"_s;
}

// The settings file's content, created empty first when it is missing; nothing when it can
// neither be created nor read (a folder in its place, no permission).
std::optional<QByteArray> readSettingsFile(const QString& path)
{
    if (!files::createIfMissing(path))
        return std::nullopt;
    return files::readAll(path);
}

// A number field of a settings record as a 16-bit integer; empty gives 0.
std::optional<qint16> numberField(const std::optional<QString>& field)
{
    if (!field)
        return std::nullopt;
    return numbers::toInt16(numbers::numericValue(*field));
}

// Reads Login.Inf and Options.Inf into the shared variables and the OPTIONS tab. False when a
// file is too short, cannot be read or ends early, or a number is out of range; what was read
// before the fault stays set, as the fields are taken one after another.
bool loadSettings(MainForm& f)
{
    const auto login = readSettingsFile(f.LoginFile);
    if (!login || login->size() < 5)
        return false;
    settings::FieldReader loginFields(files::fromAnsi(*login));
    const auto host = loginFields.next();
    if (!host)
        return false;
    f.HostIP = *host;
    const auto name = loginFields.next();
    if (!name)
        return false;
    f.LoginName = *name;
    const auto account = loginFields.next();
    if (!account)
        return false;
    f.AccNum = *account;
    if (!loginFields.next()) // the unused fourth field
        return false;
    const auto portText = loginFields.next();
    if (!portText)
        return false;
    // The three boxes are filled before the port is converted, so a port out of range still
    // shows the address, login name and account number that were read.
    f.txtHostAddress->setText(text::trimBlanks(f.HostIP));
    f.LoginNameTxt->setText(f.LoginName);
    f.AccNumTxt->setText(f.AccNum);
    const auto port = numberField(portText);
    if (!port)
        return false;
    f.serverLink().setServer(f.HostIP, *port);
    f.ServerSocketTxt->setText(QString::number(*port));

    const auto options = readSettingsFile(f.OptionsFile);
    if (!options)
        return false;
    if (options->size() < 3)
        f.ShortcutPending = true; // a first run; the reading below then fails
    settings::FieldReader optionFields(files::fromAnsi(*options));
    const auto businessName = optionFields.next();
    if (!businessName)
        return false;
    f.AccNameTxt->setText(*businessName);
    const auto poRequired = numberField(optionFields.next());
    if (!poRequired)
        return false;
    f.PoOptionCheck[0]->setChecked(*poRequired == 1);
    const auto standing = numberField(optionFields.next());
    if (!standing)
        return false;
    f.PoOptionCheck[1]->setChecked(*standing == 1);
    const auto standingNumber = optionFields.next();
    if (!standingNumber)
        return false;
    f.StandingPOtxt->setText(*standingNumber);
    const auto repRequired = numberField(optionFields.next());
    if (!repRequired)
        return false;
    f.RepNameOptCheck->setChecked(*repRequired == 1);
    return true;
}

// Reports a settings file that could not be replaced; the old file is still in place.
void reportSaveFailure(MainForm& f, const QString& path, const QString& reason)
{
    f.link().saveFailed = true;
    f.MsgBox(QFileInfo(path).fileName() + u" could not be saved: "_s + reason
                 + u". Your previous settings are kept."_s,
             QMessageBox::Warning);
}

// The last step of loading: a keyword file from the supplier puts a new address and port into
// the boxes, saves them through the normal validation and says what changed.
void applyHostUpdate(MainForm& f)
{
    QString url;
    QString socket;
    QString notes;
    if (!f.ReadHostUpdateFile(url, socket, notes))
        return;
    if (loginsettings::urlApplies(url))
        f.txtHostAddress->setText(url);
    if (loginsettings::socketApplies(socket))
        f.ServerSocketTxt->setText(socket);
    // HostIP is not reloaded here: the new address is used from the next load on.
    f.SaveLoginSettings();
    f.MsgBox(loginsettings::hostUpdateMessage(url, socket, notes), QMessageBox::Information);
}

} // namespace

void MainForm::CheckSetup()
{
    SetupChecked = true;
    if (!loadSettings(*this)) {
        SSTab1->setCurrentIndex(OptionsTab);
        MsgBox(u"Please provide or correct Setup Options"_s, QMessageBox::Warning);
        Testcmd->setEnabled(false);
        LoginNameTxt->setFocus();
        return;
    }
    applyHostUpdate(*this);
}

void MainForm::SaveLoginSettings()
{
    const QString name = loginsettings::cleanLoginName(LoginNameTxt->text());
    LoginNameTxt->setText(name); // also when it turns out invalid
    if (!loginsettings::isValidLoginName(name)) {
        MsgBox(u"Invalid Reference Name!"_s, QMessageBox::Warning);
        LoginNameTxt->setFocus();
        return;
    }
    const QString account = text::trimBlanks(AccNumTxt->text());
    if (!loginsettings::isValidAccount(account)) {
        MsgBox(u"Invalid Account Number!"_s, QMessageBox::Warning);
        AccNumTxt->setFocus();
        return;
    }
    const QString host = text::trimBlanks(txtHostAddress->text()).toLower();
    const QString record = settings::loginRecord(host, LoginNameTxt->text(), account,
                                                 text::trimBlanks(ServerSocketTxt->text()));
    const QString error = files::saveWhole(LoginFile, files::toAnsi(record));
    if (!error.isEmpty()) {
        reportSaveFailure(*this, LoginFile, error);
        return;
    }
    FlashSavedNotice();
}

void MainForm::SaveOptionSettings()
{
    AccNameTxt->setText(text::syntaxOut(text::trimBlanks(AccNameTxt->text())));
    StandingPOtxt->setText(text::syntaxOut(text::trimBlanks(StandingPOtxt->text())));
    int standingFlag = 0;
    QString standingNumber;
    if (!StandingPOtxt->text().isEmpty() && PoOptionCheck[1]->isChecked()) {
        standingFlag = 1;
        standingNumber = StandingPOtxt->text();
    }
    const QString record =
        settings::optionsRecord(AccNameTxt->text(), PoOptionCheck[0]->isChecked() ? 1 : 0,
                                standingFlag, standingNumber, RepNameOptCheck->isChecked() ? 1 : 0);
    const QString error = files::saveWhole(OptionsFile, files::toAnsi(record));
    if (!error.isEmpty())
        reportSaveFailure(*this, OptionsFile, error);
}

void MainForm::SaveLoginInfoCmd_Click(int /*index*/)
{
    link().saveFailed = false;
    Testcmd->setVisible(true);
    PassedPic->hide();
    ErrorPic->hide();
    OptionsHelpInfo->clear();
    LoginHelpInfo->clear();
    SaveLoginSettings();
    SaveOptionSettings(); // also when the login fields were refused
    CheckSetup();         // reloads from what was just written (or the previous Login.Inf)
    if (!link().saveFailed)
        FlashSavedNotice();
    Testcmd->setEnabled(true); // also when the reload took the failure path
}

void MainForm::FlashSavedNotice()
{
    SavedPic->show();
    SavedPic->repaint();
    // A still pause: the window does not respond while the notice shows.
    PauseUntil(Timer() + 0.4);
    SavedPic->hide();
}

void MainForm::Testcmd_Click()
{
    if (linkBusy(ServerLink::Kind::LoginTest))
        return;
    SaveLoginInfoCmd_Click(0);
    AskString = loginsettings::loginTestRequest(AccNumTxt->text(), LoginNameTxt->text());
    // The clock never wraps, so a test started just before midnight still reaches its deadline.
    LoginTestTimer = numbers::toInt32(numbers::roundHalfEven(Timer() + 5)).value_or(0);
    if (!sendRequest(ServerLink::Kind::LoginTest)) {
        LoginTestTimer = 0;
        MsgBox(u"The Connection Socket# \""_s + ServerSocketTxt->text()
                   + u"\" is not a valid port number. Enter the port your supplier gave you on "
                     "the OPTIONS tab and press SAVE."_s,
               QMessageBox::Warning);
    }
}

void MainForm::ShowLoginStatus(bool Passed)
{
    LoginTestTimer = 0;
    if (Passed) {
        PassedPic->show();
        ErrorPic->hide();
    } else {
        ErrorPic->show();
        PassedPic->hide();
        m_serverLink->abandon(ServerLink::Kind::LoginTest);
    }
}

bool MainForm::ReadHostUpdateFile(QString& url, QString& socket, QString& notes)
{
    const QString path = hostUpdatePath(*this);
    if (!QFileInfo::exists(path))
        return false;
    const auto bytes = files::readAll(path);
    if (!bytes)
        return false;
    if (bytes->size() <= 4) {
        QFile::remove(path);
        return false;
    }
    const loginsettings::HostUpdate update =
        loginsettings::parseHostUpdate(files::fromAnsi(*bytes));
    if (update.url)
        url = *update.url;
    if (update.socket)
        socket = *update.socket;
    if (update.notes)
        notes = *update.notes;
    return QFile::remove(path); // a file that stays would be applied again at every load
}

void MainForm::ApplyLoginUpdate()
{
    const QString updatePath = loginUpdatePath(*this);
    if (!QFileInfo::exists(updatePath) || !QFileInfo::exists(LoginFile))
        return; // without Login.Inf the update file waits for a later start

    const auto notApplied = [this](const QString& reason) {
        // Nothing was changed: Login.Inf and the update file stay as they were.
        UpdateNotice = loginsettings::notAppliedNotice(reason);
        UpdateNoticePending = true;
    };
    const auto login = files::readAll(LoginFile);
    if (!login)
        return notApplied(u"Login.Inf could not be read"_s);
    const auto update = files::readAll(updatePath);
    if (!update)
        return notApplied(u"LOGIN_UPDATE.INF could not be read"_s);
    const loginsettings::LoginUpdate result =
        loginsettings::applyLoginUpdate(files::fromAnsi(*login), files::fromAnsi(*update));
    if (!result.ok())
        return notApplied(result.failure);
    // Login.Inf first, then the update file: a failed save leaves both for the next start.
    const QString error = files::saveWhole(LoginFile, files::toAnsi(result.content));
    if (!error.isEmpty())
        return notApplied(u"Login.Inf could not be written ("_s + error + u')');
    UpdateNotice = loginsettings::updatedNotice(result.changes);
    if (!QFile::remove(updatePath))
        UpdateNotice += u"The update was applied, but LOGIN_UPDATE.INF could not be removed."_s;
    UpdateNoticePending = true;
}
