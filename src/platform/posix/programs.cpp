#include "platform/posix/programs.h"

#include <cstdlib>
#include <unistd.h>

namespace platform::posix {

std::optional<std::string> findProgram(std::string_view name) {
    const char* pathVariable = std::getenv("PATH");
    const std::string_view searchPath =
        pathVariable != nullptr && *pathVariable != '\0' ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        auto end = searchPath.find(':', start);
        if (end == std::string_view::npos) {
            end = searchPath.size();
        }
        if (end > start) {
            std::string candidate(searchPath.substr(start, end - start));
            candidate += '/';
            candidate += name;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace platform::posix
