#pragma once
// Files too large to hold in memory, for copies that must be long enough to
// change their source in the middle: written and compared a block at a time.

#include <cstdint>
#include <string>

namespace testsupport {

// The byte at `offset` of the file made from `seed`; neighbouring blocks and
// seeds differ, so a misplaced or mixed block shows.
char patternByte(std::int64_t offset, unsigned seed);

// Creates (or replaces) `path` with `size` pattern bytes; false when it could not.
bool writePatternFile(const std::string& path, std::int64_t size, unsigned seed);

// True when `path` holds exactly the `size` pattern bytes of `seed`.
bool holdsPattern(const std::string& path, std::int64_t size, unsigned seed);

} // namespace testsupport
