#include "platform/shell.h"

#include "platform/win32/text.h"

#include <windows.h>

// After <windows.h>, which it depends on.
#include <shellapi.h>

namespace platform {

std::optional<RtError> shellOpenDocument(const std::string& file, const std::string& folder,
                                         const std::optional<std::string>& parameters) {
    const std::string ansiFile = win32::ansiFromUtf8(file);
    const std::string ansiFolder = win32::ansiFromUtf8(folder);
    const std::string ansiParameters = parameters ? win32::ansiFromUtf8(*parameters) : std::string();
    // The result is deliberately not examined: a document the shell cannot
    // open produces no message.
    ::ShellExecuteA(nullptr, nullptr, ansiFile.c_str(), parameters ? ansiParameters.c_str() : nullptr,
                    ansiFolder.c_str(), SW_SHOWNORMAL);
    return std::nullopt;
}

} // namespace platform
