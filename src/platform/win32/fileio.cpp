#include "platform/fileio.h"

#include "platform/errors.h"
#include "platform/win32/handleInfo.h"
#include "platform/win32/ownReads.h"
#include "platform/win32/text.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Chunks handed to ReadFile/WriteFile, whose counts are 32-bit.
constexpr std::int64_t kMaxTransfer = 1 << 30;

// Block cloning, which this mingw-w64's headers do not name yet.
constexpr DWORD kSupportsBlockRefcounting = 0x08000000; // FILE_SUPPORTS_BLOCK_REFCOUNTING
constexpr DWORD kDuplicateExtentsToFile = CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 209, METHOD_BUFFERED, FILE_WRITE_ACCESS);
constexpr DWORD kGetIntegrityInformation = CTL_CODE(FILE_DEVICE_FILE_SYSTEM, 159, METHOD_BUFFERED, FILE_ANY_ACCESS);
struct DuplicateExtentsData {
    HANDLE FileHandle;
    LARGE_INTEGER SourceFileOffset;
    LARGE_INTEGER TargetFileOffset;
    LARGE_INTEGER ByteCount;
};
struct IntegrityInformation {
    WORD ChecksumAlgorithm;
    WORD Reserved;
    DWORD Flags;
    DWORD ChecksumChunkSizeInBytes;
    DWORD ClusterSizeInBytes;
};
// ReFS clones less than 4 GiB in one call.
constexpr std::int64_t kMaxClone = std::int64_t{1} << 30;

HANDLE handleOf(std::intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

IoError lastError() {
    return platform::lastRtError();
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

IoError openInto(std::intptr_t& native, const std::string& path, DWORD access, DWORD disposition) {
    const std::wstring widePath = win32::wideFromUtf8(path);
    // Windows refuses to write to a file with the read-only attribute,
    // whoever asks. Wine leaves that to the Unix permissions, which a root
    // user passes; asking first gives the same answer everywhere.
    if ((access & GENERIC_WRITE) != 0) {
        const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY) {
            return rtErrorFromOs(ERROR_ACCESS_DENIED);
        }
    }
    HANDLE handle =
        ::CreateFileW(widePath.c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Windows answers "access denied" for a folder too; say what it is.
        if (error == ERROR_ACCESS_DENIED && isFolder(widePath)) {
            return rtErrorFromOs(ERROR_DIRECTORY);
        }
        return rtErrorFromOs(static_cast<int>(error));
    }
    native = reinterpret_cast<std::intptr_t>(handle);
    return std::nullopt;
}

} // namespace

namespace win32 {

std::optional<FileIdentity> identityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<std::int64_t> changeTicksOfHandle(HANDLE handle) {
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) || info.ChangeTime.QuadPart == 0) {
        return std::nullopt;
    }
    return info.ChangeTime.QuadPart;
}

FileNaming namingOf(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    HANDLE handle = ::CreateFileW(wideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {};
    }
    FileNaming naming{identityOfHandle(handle), changeTicksOfHandle(handle)};
    ::CloseHandle(handle);
    return naming;
}

} // namespace win32

void File::discard() noexcept {
    if (m_native != kClosed) {
        ::CloseHandle(handleOf(m_native));
        m_native = kClosed;
    }
    if (std::exchange(m_ownRead, false)) {
        win32::leaveOwnRead();
    }
}

IoError File::openForRead(const std::string& path) {
    discard();
    win32::enterOwnRead();
    m_ownRead = true;
    auto error = openInto(m_native, path, GENERIC_READ, OPEN_EXISTING);
    if (error) {
        discard();
    }
    return error;
}

IoError File::createForWrite(const std::string& path) {
    discard();
    return openInto(m_native, path, GENERIC_WRITE, CREATE_ALWAYS);
}

IoError File::openForWrite(const std::string& path) {
    discard();
    return openInto(m_native, path, GENERIC_WRITE, OPEN_EXISTING);
}

IoError File::openForAppend(const std::string& path) {
    discard();
    // GENERIC_WRITE rather than FILE_APPEND_DATA alone, so that resize() can
    // take a failed line back; the position starts at the end.
    if (auto error = openInto(m_native, path, GENERIC_WRITE, OPEN_ALWAYS)) {
        return error;
    }
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(handleOf(m_native), zero, nullptr, FILE_END)) {
        auto error = lastError();
        discard();
        return error;
    }
    return std::nullopt;
}

