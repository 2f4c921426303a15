#include "platform/wholeFile.h"

#include "platform/win32/text.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace platform {

namespace {

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool close() {
        const auto handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != 0;
    }

private:
    HANDLE m_handle;
};

class TempFileGuard {
public:
    explicit TempFileGuard(std::wstring path) : m_path(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!m_path.empty()) {
            ::DeleteFileW(m_path.c_str());
        }
    }
    void keep() { m_path.clear(); }

private:
    std::wstring m_path;
};

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(bytes.size() < 0x40000000U ? bytes.size() : 0x40000000U);
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Rewrites the file itself, as the profile functions write every file: for a
// file that may be written in a folder that takes no new file. A failure
// halfway leaves the new content in it only up to where it stopped.
bool rewriteInPlace(const std::wstring& target, std::string_view bytes) {
    Handle file(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && writeAll(file.get(), bytes) && ::SetEndOfFile(file.get()) && ::FlushFileBuffers(file.get()) &&
           file.close();
}

} // namespace

WholeFile readWholeFile(const std::string& path) {
    WholeFile result;
    Handle file(::CreateFileW(win32::wideFromUtf8(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const auto error = ::GetLastError();
        result.status = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? WholeFile::Status::Missing
                                                                                       : WholeFile::Status::Failed;
        return result;
    }
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            result.bytes.clear();
            return result;
        }
        if (got == 0) {
            break;
        }
        result.bytes.append(buffer, got);
    }
    result.status = WholeFile::Status::Read;
    return result;
}

bool replaceWholeFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const auto target = win32::wideFromUtf8(path);
    const auto attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    static std::atomic<unsigned> counter{0};
    const auto tempPath =
        target + L".tmp" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
    Handle file(::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return exists && ::GetLastError() == ERROR_ACCESS_DENIED && rewriteInPlace(target, bytes);
    }
    TempFileGuard guard(tempPath);
    if (!writeAll(file.get(), bytes) || !::FlushFileBuffers(file.get()) || !file.close()) {
        return false;
    }
    if (!::MoveFileExW(tempPath.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    guard.keep();
    return true;
}

} // namespace platform
