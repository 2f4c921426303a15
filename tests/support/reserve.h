#pragma once
// Sets the free space copies keep for as long as it lives, so a test can make
// a disk short of space without filling one.

#include "copies/diskReserve.h"
#include "platform/files.h"

#include <cstdint>
#include <string>

namespace testsupport {

class Reserve {
public:
    Reserve() = default; // the program's own until set
    explicit Reserve(std::int64_t bytes) { set(bytes); }
    ~Reserve() { copies::setReserveForTests(std::nullopt); }
    Reserve(const Reserve&) = delete;
    Reserve& operator=(const Reserve&) = delete;

    static void set(std::int64_t bytes) { copies::setReserveForTests(bytes); }
    // More than `folder`'s volume will have free during the test, however
    // much other programs write or delete meanwhile.
    static std::int64_t beyondFreeSpaceOf(const std::string& folder) {
        const auto space = platform::diskSpaceOf(folder);
        return (space ? space->available : 0) + (std::int64_t{1} << 30);
    }
};

} // namespace testsupport