IoError File::createNew(const std::string& path, const File&) {
    discard();
    return openInto(m_native, path, GENERIC_WRITE, CREATE_NEW);
}

IoError File::length(std::int64_t& bytes) const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handleOf(m_native), &size)) {
        return lastError();
    }
    bytes = size.QuadPart;
    return std::nullopt;
}

IoError File::spaceTaken(std::int64_t& bytes) const {
    FILE_STANDARD_INFO info{};
    if (!::GetFileInformationByHandleEx(handleOf(m_native), FileStandardInfo, &info, sizeof info)) {
        return lastError();
    }
    bytes = info.AllocationSize.QuadPart;
    return std::nullopt;
}

IoError File::seek(std::int64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (!::SetFilePointerEx(handleOf(m_native), position, nullptr, FILE_BEGIN)) {
        return lastError();
    }
    return std::nullopt;
}

IoError File::read(char* buffer, std::int64_t size, std::int64_t& got) {
    got = 0;
    while (got < size) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min(size - got, kMaxTransfer));
        if (!::ReadFile(handleOf(m_native), buffer + got, want, &n, nullptr)) {
            return lastError();
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    return std::nullopt;
}

IoError File::write(const char* bytes, std::int64_t size) {
    std::int64_t done = 0;
    while (done < size) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min(size - done, kMaxTransfer));
        if (!::WriteFile(handleOf(m_native), bytes + done, want, &n, nullptr)) {
            return lastError();
        }
        if (n == 0) {
            return rtErrorFromOs(ERROR_WRITE_FAULT);
        }
        done += n;
    }
    return std::nullopt;
}

namespace {

bool setLength(HANDLE handle, std::int64_t bytes) noexcept {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = bytes;
    return ::SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end) != 0;
}

} // namespace

IoError File::resize(std::int64_t bytes) {
    if (!setLength(handleOf(m_native), bytes)) {
        return lastError();
    }
    return std::nullopt;
}

bool File::cloneFrom(const File&) noexcept {
    // A whole clone holds the source open for as long as it takes; the
    // copier clones a piece at a time here (cloneRangeFrom) and lets go of
    // the source between pieces.
    return false;
}

namespace {

bool isSparse(HANDLE handle) {
    FILE_BASIC_INFO info{};
    return ::GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info) &&
           (info.FileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0;
}

void markSparse(HANDLE handle) {
    DWORD returned = 0;
    ::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
}

// The cluster size of a volume that clones blocks, which both files are on;
// 0 where either answer is missing.
std::int64_t cloningClusterSize(HANDLE from, HANDLE to) {
    DWORD serial = 0;
    DWORD flags = 0;
    if (!::GetVolumeInformationByHandleW(to, nullptr, 0, &serial, nullptr, &flags, nullptr, 0) ||
        (flags & kSupportsBlockRefcounting) == 0) {
        return 0;
    }
    const auto identity = win32::identityOfHandle(from);
    IntegrityInformation integrity{};
    DWORD returned = 0;
    if (!identity || identity->volume != serial ||
        !::DeviceIoControl(from, kGetIntegrityInformation, nullptr, 0, &integrity, sizeof integrity, &returned,
                           nullptr)) {
        return 0;
    }
    return integrity.ClusterSizeInBytes;
}

} // namespace

bool File::cloneRangeFrom(const File& source, std::int64_t offset, std::int64_t end, std::int64_t most,
                          std::int64_t& next) noexcept {
    const HANDLE from = handleOf(source.m_native);
    const HANDLE to = handleOf(m_native);
    const std::int64_t cluster = cloningClusterSize(from, to);
    if (cluster <= 0 || offset % cluster != 0 || offset >= end) {
        return false;
    }
    // Whole clusters; the last piece takes the source's last cluster whole,
    // which its allocation holds even where the file ends inside it.
    const std::int64_t whole = std::min(most, kMaxClone) / cluster * cluster;
    const std::int64_t count = end - offset <= whole ? (end - offset + cluster - 1) / cluster * cluster : whole;
    if (count <= 0) {
        return false;
    }
    // ReFS clones a sparse file only into a sparse one, and only into bytes
    // the copy already has: it is made long enough first.
    if (isSparse(from)) {
        markSparse(to);
    }
    if (!setLength(to, offset + count)) {
        return false;
    }
    DuplicateExtentsData range{from, {}, {}, {}};
    range.SourceFileOffset.QuadPart = offset;
    range.TargetFileOffset.QuadPart = offset;
    range.ByteCount.QuadPart = count;
    DWORD returned = 0;
    const std::int64_t cloned = std::min(offset + count, end);
    if (!::DeviceIoControl(to, kDuplicateExtentsToFile, &range, sizeof range, nullptr, 0, &returned, nullptr) ||
        !setLength(to, cloned)) {
        setLength(to, offset);
        return false;
    }
    next = cloned;
    return true;
}

