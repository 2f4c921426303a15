#include "copies/unfinishedCopies.h"
#include "platform/trail.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

namespace copies {

namespace {

constexpr std::size_t kTagDigits = 16;

std::uint64_t mixed(std::uint64_t value) noexcept {
    // splitmix64: neighbouring inputs give unrelated outputs.
    value += 0x9e3779b97f4a7c15U;
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9U;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebU;
    return value ^ (value >> 31);
}

std::uint64_t processSeed() noexcept {
    std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        seed ^= (static_cast<std::uint64_t>(device()) << 32) | device();
    } catch (...) {
        platform::trailCurrentException();
        // No entropy source: the clock alone, and the exclusive create, do.
    }
    return seed;
}

} // namespace

std::string unfinishedCopyName(std::uint64_t tag) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name(kUnfinishedCopyPrefix);
    for (std::size_t digit = kTagDigits; digit-- > 0;) {
        name += kDigits[(tag >> (digit * 4)) & 0xf];
    }
    return name;
}

std::uint64_t newUnfinishedCopyTag() noexcept {
    static const std::uint64_t seed = processSeed();
    static std::atomic<std::uint64_t> counter{0};
    return mixed(seed + counter.fetch_add(1, std::memory_order_relaxed));
}

bool isUnfinishedCopyName(std::string_view name) noexcept {
    if (name.size() != kUnfinishedCopyPrefix.size() + kTagDigits || !name.starts_with(kUnfinishedCopyPrefix)) {
        return false;
    }
    for (const char c : name.substr(kUnfinishedCopyPrefix.size())) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

void removeUnfinishedCopies(const std::string& folder) noexcept {
    try {
        const std::filesystem::path root(std::u8string(folder.begin(), folder.end()));
        std::error_code error;
        std::filesystem::directory_iterator entries(root, error);
        for (const std::filesystem::directory_iterator end; !error && entries != end; entries.increment(error)) {
            const auto& entry = *entries;
            const auto name = entry.path().filename().u8string();
            if (!isUnfinishedCopyName(std::string(name.begin(), name.end()))) {
                continue;
            }
            // Not through a link: only the file this folder itself holds.
            std::error_code statusError;
            if (!std::filesystem::is_regular_file(entry.symlink_status(statusError)) || statusError) {
                continue;
            }
            std::error_code removeError;
            std::filesystem::remove(entry.path(), removeError);
        }
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory: what is left stays until the next start.
    }
}

} // namespace copies
