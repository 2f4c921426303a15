#pragma once
// Initialization files read and written in portable code, with the observable
// behaviour of the Windows profile functions: this is the profile backend on
// platforms that lack them, and it builds everywhere so that it can be checked
// against the real functions.
//
// Format: CR, LF and CR LF each end a line. "[name]" lines open a section (the
// name runs to the line's last "]"); every other non-blank line is a key of
// the latest section, "key=value" or a key without a value (comments and junk
// among them). Lines before the first header belong to no section: the
// section named "" is the one under a "[]" header. Names match without regard
// to ASCII case; blanks around names and values are dropped, then one pair of
// matching quotes around a value. Names passed in are taken without their
// surrounding blanks too. Only the first section of a name and the first key
// of a name within it count. A rewrite keeps every other line byte for byte
// and gives new lines the file's own line end, that of its first line (CR LF
// for a new file). Text is handled as UTF-8 bytes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::ini {

// The value of `key` in `section`; nullopt when the section or key is missing
// or the key has no "=".
std::optional<std::string> findValue(std::string_view text, std::string_view section, std::string_view key);

// The text with `key` of `section` set to `value`, so that findValue gives
// `value` back: the first such key line is rewritten in place, or the key is
// added after the section's last non-blank line, or the section is appended
// at the end. A value that reading would change (blanks at either end, or a
// pair of matching quotes around it) is written inside double quotes. nullopt
// when the result could not be read back as written: a line break in any
// argument, "=" in the key or a key starting with "[", "]" in the section name.
std::optional<std::string> withValue(std::string_view text, std::string_view section, std::string_view key,
                                     std::string_view value);

// `value` as it goes into the file so that reading gives it back unchanged.
std::string valueAsWritten(std::string_view value);

// A default text as the profile functions give it back: without the blanks
// at its end (all but a first character), then without one pair of matching
// quotes around it.
std::string defaultAsRead(std::string_view defaultText);

// At most maxChars whole UTF-8 characters of text.
std::string firstChars(std::string_view text, std::size_t maxChars);

// The profile functions on a real file (see platform/profile.h for the contract).
std::string getString(const std::string& section, const std::string& key, const std::string& defaultText,
                      std::size_t bufferSize, const std::string& file);
bool writeString(const std::string& section, const std::string& key, const std::string& value, const std::string& file);

} // namespace platform::ini
