#pragma once
// The settings store: one value per key in a section of an initialization
// file, by default Settings.ini in the program's settings folder (the
// application folder, unless the program is installed), read and written by
// module modKorvel's two routines. Nothing is kept in memory: reads come from
// the file, and writes go to it from a worker thread of the store's own, in
// the order they were asked for, so that a caller never waits for the disk
// (each write rewrites the file and syncs it). Neither routine throws nor
// reports a failure.

#include <chrono>
#include <optional>
#include <string>

namespace modKorvel {

// The stored value of Key (matched without regard to case): at most 749
// characters on Windows, whose profile functions fill a buffer of 750; the
// whole value elsewhere. When it is missing or empty, DefaultValue is returned and also
// written back under the upper-case key. An empty IniFile means Settings.ini in
// the program's settings folder. The writes to the file asked for before are
// carried out first.
std::string ReadIniSetting(const std::string& Section, const std::string& Key, const std::string& IniFile,
                           const std::string& DefaultValue);

// Stores NewValue under Key in upper case, replacing an existing value in
// place or adding the key at the end of the section; returns at once, the
// file being written in the background. A value holding a line break cannot
// be stored as one line and is not written.
void WriteIniSetting(const std::string& Section, const std::string& Key, const std::string& NewValue,
                     const std::string& IniFile);

} // namespace modKorvel

namespace settings {

// Whether `iniFile` can keep the settings: empty when it can be read (or does
// not exist yet) and written; otherwise the message that tells the user why
// not, naming the file and the reason. Creates a missing file, empty; an
// existing one is written back unchanged.
std::optional<std::string> fileProblem(const std::string& iniFile);

} // namespace settings

// Waits at most `timeout` until every settings write asked for so far has
// reached its file: true when they all have. When some have not, says so on
// standard error. The program calls it once it has stopped asking for writes.
bool flushIniWrites(std::chrono::milliseconds timeout) noexcept;

// How long the program waits at its end for the settings still being written.
inline constexpr std::chrono::seconds kSettingsFlushLimit{10};
