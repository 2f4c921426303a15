#pragma once
// The file probe: does the watched path name a file, does another process
// hold it open right now, and how a byte count is shown to a person. None of
// these routines fails or keeps state.

#include <cstdint>
#include <string>
#include <string_view>

namespace modSentrel {

// The probe's answer; its display text (watch::stateText) is what the list,
// the log and the comparison between ticks use.
enum FileState : std::int32_t {
    fsFree = 0,
    fsOpen = 1,
    fsError = 2,
    fsNoFile = 3,
};

// True only when the file exists and another process has it open.
bool IsFileLocked(const std::string& sPath);

// No File when FileExists says no; Open when another process holds the file;
// Free otherwise.
FileState GetFileState(const std::string& sPath);

// A byte count (as text) shown in " gb", " mb" or " kb" rounded to two places,
// or as the text itself followed by " bytes". Text that is no number comes
// back unchanged.
std::string FormatFileSize(std::string_view sSize, std::string_view decimalSeparator);
// The same with the user's decimal separator.
std::string FormatFileSize(std::string_view sSize);

} // namespace modSentrel
