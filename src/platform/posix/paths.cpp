#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
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

// The download folder as the desktop's user-dirs.dirs names it (a line
// XDG_DOWNLOAD_DIR="$HOME/Downloads"), else ~/Downloads.
std::string downloadFolder() {
    const std::string home = homeFolder();
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string config =
        configHome != nullptr && *configHome == '/' ? std::string(configHome) : home + "/.config";
    std::ifstream dirs(config + "/user-dirs.dirs");
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

std::string defaultWatchedPath() {
    return downloadFolder() + "/CURRENT DOWNLOAD/current.csv";
}

} // namespace platform
