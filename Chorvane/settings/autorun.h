#pragma once
// Starting with the desktop session: the XDG autostart entry "Tapewell.desktop",
// whose Exec is the executable's full path and nothing else.

#include <QString>

namespace autorun {

// $XDG_CONFIG_HOME/autostart, or $HOME/.config/autostart when it is unset or relative.
[[nodiscard]] QString AutostartFolder();
// The desktop entry for the executable; the path is quoted by the desktop-entry rules
// when it holds a character that needs it.
[[nodiscard]] QString DesktopEntryFor(const QString& executablePath);
// on: writes `folder`/Tapewell.desktop; off: removes it. A folder that cannot be
// written is skipped without a word, as the design asks.
void SetAutoRun(bool on, const QString& executablePath, const QString& folder);

}  // namespace autorun
