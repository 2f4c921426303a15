#pragma once
// One look at the watched file, as the watch tick takes it, and whether what
// it saw differs from the newest recorded change.

#include "common/clock.h"
#include "watch/changeRecord.h"
#include "watch/modSentrel.h"

#include <string>
#include <string_view>

namespace watch {

// "Free", "Open", "Error" or "No File".
std::string_view stateText(modSentrel::FileState state);

struct Observation {
    modSentrel::FileState state = modSentrel::fsError;
    ChangeRecord record;
};

// The file's state; unless it is "No File" (then the three other fields are
// "Unknown") its length in bytes, the size text and the date modified in the
// clock's general date format. A field that cannot be read stays empty. The
// file's contents are never read.
Observation observeFile(const std::string& path, const Clock& clock);

// A change is a difference in state, size in bytes or date modified, compared
// as exact texts; the size text is not compared.
bool differs(const ChangeRecord& observed, const ChangeRecord& previous);

// The four CR LF-separated lines of the balloon shown for a change of `fileName`.
std::string balloonMessage(std::string_view fileName, const ChangeRecord& record);

} // namespace watch
