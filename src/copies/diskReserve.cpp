#include "copies/diskReserve.h"

#include "platform/files.h"

#include <algorithm>
#include <atomic>

namespace copies {

namespace {

constexpr std::int64_t kLeastReserve = std::int64_t{1} << 30;
constexpr std::int64_t kNoReserveSet = -1;

std::atomic<std::int64_t> g_reserveForTests{kNoReserveSet};

} // namespace

std::int64_t reserveOf(std::int64_t volumeBytes) {
    const std::int64_t set = g_reserveForTests.load(std::memory_order_relaxed);
    return set != kNoReserveSet ? set : std::max(kLeastReserve, volumeBytes / 50);
}

void setReserveForTests(std::optional<std::int64_t> bytes) {
    g_reserveForTests.store(bytes.value_or(kNoReserveSet), std::memory_order_relaxed);
}

std::optional<RtError> reserveCrossedBy(const std::string& folder, std::int64_t stillToWrite) {
    const auto space = platform::diskSpaceOf(folder.empty() ? std::string(".") : folder);
    if (!space) {
        return std::nullopt;
    }
    const std::int64_t reserve = reserveOf(space->total);
    if (space->available - stillToWrite >= reserve) {
        return std::nullopt;
    }
    return RtError{rterr::DiskFull, "not enough free space: " + spaceText(space->available) + " free, " +
                                        spaceText(reserve) + " kept free"};
}

std::string spaceText(std::int64_t bytes) {
    static constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};
    bytes = std::max<std::int64_t>(bytes, 0);
    std::size_t unit = 0;
    std::int64_t size = 1;
    while (unit + 1 < std::size(kUnits) && bytes / size >= 1024) {
        size *= 1024;
        ++unit;
    }
    const std::int64_t whole = bytes / size;
    // One decimal, rounded down, below ten of a unit: "1.5 GB" says more than "1 GB".
    const std::int64_t tenths = (bytes % size) / (size / 10 == 0 ? 1 : size / 10);
    // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) about "." + a
    // temporary string, wrongly.
    std::string text = std::to_string(whole);
    if (unit > 0 && whole < 10 && tenths > 0) {
        text += '.';
        text += std::to_string(std::min<std::int64_t>(tenths, 9));
    }
    text += ' ';
    text += kUnits[unit];
    return text;
}

} // namespace copies
