#pragma once
// Initialization files read and written in portable code, with the observable
// behaviour of the Windows profile functions: this is the profile backend on
// platforms that lack them, and it builds everywhere so that it can be checked
// against the real functions.
//
// Format: "[name]" lines open a section, "key=value" lines belong to the
// latest section (lines before the first header to the section named ""),
// every other line (comments, junk, blank lines, a "[" without "]") is kept
// as it is and ignored. Names match without regard to ASCII case; blanks
// around names and values are dropped, then one pair of matching quotes
// around a value. Only the first section of a name and the first key of a
// name within it count. Both CR LF and LF line ends are read; a rewrite keeps
// every other line byte for byte and gives new lines the file's own line end
// (CR LF for a new file). Text is handled as UTF-8 bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::ini {

// The value of `key` in `section`; nullopt when the section or key is missing.
std::optional<std::string> findValue(std::string_view text, std::string_view section, std::string_view key);

// The text with `key` of `section` set to `value`: the first such key line is
// rewritten in place, or the key is added after the section's last non-blank
// line, or the section is appended at the end. Leading blanks of the value are
// dropped (reading drops them anyway). nullopt when the result could not be
// read back as written: a line break in any argument, "=" in the key or "]"
// in the section name.
std::optional<std::string> withValue(std::string_view text, std::string_view section, std::string_view key,
                                     std::string_view value);

// At most maxChars whole UTF-8 characters of text.
std::string firstChars(std::string_view text, std::size_t maxChars);

// The profile functions on a real file (see platform/profile.h for the contract).
std::string getString(const std::string& section, const std::string& key, const std::string& defaultText,
                      std::size_t bufferSize, const std::string& file);
bool writeString(const std::string& section, const std::string& key, const std::string& value, const std::string& file);

} // namespace platform::ini
