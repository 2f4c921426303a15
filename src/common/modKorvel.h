#pragma once
// Small path, application-folder, version and shell helpers used across the
// program. Paths are UTF-8 text in the platform's own form: one separator
// character (the backslash on Windows, the slash elsewhere) and "." before
// the extension. The separator is a parameter so that both forms can be
// exercised on either platform; it defaults to the native one.

#include "platform/paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace modKorvel {

// True only for an existing plain file that the platform's normal directory
// search sees: false for folders, missing or empty paths, hidden or system
// files (where the platform has them) and anything that cannot be queried.
bool FileExists(const std::string& sPath);

// The text after the last separator (the whole path when there is none). With
// bNoExtension the text of that name before its last "."; a name without "."
// or whose only "." is its first character gives "".
std::string GetFileName(std::string_view sPath, bool bNoExtension, char separator = platform::kPathSeparator);

// The text after the last "." anywhere in the path; the whole path when it holds no ".".
std::string GetExtension(std::string_view sPath);

// The path up to and including its last separator; "" when it has none.
std::string GetFolder(std::string_view sPath, char separator = platform::kPathSeparator);

// The path with exactly one separator at its end. An empty path is not a
// folder: the result is empty (the caller's step fails) rather than a lone separator.
std::optional<std::string> AddBackslash(std::string_view sPath, char separator = platform::kPathSeparator);

// The running executable's own folder, always ending in exactly one separator.
// Empty when the platform cannot say where the executable lies.
std::optional<std::string> AppFolder();

// Major "." minor, then the revision directly behind the minor number: 1, 2, 7 give "1.27".
std::string VersionText(std::uint16_t major, std::uint16_t minor, std::uint16_t revision);
// The same for this build's own version.
std::string VersionText();

// Asks the desktop to open sFile with its default program, with sFolder as the
// working folder, and returns at once. Whether the document could be opened is
// not examined; only when the request itself cannot be made is an error
// message shown ("An error occurred opening '<file>': <number> - <description>").
void ShellOpen(const std::string& sFile, const std::string& sFolder, const std::optional<std::string>& sParameters);

} // namespace modKorvel

// The trailing-separator rule of AppFolder applied to a folder as the platform reports it.
std::string appFolderFrom(std::string_view sFolder, char separator = platform::kPathSeparator);
