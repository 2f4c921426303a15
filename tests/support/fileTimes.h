#pragma once
// Setting a file's date modified to the full resolution of the platform
// (std::filesystem on mingw-w64 keeps only whole seconds).

#include "platform/files.h"
#include "support/waitFor.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace testsupport {

// `path` (UTF-8) gets the date modified `since` after the Unix epoch; false when that failed.
bool setModified(const std::string& path, std::chrono::nanoseconds since);

// The current time as the same count, rounded down to a whole second.
std::chrono::nanoseconds wholeSecondNow();

// Repeats `step` until the status-change time of the file at `path` differs
// from `other`: file systems take that time from a clock that moves in steps
// of milliseconds, so two files changed one right after the other may share
// it. False when `step` fails or 5 s are not enough.
template <typename Step>
bool untilChangeTimeDiffers(const std::string& path, std::optional<std::int64_t> other, Step step) {
    return waitFor(
        [&] {
            const auto status = step() ? platform::fileStatus(path) : std::nullopt;
            return status && status->changeTicks != other;
        },
        std::chrono::seconds(5));
}

} // namespace testsupport
