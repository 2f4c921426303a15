#pragma once
// The free space copies never eat. A growing file copied at every change
// could otherwise fill the disk, and then the program writing that file fails
// too: the user would lose the very data the copies were meant to keep.

#include "platform/rtError.h"

#include <cstdint>
#include <optional>
#include <string>

namespace copies {

// What a volume of `volumeBytes` keeps free: the larger of 1 GiB and 2 % of it.
std::int64_t reserveOf(std::int64_t volumeBytes);

// Replaces the reserve of every volume with `bytes` until given nullopt, for
// tests that need a disk short of space without filling one. Any thread may
// call it, also while a copy runs.
void setReserveForTests(std::optional<std::int64_t> bytes);

// Whether `stillToWrite` more bytes in `folder` would leave less free than the
// reserve: the error to give the user then, nullopt while there is room (or
// the folder's file system does not say how much there is).
std::optional<RtError> reserveCrossedBy(const std::string& folder, std::int64_t stillToWrite);

// A byte count as the error shows it: "812 MB", "1 GB", "1.5 GB".
std::string spaceText(std::int64_t bytes);

} // namespace copies
