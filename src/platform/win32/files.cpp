#include "platform/files.h"

#include "platform/win32/handleInfo.h"
#include "platform/win32/ownReads.h"
#include "platform/win32/text.h"

#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kSkippedByNormalSearch = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// Whether a normal directory search for the pattern lists anything: hidden,
// system and folder entries are passed over, as the shell's own listing does.
bool normalSearchFinds(const std::wstring& pattern) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool listed = false;
    do {
        listed = (found.dwFileAttributes & kSkippedByNormalSearch) == 0;
    } while (!listed && ::FindNextFileW(search, &found));
    ::FindClose(search);
    return listed;
}

// A file time as local date and time, to the second.
std::optional<LocalDateTime> localTimeOf(const FILETIME& time) {
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!::FileTimeToSystemTime(&time, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return std::nullopt;
    }
    return LocalDateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

} // namespace

bool isListedPlainFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::wstring widePath = win32::wideFromUtf8(path);
    if (!normalSearchFinds(widePath)) {
        return false;
    }
    // A wildcard pattern may match a file above, but has no attributes of its own.
    const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool isHeldOpenByOtherProcess(const std::string& path) {
    // Asking for write access with no sharing fails with a sharing violation
    // whenever any other handle to the file is open, whatever sharing that
    // handle allows. Nothing is read or written. Our own copier's reads wait
    // meanwhile, so that only other programs' handles count.
    const win32::TestOpenTurn turn(win32::kOwnReadWait);
    HANDLE handle = ::CreateFileW(win32::wideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const bool sharingViolation = ::GetLastError() == ERROR_SHARING_VIOLATION;
        ::SetLastError(ERROR_SUCCESS);
        return sharingViolation;
    }
    ::CloseHandle(handle);
    ::SetLastError(ERROR_SUCCESS);
    return false;
}

std::optional<FileStatus> fileStatus(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExW(win32::wideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    const auto modified = localTimeOf(data.ftLastWriteTime);
    if (!modified) {
        return std::nullopt;
    }
    FileStatus status;
    status.length =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    status.modified = *modified;
    status.modifiedTicks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime);
    // The identity and the ChangeTime from one handle, so they describe one file.
    const auto naming = win32::namingOf(path);
    status.identity = naming.identity;
    status.changeTicks = naming.changeTicks;
    return status;
}

FileLook lookAtFile(const std::string& path) {
    FileLook look;
    look.listed = isListedPlainFile(path);
    if (look.listed) {
        look.heldByOtherProcess = isHeldOpenByOtherProcess(path);
        look.status = fileStatus(path);
    }
    return look;
}

} // namespace platform

namespace platform {

std::optional<DiskSpace> diskSpaceOf(const std::string& folder) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExW(win32::wideFromUtf8(folder).c_str(), &available, &total, nullptr)) {
        return std::nullopt;
    }
    return DiskSpace{static_cast<std::int64_t>(available.QuadPart), static_cast<std::int64_t>(total.QuadPart)};
}

} // namespace platform
