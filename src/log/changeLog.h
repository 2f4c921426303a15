#pragma once
// The change log Log.csv: the line recorded for each change, and the routine
// that appends it.

#include "watch/changeRecord.h"

#include <cstddef>
#include <string>
#include <string_view>

// The five fields joined by "," with nothing quoted: time, state, size in
// bytes, size text, date modified. The two sizes come in the opposite order
// to the list view's columns.
std::string buildLogLine(const ChangeRecord& record, std::string_view time);

namespace modKorvel {

// Appends sLine and CR LF to the file sPath (created when missing, never
// truncated), in the platform's text encoding, and closes it again. A failure
// is shown to the user as "Error saving to log: <number> - <description>";
// the line is then kept in memory, in order, and written in front of the
// next line once appending works again (see changeLog::kMaxUnwrittenLines).
void AppendLogLine(const std::string& sLine, const std::string& sPath);

} // namespace modKorvel

namespace changeLog {

// The most lines kept while the log cannot be written (about 6 MB): hours of
// changes at a busy file. Beyond it the earliest lines are kept and later
// ones are counted as lost, and said so on standard error.
inline constexpr std::size_t kMaxUnwrittenLines = 100000;

// Lines kept in memory because appending failed.
std::size_t unwrittenLines();

// At the program's end: one more try to write the kept lines. When that
// fails too, standard error gets the reason and every line that was not
// written, so that they are not lost with the process. False then.
bool writeUnwrittenLines();

} // namespace changeLog
