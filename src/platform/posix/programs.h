#pragma once
// Finding the programs the POSIX backend starts.

#include "platform/rtError.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The full path of an executable `name` in PATH (or in the usual folders when
// PATH is unset); looked up before fork so that the child only needs exec.
std::optional<std::string> findProgram(std::string_view name);

// Starts `opener` (a full path; none when the desktop has no opener) with
// `file` as its one argument in `folder`, without a shell and without waiting
// for it. An error only when the program could not be started at all.
std::optional<RtError> openDocumentWith(const std::optional<std::string>& opener, const std::string& file,
                                        const std::string& folder);

} // namespace platform::posix
