#pragma once
// Handing a document to the desktop's default program.

#include "platform/rtError.h"

#include <optional>
#include <string>

namespace platform {

// Asks the desktop to open `file` with its default program, `folder` as the
// working folder, and does not wait for that program. The outcome of the open
// itself is not examined; an error is returned only when the request could
// not be made at all.
std::optional<RtError> shellOpenDocument(const std::string& file, const std::string& folder,
                                         const std::optional<std::string>& parameters);

} // namespace platform
