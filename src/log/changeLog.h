#pragma once
// The change log Log.csv: the line recorded for each change, and the routine
// that appends it.

#include "watch/changeRecord.h"

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
// the line is then lost and nothing else happens.
void AppendLogLine(const std::string& sLine, const std::string& sPath);

} // namespace modKorvel