ByteRange File::nextData(std::int64_t offset, std::int64_t end) const noexcept {
    const HANDLE handle = handleOf(m_native);
    // Only a file marked sparse has holes.
    if (offset >= end || !isSparse(handle)) {
        return {offset, end};
    }
    FILE_ALLOCATED_RANGE_BUFFER query{};
    query.FileOffset.QuadPart = offset;
    query.Length.QuadPart = end - offset;
    FILE_ALLOCATED_RANGE_BUFFER first{};
    DWORD returned = 0;
    // More ranges than the one asked for are no failure.
    if (!::DeviceIoControl(handle, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, &first, sizeof first, &returned,
                           nullptr) &&
        ::GetLastError() != ERROR_MORE_DATA) {
        return {offset, end}; // Wine, and file systems that do not tell
    }
    if (returned < sizeof first) {
        return {end, end};
    }
    // A range may reach outside the one asked about.
    const std::int64_t begin = std::clamp<std::int64_t>(first.FileOffset.QuadPart, offset, end);
    const std::int64_t stop = std::clamp<std::int64_t>(first.FileOffset.QuadPart + first.Length.QuadPart, begin, end);
    return begin < stop ? ByteRange{begin, stop} : ByteRange{offset, end};
}

IoError File::growWithHole(std::int64_t bytes) {
    // Windows leaves holes only in a file marked sparse; where the file
    // system has no sparse files (FAT), the new bytes are zeros on the disk.
    markSparse(handleOf(m_native));
    return resize(bytes);
}

IoError File::copyFrom(const File&, std::int64_t offset, std::int64_t, std::int64_t, std::int64_t& next,
                       bool& refused) {
    // The copier moves a piece at a time here (cloneRangeFrom, nextData),
    // letting go of the source between pieces.
    next = offset;
    refused = true;
    return rtErrorFromOs(ERROR_NOT_SUPPORTED);
}

IoError File::flush() {
    if (!::FlushFileBuffers(handleOf(m_native))) {
        return lastError();
    }
    return std::nullopt;
}

void File::startFlush() noexcept {
    // Windows has no call that starts writing back without waiting; its lazy
    // writer begins within a second anyway.
}

std::optional<FileIdentity> File::identity() const {
    if (m_native == kClosed) {
        return std::nullopt;
    }
    return win32::identityOfHandle(handleOf(m_native));
}

std::optional<std::int64_t> File::changeTicks() const {
    if (m_native == kClosed) {
        return std::nullopt;
    }
    return win32::changeTicksOfHandle(handleOf(m_native));
}

IoError File::close() {
    if (m_native == kClosed) {
        return std::nullopt;
    }
    const bool closed = ::CloseHandle(handleOf(std::exchange(m_native, kClosed))) != 0;
    IoError error = closed ? std::nullopt : lastError();
    if (std::exchange(m_ownRead, false)) {
        win32::leaveOwnRead();
    }
    return error;
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    return win32::namingOf(path).identity;
}

IoError removeFile(const std::string& path) {
    const std::wstring widePath = win32::wideFromUtf8(path);
    if (!::DeleteFileW(widePath.c_str())) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED && isFolder(widePath)) {
            return rtErrorFromOs(ERROR_DIRECTORY);
        }
        return rtErrorFromOs(static_cast<int>(error));
    }
    return std::nullopt;
}

IoError replaceFile(const std::string& from, const std::string& to) {
    if (!::MoveFileExW(win32::wideFromUtf8(from).c_str(), win32::wideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return lastError();
    }
    return std::nullopt;
}

const bool kOpenFilesBlockOtherPrograms = true;

std::string textFileBytes(std::string_view utf8) {
    return win32::ansiFromUtf8(utf8);
}

} // namespace platform
