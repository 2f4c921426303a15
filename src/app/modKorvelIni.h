#pragma once
// The settings store of module modKorvel: one value per key in a section of
// an initialization file, by default Settings.ini in the application folder.
// Every read and write goes to the file; nothing is kept in memory. Neither
// routine throws nor reports a failure.

#include <string>

namespace modKorvel {

// The stored value of Key (matched without regard to case), at most 749
// characters. When it is missing or empty, DefaultValue is returned and also
// written back under the upper-case key. An empty IniFile means Settings.ini in
// the application folder.
std::string ReadIniSetting(const std::string& Section, const std::string& Key, const std::string& IniFile,
                           const std::string& DefaultValue);

// Stores NewValue under Key in upper case, replacing an existing value in
// place or adding the key at the end of the section. A value holding a line
// break cannot be stored as one line and is not written.
void WriteIniSetting(const std::string& Section, const std::string& Key, const std::string& NewValue,
                     const std::string& IniFile);

} // namespace modKorvel
