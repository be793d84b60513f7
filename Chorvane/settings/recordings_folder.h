#pragma once
// Where recordings go when the settings name no output folder.

#include <QString>

namespace recordings_folder {

// A portable folder (a file named "portable" in `executableFolder`) keeps
// `programFolder` + "my_songs"; otherwise the user's Music folder (XDG_MUSIC_DIR of
// user-dirs.dirs, else $HOME/Music) + "/Chorvane". Not created here.
[[nodiscard]] QString DefaultFolder(const QString& programFolder, const QString& executableFolder);

// DefaultFolder for the running executable.
[[nodiscard]] QString DefaultFolderOfProgram(const QString& programFolder);

}  // namespace recordings_folder
