#pragma once
// One look at the watched file, as the watch tick takes it, and whether what
// it saw differs from the newest recorded change. The look itself touches only
// the file system, so it can run on a thread of its own; turning it into the
// texts of a change record happens where the clock and the locale are read.

#include "common/clock.h"
#include "platform/clock.h"
#include "platform/fileio.h"
#include "watch/changeRecord.h"
#include "watch/modSentrel.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace watch {

// "Free", "Open", "Error" or "No File".
std::string_view stateText(modSentrel::FileState state);

// Which version of a file was seen, beyond the record's texts: the file
// itself with its status-change time (a new file renamed over the old one is
// another file) and its date modified at full resolution (two saves within
// one second differ).
struct FileStamp {
    std::optional<platform::FileIdentity> identity;
    std::optional<std::int64_t> modifiedTicks;
    std::optional<std::int64_t> changeTicks;
    bool operator==(const FileStamp&) const = default;
};

// What the file system said, before any of it became text.
struct FileProbe {
    modSentrel::FileState state = modSentrel::fsError;
    std::optional<std::int64_t> length;
    std::optional<platform::LocalDateTime> modified;
    FileStamp stamp;
    bool operator==(const FileProbe&) const = default;
};

// The file's state and, unless it is "No File", its length, date modified and
// stamp. A value that cannot be read stays empty. The contents are never read.
// Touches nothing but the file system: safe on any thread.
FileProbe probeFile(const std::string& path);

struct Observation {
    modSentrel::FileState state = modSentrel::fsError;
    ChangeRecord record;
    std::optional<FileStamp> stamp; // none for "No File"
    // What the record's texts were made from, for the row that records it.
    FileValues values;
    std::shared_ptr<const TextFormats> formats;
};

// The probe as the record's texts: for "No File" the three other fields are
// "Unknown"; otherwise the length in bytes, the size text and the date
// modified in the clock's formats (a value that could not be read gives an
// empty text).
Observation describe(const FileProbe& probe, const Clock& clock);

// A change is a difference in state, size in bytes or date modified, compared
// as exact texts (the size text is not compared), or, where both sides have
// one, in the stamp: another date modified within the same second, or another
// file (platform::anotherFile: a new identity alone is a file system
// renumbering its files, and a new status-change time alone is a change of
// permissions or links, neither of which the user sees).
bool differs(const Observation& observed, const ChangeRecord& previous, const std::optional<FileStamp>& previousStamp);

// The four CR LF-separated lines of the balloon shown for a change of `fileName`.
std::string balloonMessage(std::string_view fileName, const ChangeRecord& record);

} // namespace watch
