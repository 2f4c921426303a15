#pragma once
// File queries behind the file probe and the watch cycle. None of them throws
// or changes the file.

#include "platform/clock.h"
#include "platform/fileio.h"

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// True only for an existing plain file that a normal directory search lists:
// symbolic links are followed; folders, devices, missing or empty paths,
// hidden or system files (on platforms that have those attributes) and paths
// that cannot be queried give false.
bool isListedPlainFile(const std::string& path);

// True exactly when some other process has the file open at this instant.
// Handles of this process do not count where the platform can tell them
// apart; callers must not hold the watched file open while the probe may run.
// Any failure gives false.
bool isHeldOpenByOtherProcess(const std::string& path);

// The file's length in bytes (64-bit), following symbolic links.
std::optional<std::int64_t> fileLength(const std::string& path);

// The file's date modified in local time, to the second, following symbolic links.
std::optional<LocalDateTime> fileModifiedLocal(const std::string& path);

// What one look at a file tells, following symbolic links.
struct FileStatus {
    std::int64_t length = 0;
    LocalDateTime modified; // local time, to the second
    // The date modified at the file system's full resolution, as a count that
    // only compares with other counts of this kind (nanoseconds on POSIX,
    // 100-nanosecond intervals on Windows).
    std::int64_t modifiedTicks = 0;
    std::optional<FileIdentity> identity;
    // The status-change time in the same ticks (st_ctim on POSIX, ChangeTime
    // on Windows): a rename over the name, a write and a change of
    // permissions or links set it. Empty where the file system gives none.
    std::optional<std::int64_t> changeTicks;
};

// The status of the file at `path`; nullopt for a folder, a missing path or
// one that cannot be queried.
std::optional<FileStatus> fileStatus(const std::string& path);

// The watch tick's three questions in one pass, with as few calls on the
// file system as the platform allows: isListedPlainFile, then (only for a
// listed file) isHeldOpenByOtherProcess and fileStatus, answered as those
// would answer them one after another.
struct FileLook {
    bool listed = false;
    bool heldByOtherProcess = false;
    std::optional<FileStatus> status;
};
FileLook lookAtFile(const std::string& path);

// The volume that holds a folder: the bytes this user may still write to it
// (what quotas and the blocks kept for the administrator leave), and its size.
struct DiskSpace {
    std::int64_t available = 0;
    std::int64_t total = 0;
};

// nullopt when the folder's file system does not say.
std::optional<DiskSpace> diskSpaceOf(const std::string& folder);

} // namespace platform
