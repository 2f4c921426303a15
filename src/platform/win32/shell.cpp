#include "platform/shell.h"

#include "platform/win32/text.h"

#include <windows.h>

// After <windows.h>, which it depends on.
#include <shellapi.h>

namespace platform {

std::optional<RtError> shellOpenDocument(const std::string& file, const std::string& folder,
                                         const std::optional<std::string>& parameters) {
    const std::wstring wideFile = win32::wideFromUtf8(file);
    const std::wstring wideFolder = win32::wideFromUtf8(folder);
    const std::wstring wideParameters = parameters ? win32::wideFromUtf8(*parameters) : std::wstring();
    // The result is deliberately not examined: a document the shell cannot
    // open produces no message.
    ::ShellExecuteW(nullptr, nullptr, wideFile.c_str(), parameters ? wideParameters.c_str() : nullptr,
                    wideFolder.c_str(), SW_SHOWNORMAL);
    return std::nullopt;
}

} // namespace platform
