#pragma once
// The first-run desktop launcher, described by shortcut.inf in the program folder.

#include <QString>

namespace launcher {

// Writes the launcher into desktopFolder (empty: the user's desktop). folder: the program folder,
// ending in the separator. Every failure ends this silently, leaving done what was done.
void CreateDesktopShortcut(const QString& folder, const QString& desktopFolder);

} // namespace launcher
