#pragma once
// Where the program keeps its files. The base names the executable's own
// folder for all of them; a front end or a test derives from it and names
// others.

#include <optional>
#include <string>

class AppFolders {
public:
    virtual ~AppFolders() = default;
    // The folder of Log.csv, LogTemp.csv and Copies, ending in the separator;
    // the executable's own unless replaced.
    virtual std::optional<std::string> appFolder() noexcept;
    // The folder of Settings.ini, ending in the separator; appFolder() unless replaced.
    virtual std::optional<std::string> settingsFolder() noexcept { return appFolder(); }
};

// The executable's folder for all of the program's files.
AppFolders& executableFolders() noexcept;
