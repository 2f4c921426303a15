#include "app/modKorvelIni.h"

#include "common/modKorvel.h"
#include "platform/profile.h"

#include <optional>

namespace modKorvel {

namespace {

// The profile functions fill a buffer of this many characters, the last one a terminating null.
constexpr std::size_t kValueBufferSize = 750;

// Keys are plain ASCII names; other characters are left as they are.
std::string asciiCase(std::string text, bool upper) {
    for (auto& c : text) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::optional<std::string> chooseFile(const std::string& IniFile) {
    if (!IniFile.empty()) {
        return IniFile;
    }
    const auto folder = AppFolder();
    if (!folder) {
        return std::nullopt;
    }
    return *folder + "Settings.ini";
}

void writeValue(const std::string& Section, const std::string& Key, const std::string& value, const std::string& file) {
    // A line break would end the line early and turn the rest into lines of their own.
    if (value.find_first_of("\r\n") != std::string::npos) {
        return;
    }
    platform::writeProfileString(Section, asciiCase(Key, true), value, file);
}

} // namespace

std::string ReadIniSetting(const std::string& Section, const std::string& Key, const std::string& IniFile,
                           const std::string& DefaultValue) {
    try {
        const auto file = chooseFile(IniFile);
        if (!file) {
            return DefaultValue;
        }
        auto value = platform::getProfileString(Section, asciiCase(Key, false), "", kValueBufferSize, *file);
        if (!value.empty()) {
            return value;
        }
        writeValue(Section, Key, DefaultValue, *file);
    } catch (...) {
        // Out of memory at worst: the default is the answer.
    }
    return DefaultValue;
}

void WriteIniSetting(const std::string& Section, const std::string& Key, const std::string& NewValue,
                     const std::string& IniFile) {
    try {
        if (const auto file = chooseFile(IniFile)) {
            writeValue(Section, Key, NewValue, *file);
        }
    } catch (...) {
        // Failures are ignored by design: the setting simply is not stored.
    }
}

} // namespace modKorvel
