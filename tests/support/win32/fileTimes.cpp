#include "support/fileTimes.h"

#include <windows.h>

#include <string>

namespace testsupport {

namespace {

std::wstring wide(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

} // namespace

bool setModified(const std::string& path, std::chrono::nanoseconds since) {
    // FILETIME counts 100-nanosecond intervals from 1601; the Unix epoch is 11644473600 s later.
    const auto intervals = static_cast<std::uint64_t>(since.count() / 100) + 116444736000000000ull;
    const FILETIME modified{static_cast<DWORD>(intervals & 0xFFFFFFFFu), static_cast<DWORD>(intervals >> 32)};
    HANDLE file =
        ::CreateFileW(wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool set = ::SetFileTime(file, nullptr, nullptr, &modified) != 0;
    ::CloseHandle(file);
    return set;
}

std::chrono::nanoseconds wholeSecondNow() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
}

} // namespace testsupport
