#pragma once
// Initialization-file ("profile") strings: one value per key in sections of a
// text file. Section and key names match without regard to case. Neither call
// throws.

#include <cstddef>
#include <string>

namespace platform {

// The buffer size the settings store reads values with, its terminating null
// included: the profile functions' 750 characters on Windows; elsewhere no
// limit, since a path there may be 4,096 bytes long.
extern const std::size_t kSettingBufferSize;

// The value of `key` in `section` of `file`, cut to at most bufferSize - 1
// characters; `defaultText` (cut the same way) when the file, the section or
// the key is missing. A key that is present with nothing behind its "=" gives "".
std::string getProfileString(const std::string& section, const std::string& key, const std::string& defaultText,
                             std::size_t bufferSize, const std::string& file);

// Stores `value` under `key` in `section` of `file`: creates the file and the
// section when missing, replaces the value of an existing key in place or adds
// the key at the end of the section. A value that reading would change (blanks
// at either end, a pair of matching quotes around it) is stored inside quotes,
// so that getProfileString gives it back as it was. False when nothing could
// be stored; the file is then as it was.
bool writeProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& file);

} // namespace platform
