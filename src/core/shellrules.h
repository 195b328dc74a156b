#pragma once
// Rules of the application shell that need no window: the trace-log record, the help texts of
// the OPTIONS tab, the installer's shortcut.inf and the desktop launcher written on the first run.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace shellrules {

// One record of DataSend.log: sixteen hyphens; date " ^ " time; the request in double quotes;
// each line ended by CR LF, in the 8-bit code page. The request is written exactly as sent, so
// one holding CR LF makes a record of more than three lines.
[[nodiscard]] QByteArray traceRecord(QStringView date, QStringView time, QStringView request);

// The time format of the trace record: the locale's long time format without its time-zone
// designators ("HH:mm:ss t" gives "HH:mm:ss"), every space of another kind (narrow, no-break)
// written as a blank. Quoted literal text stays as it is otherwise.
[[nodiscard]] QString traceTimeFormat(QStringView localeFormat);

// The help texts the option fields show when they receive the focus.
enum class Help {
    BusinessName,  // AccNameTxt
    AccountNumber, // AccNumTxt
    LoginName,     // LoginNameTxt
    HostAddress,   // txtHostAddress
    PoOptions,     // PoOptionCheck(0) and (1)
    RepName,       // RepNameOptCheck
    StandingPo,    // StandingPOtxt
};
[[nodiscard]] QString helpText(Help which);

// What the installer left in shortcut.inf: line 1 the program to link to (relative to the
// program folder), line 2 unused, line 3 the shortcut's name.
struct ShortcutInfo
{
    QString target; // trimmed of blanks; may be empty
    QString name;   // trimmed of blanks; "Vornik" when line 3 gives none
};

// Reads shortcut.inf (8-bit code page). A line's value is what follows its first "=", trimmed
// of blanks; an "=" in the first column (or none) gives no value. Nothing when the file is
// shorter than 5 bytes, has fewer than three lines, or line 1 has no value.
[[nodiscard]] std::optional<ShortcutInfo> readShortcutInfo(QByteArrayView content);

// The file name of the launcher: the shortcut's name with every '/' made '-' (so nothing lands
// outside the desktop folder) and ".desktop" appended.
[[nodiscard]] QString launcherFileName(QStringView name);

// An argument of Exec= quoted for a desktop entry: in double quotes with '"', '`', '$' and '\'
// escaped by a backslash, then every backslash doubled again (string value escaping), and '%'
// written as "%%" so it is not taken for a field code.
[[nodiscard]] QString execArgument(QStringView argument);

// The freedesktop launcher for program, started in folder; icon is left out when empty.
// Lines end in LF; the caller writes the text as UTF-8.
[[nodiscard]] QString launcherText(QStringView name, QStringView program, QStringView folder,
                                   QStringView icon);

} // namespace shellrules
