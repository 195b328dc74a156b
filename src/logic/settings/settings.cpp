// The login settings and preferences: their two files, the supplier's update files and the
// login test's deadline.
#include "logic/settings/settings.h"

#include "core/files.h"
#include "core/loginsettings.h"
#include "core/numbers.h"
#include "core/settingsfile.h"
#include "core/text.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

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

} // namespace

Settings::Settings(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
{
    setObjectName(u"Settings"_s);
}

QString Settings::loginFile() const
{
    return m_folder + u"Login.Inf"_s;
}

QString Settings::optionsFile() const
{
    return m_folder + u"Options.Inf"_s;
}

Settings::Loaded Settings::readFiles()
{
    m_setupChecked = true;
    Loaded loaded;
    // The fields are taken one after another: what was read before a fault stays set.
    const auto login = readSettingsFile(loginFile());
    if (!login || login->size() < 5)
        return loaded;
    settingsfile::FieldReader loginFields(files::fromAnsi(*login));
    const auto host = loginFields.next();
    if (!host)
        return loaded;
    m_hostIP = *host;
    const auto name = loginFields.next();
    if (!name)
        return loaded;
    m_loginName = *name;
    const auto account = loginFields.next();
    if (!account)
        return loaded;
    m_accNum = *account;
    if (!loginFields.next()) // the unused fourth field
        return loaded;
    const auto portText = loginFields.next();
    if (!portText)
        return loaded;
    const auto port = numberField(portText);
    loaded.login = LoginFields{m_hostIP, m_loginName, m_accNum, port};
    if (!port)
        return loaded;

    const auto options = readSettingsFile(optionsFile());
    if (!options)
        return loaded;
    if (options->size() < 3)
        m_shortcutPending = true; // a first run; the reading below then fails
    settingsfile::FieldReader optionFields(files::fromAnsi(*options));
    OptionFields& read = loaded.options;
    read.businessName = optionFields.next();
    if (!read.businessName)
        return loaded;
    // A yes/no option is stored as a number, 1 for yes; false when the field does not read.
    const auto readFlag = [&optionFields](std::optional<bool>& flag) {
        const auto number = numberField(optionFields.next());
        if (number)
            flag = *number == 1;
        return number.has_value();
    };
    if (!readFlag(read.poRequired) || !readFlag(read.standingPo))
        return loaded;
    read.standingNumber = optionFields.next();
    if (!read.standingNumber || !readFlag(read.repRequired))
        return loaded;
    loaded.ok = true;
    return loaded;
}

bool Settings::takeShortcutPending()
{
    const bool pending = m_shortcutPending;
    m_shortcutPending = false;
    return pending;
}

bool Settings::markFirstRun()
{
    return files::saveWhole(optionsFile(), files::toAnsi(settingsfile::firstRunMarker())).isEmpty();
}

QString Settings::saveLogin(const QString& host, const QString& name, const QString& account,
                            const QString& port)
{
    const QString record = settingsfile::loginRecord(
        text::trimBlanks(host).toLower(), name, text::trimBlanks(account), text::trimBlanks(port));
    return files::saveWhole(loginFile(), files::toAnsi(record));
}

QString Settings::saveOptions(const Options& options)
{
    int standingFlag = 0;
    QString standingNumber;
    if (!options.standingNumber.isEmpty() && options.standingPo) {
        standingFlag = 1;
        standingNumber = options.standingNumber;
    }
    const QString record =
        settingsfile::optionsRecord(options.businessName, options.poRequired ? 1 : 0, standingFlag,
                                    standingNumber, options.repRequired ? 1 : 0);
    return files::saveWhole(optionsFile(), files::toAnsi(record));
}

bool Settings::ReadHostUpdateFile(QString& url, QString& socket, QString& notes)
{
    const QString path = m_folder + u"Vornikupdate.TXT"_s;
    const auto bytes = files::readAll(path); // nothing when there is no such file
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

void Settings::ApplyLoginUpdate()
{
    const QString updatePath = m_folder + u"LOGIN_UPDATE.INF"_s;
    if (!QFileInfo::exists(updatePath) || !QFileInfo::exists(loginFile()))
        return; // without Login.Inf the update file waits for a later start

    const auto notApplied = [this](const QString& reason) {
        // Nothing was changed: Login.Inf and the update file stay as they were.
        m_updateNotice = loginsettings::notAppliedNotice(reason);
    };
    const auto login = files::readAll(loginFile());
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
    const QString error = files::saveWhole(loginFile(), files::toAnsi(result.content));
    if (!error.isEmpty())
        return notApplied(u"Login.Inf could not be written ("_s + error + u')');
    QString notice = loginsettings::updatedNotice(result.changes);
    if (!QFile::remove(updatePath))
        notice += u"The update was applied, but LOGIN_UPDATE.INF could not be removed."_s;
    m_updateNotice = notice;
}

void Settings::startLoginTest(double now)
{
    // The clock never wraps, so a test started just before midnight still reaches its deadline.
    m_loginTestTimer = numbers::toInt32(now + 5).value_or(0);
}
