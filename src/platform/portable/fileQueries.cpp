// The single questions about a file, answered from the one look at it that
// the watch cycle takes, so that they never disagree with it.

#include "platform/files.h"

namespace platform {

std::optional<std::int64_t> fileLength(const std::string& path) {
    const auto status = fileStatus(path);
    return status ? std::optional(status->length) : std::nullopt;
}

std::optional<LocalDateTime> fileModifiedLocal(const std::string& path) {
    const auto status = fileStatus(path);
    return status ? std::optional(status->modified) : std::nullopt;
}

} // namespace platform
