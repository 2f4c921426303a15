#pragma once
// Names of the timestamped copies in the Copies folder:
//   <app folder>Copies<sep><base> - yyyy-mm-dd hh-mm-ss ampm[ - Manual] (0001).<extension>

#include "common/clock.h"
#include "platform/paths.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace copies {

// "yyyy-mm-dd hh-mm-ss ampm": the hour on the 12-hour clock (00:xx and 12:xx
// both show as 12), then the locale's designator; an empty designator leaves
// the trailing blank. Characters of the designator that a file name cannot
// hold on Windows (separators, ":*?\"<>|", control characters) become "_".
std::string copyTimestamp(const platform::LocalDateTime& time, const platform::DayHalfDesignators& designators);

// What a copy's name is made of, apart from the time and the counter.
struct CopyNameParts {
    std::string folder;                   // the Copies folder, ending in the separator
    std::string baseName;                 // the watched file's name without its extension
    std::optional<std::string> extension; // none: the name ends after the counter, with no "."
    bool manual = false;
    // The longest file name the Copies folder's file system takes, in bytes
    // of UTF-8 (which is never fewer than the UTF-16 units Windows counts).
    std::size_t maxNameBytes = 255;
};

// The parts for a watched path. A file name without "." keeps the whole name
// as its base and gets no extension, rather than a name with a second folder
// part in it.
CopyNameParts copyNamePartsFor(std::string_view appFolder, std::string_view watchedPath, bool bManual,
                               char separator = platform::kPathSeparator);

// One candidate: counter 1 gives " (0001)"; from 10000 on the counter has five
// or more digits. A name longer than the file system takes loses the end of
// its base name (never half a character); the stamp, the manual marker, the
// counter and the extension are always kept.
std::string copyCandidate(const CopyNameParts& parts, std::string_view timestamp, std::int64_t counter);

// The first candidate that does not exist yet. The clock is read again for
// every candidate, so a later one can carry a later second; the counter goes
// on regardless.
std::string chooseCopyName(const CopyNameParts& parts, const Clock& clock,
                           const std::function<bool(const std::string&)>& exists);

} // namespace copies
