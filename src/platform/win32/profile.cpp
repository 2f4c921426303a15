#include "platform/profile.h"

#include "platform/win32/text.h"

#include <windows.h>

#include <vector>

namespace platform {

// The real profile functions, with every string in the ANSI code page as they
// expect; what they return is converted back to UTF-8.
std::string getProfileString(const std::string& section, const std::string& key, const std::string& defaultText,
                             std::size_t bufferSize, const std::string& file) {
    if (bufferSize == 0) {
        return {};
    }
    try {
        std::vector<char> buffer(bufferSize, '\0');
        const auto size = static_cast<DWORD>(bufferSize > 0x7FFFFFFFU ? 0x7FFFFFFFU : bufferSize);
        const auto copied = ::GetPrivateProfileStringA(
            win32::ansiFromUtf8(section).c_str(), win32::ansiFromUtf8(key).c_str(),
            win32::ansiFromUtf8(defaultText).c_str(), buffer.data(), size, win32::ansiFromUtf8(file).c_str());
        return win32::utf8FromAnsi(std::string_view(buffer.data(), copied < size ? copied : size - 1));
    } catch (...) {
        return {};
    }
}

bool writeProfileString(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& file) {
    try {
        // Windows refuses to write a read-only file, but Wine run by root writes it anyway: checking the
        // attribute first keeps a write-protected settings file unchanged in both.
        const auto attributes = ::GetFileAttributesW(win32::wideFromUtf8(file).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return false;
        }
        return ::WritePrivateProfileStringA(win32::ansiFromUtf8(section).c_str(), win32::ansiFromUtf8(key).c_str(),
                                            win32::ansiFromUtf8(value).c_str(), win32::ansiFromUtf8(file).c_str()) != 0;
    } catch (...) {
        return false;
    }
}

} // namespace platform
