#pragma once
// What a struct stat tells, in the platform's own terms: shared by the
// probe's status and the copier's File, so that both name a file alike.

#include "platform/fileio.h"

#include <sys/stat.h>

#include <cstdint>
#include <ctime>

namespace platform::posix {

inline FileIdentity identityFrom(const struct stat& info) {
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// A file time at the file system's full resolution, as nanoseconds since the epoch.
inline std::int64_t nanosecondsOf(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace platform::posix
