#include "platform/paths.h"

#include "platform/win32/text.h"

#include <windows.h>

namespace platform {

const char kPathSeparator = '\\';

std::optional<std::string> executableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2); // truncated: try a larger buffer
    }
    const auto backslash = buffer.rfind(L'\\');
    if (backslash == std::wstring::npos) {
        return std::nullopt;
    }
    // "C:\sentrel.exe" lies in the root "C:\", which keeps its backslash.
    const bool isRoot = backslash == 2 && buffer[1] == L':';
    return win32::utf8FromWide(buffer.substr(0, isRoot ? backslash + 1 : backslash));
}

// A Windows copy is portable wherever it lies: the user puts it in a folder of their own.
ProgramFolders programFoldersFor(const std::string& executableFolder) {
    return {executableFolder, executableFolder};
}

std::optional<ProgramFolders> programFolders() {
    const auto folder = executableFolder();
    if (!folder) {
        return std::nullopt;
    }
    return programFoldersFor(*folder);
}

std::string defaultWatchedPath() {
    // The download folder on drive Z: that the program was first made for.
    return "Z:\\CURRENT DOWNLOAD\\current.csv";
}

} // namespace platform
