// The supplier's update files and the installer's shortcut.inf: Vornikupdate.TXT, LOGIN_UPDATE.INF
// applied to a Login.Inf (the input's two halves, split at its first NUL byte), and shortcut.inf.
#include "core/loginsettings.h"
#include "core/shellrules.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const QString whole = files::fromAnsi(bytes);

    const loginsettings::HostUpdate update = loginsettings::parseHostUpdate(whole);
    (void)loginsettings::hostUpdateMessage(update.url.value_or(QString()),
                                           update.socket.value_or(QString()),
                                           update.notes.value_or(QString()));

    const qsizetype split = bytes.indexOf('\0');
    const QString login = split < 0 ? whole : files::fromAnsi(bytes.left(split));
    const QString updateFile = split < 0 ? QString() : files::fromAnsi(bytes.mid(split + 1));
    const loginsettings::LoginUpdate applied = loginsettings::applyLoginUpdate(login, updateFile);
    if (applied.ok() && !applied.content.endsWith(u','))
        __builtin_trap(); // the rewritten form ends every field with a comma

    if (const auto shortcut = shellrules::readShortcutInfo(bytes)) {
        if (shellrules::launcherFileName(shortcut->name).contains(u'/'))
            __builtin_trap(); // the launcher never leaves the desktop folder
    }
    return 0;
}
