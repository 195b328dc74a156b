// The first-run desktop launcher: a freedesktop entry written from shortcut.inf.
#include "logic/launcher/launcher.h"

#include "core/files.h"
#include "core/shellrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

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

void launcher::CreateDesktopShortcut(const QString& folder, const QString& desktopFolder)
{
    const QString infPath = folder + u"shortcut.inf"_s;
    if (!files::createIfMissing(infPath))
        return;
    const std::optional<QByteArray> content = files::readAll(infPath);
    if (!content)
        return;
    const std::optional<shellrules::ShortcutInfo> info = shellrules::readShortcutInfo(*content);
    if (!info)
        return;
    const QString target = folder + info->target;

    // No shell-link function or batch interpreter here: a freedesktop launcher does the job.
    QString desktop = desktopFolder;
    if (desktop.isEmpty())
        desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QDir().mkpath(desktop))
        return;
    const QString launcher = QDir(desktop).filePath(shellrules::launcherFileName(info->name));
    const QString entry =
        shellrules::launcherText(info->name, target, folder, launcherIcon(folder));
    if (!files::saveWhole(launcher, entry.toUtf8()).isEmpty())
        return;
    QFile::setPermissions(launcher,
                          QFile::permissions(launcher) | QFile::ExeUser | QFile::ExeGroup
                              | QFile::ExeOther);
}
