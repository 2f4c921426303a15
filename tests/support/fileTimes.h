#pragma once
// Setting a file's date modified to the full resolution of the platform
// (std::filesystem on mingw-w64 keeps only whole seconds).

#include <chrono>
#include <string>

namespace testsupport {

// `path` (UTF-8) gets the date modified `since` after the Unix epoch; false when that failed.
bool setModified(const std::string& path, std::chrono::nanoseconds since);

// The current time as the same count, rounded down to a whole second.
std::chrono::nanoseconds wholeSecondNow();

} // namespace testsupport
