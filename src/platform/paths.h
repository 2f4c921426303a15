#pragma once
// The native path separator, the executable's location and where the
// program keeps its files.

#include <optional>
#include <string>

namespace platform {

// The one character that separates folders in a native path.
extern const char kPathSeparator;

// The folder holding the running executable, as the operating system reports
// it (without a trailing separator except at a root); nullopt when it cannot.
std::optional<std::string> executableFolder();

// Where the program keeps its files, each folder as the operating system
// names it (without a trailing separator except at a root).
struct ProgramFolders {
    std::string data;     // Log.csv, LogTemp.csv and Copies
    std::string settings; // Settings.ini
};

// The folders for an executable lying in `executableFolder`. A copy the user
// can write beside keeps everything there (the portable way). On Linux, a
// copy the user cannot write beside, or one in the folders programs are
// installed in (/usr, /opt, ~/.local, ...), uses the user's folders instead:
// $XDG_DATA_HOME/sentrel (~/.local/share/sentrel) for the data and
// $XDG_CONFIG_HOME/sentrel (~/.config/sentrel) for the settings, created as
// needed; a Settings.ini beside the executable then becomes the user's own
// settings file while the user has none (it only starts them: the user's own
// file wins from then on). On Windows the executable's folder holds everything.
ProgramFolders programFoldersFor(const std::string& executableFolder);
// The same for the running executable; nullopt when its folder is unknown.
std::optional<ProgramFolders> programFolders();

// The file watched until the user chooses another: "current.csv" in a folder
// "CURRENT DOWNLOAD" of the user's download folder.
std::string defaultWatchedPath();

} // namespace platform
