#pragma once
// The update utility's rules: the program name from the command line, the pause before the copy,
// and the replacement of NAME.EXE by NAME.NEW in one folder.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace ostrel {

inline constexpr int DefaultWaitMilliseconds = 2000;
inline constexpr char WindowTitle[] = "Ostrel Program Update Utility";
inline constexpr char ProgramTitle[] = "Ostrel";

// The program name: every argument after the utility's own name, joined by one blank, trimmed
// of blanks and upper-cased. Empty means there is nothing to do.
[[nodiscard]] QString programName(const QStringList& arguments);

// The caption shown while the update runs; no blank after the '>'.
[[nodiscard]] QString updatingCaption(QStringView name);

// What one run works on: the folder (no trailing separator) and the upper-case program name.
// The name is never taken apart: ".NEW" and ".EXE" are appended to the whole of it, folder part
// and extension included.
struct UpdateJob
{
    QString folder;
    QString name;

    [[nodiscard]] QString sourcePath() const; // folder/NAME.NEW
    [[nodiscard]] QString targetPath() const; // folder/NAME.EXE
};

// The files one run works on, as they are named in the folder. File names are matched without
// regard to case, as the folders the names come from do: a delivered vornik.new is NAME.NEW. An
// exact match wins over one in another case.
struct UpdateFiles
{
    QString source; // NAME.NEW as found; empty when the folder has none
    QString target; // NAME.EXE as found; else the program file NAME itself; else NAME.EXE, created
    bool targetIsProgram = false; // the target is the program file NAME itself
    QString old;                  // NAME.OLD as found; else NAME.OLD beside the target
};
[[nodiscard]] UpdateFiles findFiles(const UpdateJob& job);

// Copies the source over the target (both as findFiles() finds them) through a temporary file in
// the target's folder that is then renamed over it, so the target is either the old file or the
// whole new one. A missing target is created. NAME.EXE takes the source's permissions (so an
// executable stays executable); the program NAME keeps its own, and one that lost its execute
// bits gets them back wherever it may be read. An empty source (a download cut to nothing) is
// refused. The target being replaced is first kept as NAME.OLD, written the same way (one
// generation; an earlier NAME.OLD is replaced), so a bad update can be undone by hand; the update
// is refused when it cannot be kept. The source is left where it is. Returns nothing on success,
// otherwise a message naming the file that could not be read, kept or replaced.
[[nodiscard]] std::optional<QString> replaceExecutable(const UpdateJob& job);

// Blocks the calling thread for at least the given time, measured on a monotonic clock, so a
// change of the time of day (midnight, a clock adjustment) neither shortens nor stretches it.
// Nothing is processed meanwhile.
void pauseMilliseconds(int milliseconds);

// The pause before the copy, from a test build's setting: a whole number of milliseconds, 0 or
// more; anything else gives DefaultWaitMilliseconds. The delivered program always waits that long.
[[nodiscard]] int waitMilliseconds(const QString& setting);

} // namespace ostrel
