#include "platform/paths.h"

#include <climits>
#include <unistd.h>

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

} // namespace platform
