#pragma once
// Finding the programs the POSIX backend starts.

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The full path of an executable `name` in PATH (or in the usual folders when
// PATH is unset); looked up before fork so that the child only needs exec.
std::optional<std::string> findProgram(std::string_view name);

} // namespace platform::posix
