#include "platform/paths.h"

#include "platform/wholeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string_view>
#include <vector>

namespace platform {

const char kPathSeparator = '/';

std::optional<std::string> executableFolder() {
    // /proc/self/exe names the executable itself, wherever it was started from.
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(length));
            const auto slash = path.rfind('/');
            if (slash == std::string::npos) {
                return std::nullopt;
            }
            return slash == 0 ? std::string("/") : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        return user->pw_dir;
    }
    return "/";
}

std::string withoutTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// An XDG base folder ($XDG_CONFIG_HOME, $XDG_DATA_HOME): the variable's value when
// it is an absolute path (a relative one is ignored), else `fallback` in the home folder.
std::string xdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value == '/') {
        return withoutTrailingSlashes(value);
    }
    return withoutTrailingSlashes(homeFolder()) + "/" + fallback;
}

bool isInside(std::string_view folder, std::string_view top) {
    return folder.starts_with(top) && (folder.size() == top.size() || folder[top.size()] == '/');
}

// Where programs are installed: the system's folders, and ~/.local (~/.local/bin
// for one user). A program there is installed whoever runs it: root may write
// to /usr/bin, and the user to ~/.local/bin, but the program's files do not belong there.
bool isInstalledProgramFolder(std::string_view folder) {
    for (const std::string_view top :
         {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32", "/opt", "/snap"}) {
        if (isInside(folder, top)) {
            return true;
        }
    }
    const std::string home = withoutTrailingSlashes(homeFolder());
    return !home.empty() && isInside(folder, home + "/.local");
}

// Whether this process may make files in `folder`: the effective ids decide,
// as for the files made afterwards, and a read-only mount answers EROFS.
bool canMakeFilesIn(const std::string& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Creates `folder` and whatever is missing above it, private to the user
// (0700), as desktops expect of these folders. A folder that cannot be made shows later, when
// a file in it cannot be written.
void makeFolders(const std::string& folder) {
    for (auto slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        ::mkdir(folder.substr(0, slash).c_str(), 0700); // an existing one answers EEXIST
        if (slash == std::string::npos) {
            return;
        }
    }
}

// A Settings.ini beside the executable, prepared by whoever put the program
// there, starts the user's own settings file while the user has none; from
// then on the user's file alone counts, and the prepared one is left alone.
void seedSettings(const std::string& prepared, const std::string& own) {
    struct stat info {};
    if (::lstat(own.c_str(), &info) == 0 || errno != ENOENT) {
        return;
    }
    const auto seed = readWholeFile(prepared);
    if (seed.status == WholeFile::Status::Read) {
        replaceWholeFile(own, seed.bytes);
    }
}

// The download folder as the desktop's user-dirs.dirs names it (a line
// XDG_DOWNLOAD_DIR="$HOME/Downloads"), else ~/Downloads.
std::string downloadFolder() {
    const std::string home = homeFolder();
    std::ifstream dirs(xdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
    std::string line;
    constexpr std::string_view key = "XDG_DOWNLOAD_DIR=";
    while (std::getline(dirs, line)) {
        if (!line.starts_with(key)) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.starts_with("$HOME")) {
            value = home + value.substr(5);
        }
        if (!value.empty() && value.front() == '/') {
            return value;
        }
    }
    return (home == "/" ? std::string() : home) + "/Downloads";
}

} // namespace

ProgramFolders programFoldersFor(const std::string& executableFolder) {
    if (!isInstalledProgramFolder(executableFolder) && canMakeFilesIn(executableFolder)) {
        return {executableFolder, executableFolder};
    }
    ProgramFolders folders{xdgFolder("XDG_DATA_HOME", ".local/share") + "/sentrel",
                           xdgFolder("XDG_CONFIG_HOME", ".config") + "/sentrel"};
    makeFolders(folders.data);
    makeFolders(folders.settings);
    seedSettings(withoutTrailingSlashes(executableFolder) + "/Settings.ini", folders.settings + "/Settings.ini");
    return folders;
}

std::optional<ProgramFolders> programFolders() {
    const auto folder = executableFolder();
    if (!folder) {
        return std::nullopt;
    }
    return programFoldersFor(*folder);
}

std::string defaultWatchedPath() {
    return downloadFolder() + "/CURRENT DOWNLOAD/current.csv";
}

} // namespace platform
