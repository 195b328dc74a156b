// The shell: the timer, the trace log, the shut-down notice and the desktop launcher.
#include "shell/shell.h"

#include "core/files.h"
#include "core/shellrules.h"
#include "core/text.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTime>
#include <QTimer>

using namespace Qt::StringLiterals;

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

} // namespace

Shell::Shell(const QString& folder, const QString& commandLine, const QString& desktopFolder,
             QObject* parent)
    : QObject(parent)
    , m_folder(folder)
    , m_desktopFolder(desktopFolder)
    , m_traceMode(text::trimBlanks(commandLine).toUpper() == u"T"_s)
    , m_timer(new QTimer(this))
{
    setObjectName(u"Shell"_s);
    m_timer->setObjectName(u"MiscTimer"_s);
    m_timer->setInterval(FirstTickInterval);
    connect(m_timer, &QTimer::timeout, this, &Shell::MiscTimer_Timer);
}

QString Shell::logFile() const
{
    return m_folder + u"DataSend.log"_s;
}

void Shell::start()
{
    m_timer->start();
}

void Shell::MiscTimer_Timer()
{
    const bool nested = m_inTick;
    m_inTick = true;
    if (!nested)
        emit setupDue(); // may show a box
    // The first tick moves to the nine-second rhythm even when SAVE or the login test read the
    // settings before it; otherwise the status line would be wiped every second for the whole
    // run. Only changed once: setting the interval restarts the timer.
    if (m_timer->interval() != TickInterval)
        m_timer->setInterval(TickInterval);
    emit housekeeping(nested);
    if (!nested)
        m_inTick = false;
}

bool Shell::TraceRequest(const QString& request)
{
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString time = locale.toString(
        QTime::currentTime(), shellrules::traceTimeFormat(locale.timeFormat(QLocale::LongFormat)));
    return files::append(logFile(), shellrules::traceRecord(date, time, request));
}

QString Shell::unloadNotice() const
{
    if (!m_newVersionFlag)
        return {};
    // No blank between the two sentences: the notice has always read this way.
    return u"A new update version is now available!"_s
        + u"Please visit our website to obtain the latest version."_s;
}

void Shell::CreateDesktopShortcut()
{
    const QString infPath = m_folder + u"shortcut.inf"_s;
    if (!files::createIfMissing(infPath))
        return;
    const std::optional<QByteArray> content = files::readAll(infPath);
    if (!content)
        return;
    const std::optional<shellrules::ShortcutInfo> info = shellrules::readShortcutInfo(*content);
    if (!info)
        return;
    const QString target = m_folder + info->target;

    // No shell-link function or batch interpreter here: a freedesktop launcher does the job.
    QString desktop = m_desktopFolder;
    if (desktop.isEmpty())
        desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QDir().mkpath(desktop))
        return;
    const QString launcher = QDir(desktop).filePath(shellrules::launcherFileName(info->name));
    const QString entry =
        shellrules::launcherText(info->name, target, m_folder, launcherIcon(m_folder));
    if (!files::saveWhole(launcher, entry.toUtf8()).isEmpty())
        return;
    QFile::setPermissions(launcher,
                          QFile::permissions(launcher) | QFile::ExeUser | QFile::ExeGroup
                              | QFile::ExeOther);
}
