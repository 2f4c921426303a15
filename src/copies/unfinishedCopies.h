#pragma once
// Copies still being written. A copy is written under a name of its own in
// the destination's folder and takes its final name only once it is whole
// and on the disk; a run that is killed meanwhile leaves that file behind.
// The name can never be one the copy naming produces: copy names always
// hold " - " and " (NNNN)", these hold neither.

#include <cstdint>
#include <string>
#include <string_view>

namespace copies {

// ".sentrel-partial-" followed by exactly 16 lowercase hex digits.
inline constexpr std::string_view kUnfinishedCopyPrefix = ".sentrel-partial-";

// The name of an unfinished copy with this tag.
std::string unfinishedCopyName(std::uint64_t tag);

// A tag that no other copy of this or another process is likely to be using
// at the same time; creating the file exclusively settles the rest.
std::uint64_t newUnfinishedCopyTag() noexcept;

// True for names of exactly the unfinished-copy form.
bool isUnfinishedCopyName(std::string_view name) noexcept;

// Deletes the unfinished copies a killed run left in `folder` (a path in the
// platform's form, with or without the separator at its end): regular files
// with names of exactly that form, nothing else. Never throws; a file that
// cannot be deleted stays.
void removeUnfinishedCopies(const std::string& folder) noexcept;

} // namespace copies
