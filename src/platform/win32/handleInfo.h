#pragma once
// What a handle tells of its file without reading it: shared by the copier's
// File and the probe, so that both name a file alike.

#include "platform/fileio.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace platform::win32 {

// Empty unless the handle is on a regular file on disk.
std::optional<FileIdentity> identityOfHandle(HANDLE handle);

// The file's ChangeTime in 100-nanosecond intervals; empty where the file
// system gives none (a zero time says the same).
std::optional<std::int64_t> changeTicksOfHandle(HANDLE handle);

// The identity and the ChangeTime of the file at `path`, through one handle
// that asks for the attributes alone: such a handle takes part in no sharing
// check, so it neither stops another program's open nor shows in the probe's
// exclusive test open, and it changes nothing.
struct FileNaming {
    std::optional<FileIdentity> identity;
    std::optional<std::int64_t> changeTicks;
};
FileNaming namingOf(const std::string& path);

} // namespace platform::win32
