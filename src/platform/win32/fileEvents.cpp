#include "platform/fileEvents.h"

#include "platform/trail.h"
#include "platform/win32/text.h"

#include <windows.h>

#include <cstring>

namespace platform {

namespace {

constexpr DWORD kFolderChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
                                 FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION;

// ReadDirectoryChangesW on the folder, one overlapped read at a time, so that
// a wait can also end on wake() or a timeout.
class DirectoryEvents final : public FileEvents {
public:
    DirectoryEvents(HANDLE folder, HANDLE done, HANDLE wakeUp, std::wstring name)
        : m_folder(folder), m_done(done), m_wakeUp(wakeUp), m_name(std::move(name)) {}
    ~DirectoryEvents() override {
        if (m_pending && ::CancelIoEx(m_folder, &m_overlapped)) {
            DWORD bytes = 0;
            ::GetOverlappedResult(m_folder, &m_overlapped, &bytes, TRUE); // the buffer is ours until then
        }
        ::CloseHandle(m_folder);
        ::CloseHandle(m_done);
        ::CloseHandle(m_wakeUp);
    }
    DirectoryEvents(const DirectoryEvents&) = delete;
    DirectoryEvents& operator=(const DirectoryEvents&) = delete;

    Event wait(std::optional<std::chrono::milliseconds> timeout) noexcept override {
        if (m_lost) {
            return Event::Lost;
        }
        if (!m_pending) {
            std::memset(&m_overlapped, 0, sizeof m_overlapped);
            m_overlapped.hEvent = m_done;
            ::ResetEvent(m_done);
            if (!::ReadDirectoryChangesW(m_folder, m_buffer, sizeof m_buffer, FALSE, kFolderChanges, nullptr,
                                         &m_overlapped, nullptr)) {
                m_lost = true;
                return Event::Lost;
            }
            m_pending = true;
        }
        const HANDLE handles[2] = {m_done, m_wakeUp};
        const DWORD milliseconds = timeout ? static_cast<DWORD>(timeout->count() < 0 ? 0 : timeout->count()) : INFINITE;
        if (::WaitForMultipleObjects(2, handles, FALSE, milliseconds) != WAIT_OBJECT_0) {
            return Event::None; // woken, or timed out: the read stays under way
        }
        m_pending = false;
        DWORD bytes = 0;
        if (!::GetOverlappedResult(m_folder, &m_overlapped, &bytes, FALSE)) {
            if (::GetLastError() == ERROR_NOTIFY_ENUM_DIR) {
                return Event::Changed; // too much at once to tell: ours may have been among it
            }
            // The folder was deleted (a pending delete denies access) or the
            // volume went away.
            m_lost = true;
            return Event::Lost;
        }
        return bytes == 0 ? Event::Changed : concernsTheFile(bytes) ? Event::Changed : Event::None;
    }

    void wake() noexcept override { ::SetEvent(m_wakeUp); }

private:
    bool concernsTheFile(DWORD bytes) const noexcept {
        for (DWORD at = 0; at + sizeof(FILE_NOTIFY_INFORMATION) <= bytes;) {
            FILE_NOTIFY_INFORMATION info{};
            std::memcpy(&info, m_buffer + at, sizeof info);
            const auto* name =
                reinterpret_cast<const WCHAR*>(m_buffer + at + offsetof(FILE_NOTIFY_INFORMATION, FileName));
            const int length = static_cast<int>(info.FileNameLength / sizeof(WCHAR));
            // File names compare without case, as the file system does.
            if (::CompareStringOrdinal(name, length, m_name.c_str(), static_cast<int>(m_name.size()), TRUE) ==
                CSTR_EQUAL) {
                return true;
            }
            if (info.NextEntryOffset == 0) {
                break;
            }
            at += info.NextEntryOffset;
        }
        return false;
    }

    HANDLE m_folder;
    HANDLE m_done;
    HANDLE m_wakeUp;
    std::wstring m_name;
    OVERLAPPED m_overlapped{};
    alignas(DWORD) BYTE m_buffer[16384]{};
    bool m_pending = false;
    bool m_lost = false;
};

} // namespace

std::unique_ptr<FileEvents> FileEvents::watch(const std::string& path) noexcept {
    try {
        const std::wstring wide = win32::wideFromUtf8(path);
        const auto separator = wide.find_last_of(L"\\/");
        const std::wstring name = separator == std::wstring::npos ? wide : wide.substr(separator + 1);
        if (name.empty() || name == L"." || name == L".." || name.find(L':') != std::wstring::npos) {
            return nullptr;
        }
        std::wstring folder = separator == std::wstring::npos ? L"." : wide.substr(0, separator + 1);
        // Sharing delete too: the watch must never keep anyone from deleting or renaming the folder.
        HANDLE handle =
            ::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return nullptr;
        }
        HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE wakeUp = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (done == nullptr || wakeUp == nullptr) {
            ::CloseHandle(handle);
            if (done != nullptr) {
                ::CloseHandle(done);
            }
            if (wakeUp != nullptr) {
                ::CloseHandle(wakeUp);
            }
            return nullptr;
        }
        return std::make_unique<DirectoryEvents>(handle, done, wakeUp, name);
    } catch (...) {
        platform::trailCurrentException();
        return nullptr; // out of memory
    }
}

} // namespace platform
