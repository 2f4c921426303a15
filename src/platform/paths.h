#pragma once
// The native path separator and the executable's location.

#include <optional>
#include <string>

namespace platform {

// The one character that separates folders in a native path.
extern const char kPathSeparator;

// The folder holding the running executable, as the operating system reports
// it (without a trailing separator except at a root); nullopt when it cannot.
std::optional<std::string> executableFolder();

// The file watched until the user chooses another: "current.csv" in a folder
// "CURRENT DOWNLOAD" of the user's download folder.
std::string defaultWatchedPath();

} // namespace platform
