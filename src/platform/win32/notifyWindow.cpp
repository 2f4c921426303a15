#include "platform/win32/notifyWindow.h"

#include "platform/win32/text.h"
#include "platform/win32/windowClass.h"

#include <windows.h>

// After <windows.h>, which it depends on.
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace platform::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"SentrelSysTrayWindow";
constexpr wchar_t kWindowTitle[] = L"Sys Tray Interface";

HWND toHwnd(std::uint64_t handle) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
}
HICON toHicon(std::uint64_t handle) {
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(handle));
}
template <typename Handle>
std::uint64_t fromHandle(Handle handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

// The component counts the record sizes of a 32-bit process; in this process
// the same record versions are larger (64-bit handles, alignment).
DWORD wideSize(std::uint32_t cbSize) {
    return cbSize == notifySize::WideShell5 ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
}
DWORD narrowSize(std::uint32_t cbSize) {
    return cbSize == notifySize::NarrowShell5 ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
}

template <std::size_t N>
void copyWideField(WCHAR (&target)[N], const std::array<std::uint8_t, 2 * N>& source) {
    std::memcpy(target, source.data(), source.size());
    // The component terminates its texts; the shell reads no further than this.
    target[N - 1] = L'\0';
}

// A fixed-length character field in the ANSI code page. The component's
// narrow fields may be full to the last character without a NUL; the shell
// gets at most N - 1 bytes and a terminating NUL.
template <std::size_t M, std::size_t N>
void copyNarrowField(CHAR (&target)[N], const std::array<char16_t, M>& source) {
    std::wstring wide;
    wide.reserve(M);
    for (const char16_t unit : source) {
        if (unit == u'\0') {
            break;
        }
        wide += static_cast<wchar_t>(unit);
    }
    const std::string ansi = ansiFromUtf8(utf8FromWide(wide));
    const std::size_t length = std::min(ansi.size(), N - 1);
    std::memcpy(target, ansi.data(), length);
    std::fill(target + length, target + N, '\0');
}

// Everything but the size and the texts, the same in either form.
template <typename Data, typename Record>
void copyNumericFields(Data& data, const Record& record) {
    data.hWnd = toHwnd(record.hWnd);
    data.uID = record.uID;
    data.uFlags = record.uFlags;
    data.uCallbackMessage = record.uCallbackMessage;
    data.hIcon = toHicon(record.hIcon);
    data.dwState = record.dwState;
    data.dwStateMask = record.dwStateMask;
    data.uTimeout = record.uTimeout;
    data.dwInfoFlags = record.dwInfoFlags;
}

bool ownsWindow(const NotifyWindow& window, HWND hwnd) {
    return window.windowHandle() == fromHandle(hwnd);
}

bool registerWindowClass() {
    static const bool registered =
        platform::win32::registerWindowClass(kWindowClass, ownedWindowProc<NotifyWindow, ownsWindow>);
    return registered;
}

// The hidden window's own picture: the program's icon when the executable
// has one, else the system's application icon. Both are shared.
HICON ownIcon() {
    auto* icon =
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    return icon != nullptr ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
}

UINT taskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

struct MenuDeleter {
    void operator()(HMENU menu) const { ::DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

} // namespace

std::uint32_t windowsVersionBits() {
    return static_cast<std::uint32_t>(::GetVersion());
}

NotifyWindow::~NotifyWindow() {
    destroy();
}

TrayWindow::Handles NotifyWindow::create(TrayWindowCallbacks callbacks) {
    m_callbacks = std::move(callbacks);
    if (m_window == 0 && registerWindowClass()) {
        // A hidden top-level window rather than a message-only one: only
        // top-level windows hear the shell's "TaskbarCreated" broadcast.
        m_icon = fromHandle(ownIcon());
        taskbarCreatedMessage();
        // The procedure recognises the window by this handle, which
        // CreateWindowExW has not returned yet while it sends its first messages.
        HWND hwnd = ::CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), this);
        m_window = fromHandle(hwnd);
        if (hwnd != nullptr) {
            ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(m_icon));
        }
    }
    return Handles{m_window, m_icon};
}

void NotifyWindow::destroy() {
    m_callbacks = {};
    if (m_window != 0) {
        HWND hwnd = toHwnd(m_window);
        m_window = 0;
        ::DestroyWindow(hwnd);
    }
}

std::intptr_t NotifyWindow::handleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    HWND hwnd = toHwnd(m_window);
    if (message == WM_MOUSEMOVE) {
        // The icon's callback message: the actual mouse or balloon message is
        // the low word of lParam, where a real mouse move has its X position.
        // Copies, since a handler may destroy this window and its owner.
        if (auto callback = m_callbacks.callback) {
            callback(static_cast<std::int32_t>(LOWORD(lParam)));
        }
        return 0;
    }
    if (message == WM_CLOSE) {
        if (auto closing = m_callbacks.closing) {
            closing();
        } else {
            destroy();
        }
        return 0;
    }
    if (message == taskbarCreatedMessage() && message != 0) {
        if (auto restarted = m_callbacks.shellRestarted) {
            restarted();
        }
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void NotifyWindow::notifyIcon(NotifyMessage message, const NotifyIconDataW& record) {
    NOTIFYICONDATAW data{};
    data.cbSize = wideSize(record.cbSize);
    copyNumericFields(data, record);
    copyWideField(data.szTip, record.szTip);
    copyWideField(data.szInfo, record.szInfo);
    copyWideField(data.szInfoTitle, record.szInfoTitle);
    // Without a notification area (a bare Wine desktop) the call fails; the
    // record stays as meant and the next call tries again.
    ::Shell_NotifyIconW(static_cast<DWORD>(message), &data);
}

void NotifyWindow::notifyIcon(NotifyMessage message, const NotifyIconDataA& record) {
    NOTIFYICONDATAA data{};
    data.cbSize = narrowSize(record.cbSize);
    copyNumericFields(data, record);
    copyNarrowField(data.szTip, record.szTip);
    copyNarrowField(data.szInfo, record.szInfo);
    copyNarrowField(data.szInfoTitle, record.szInfoTitle);
    ::Shell_NotifyIconA(static_cast<DWORD>(message), &data);
}

std::optional<std::int32_t> NotifyWindow::popupMenu(const std::vector<PopupMenuItem>& items,
                                                    std::optional<std::int32_t> defaultIndex) {
    HWND hwnd = toHwnd(m_window);
    UniqueMenu menu(::CreatePopupMenu());
    if (hwnd == nullptr || !menu) {
        return std::nullopt;
    }
    // Command identifiers are the item indexes plus one: 0 means "none chosen".
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PopupMenuItem& item = items[i];
        if (!item.visible) {
            continue;
        }
        const auto id = static_cast<UINT_PTR>(i + 1);
        if (item.caption == "-") {
            ::AppendMenuW(menu.get(), MF_SEPARATOR, id, nullptr);
        } else {
            const std::wstring caption = wideFromUtf8(item.caption);
            ::AppendMenuW(menu.get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), id, caption.c_str());
        }
    }
    if (defaultIndex) {
        ::SetMenuDefaultItem(menu.get(), static_cast<UINT>(*defaultIndex + 1), FALSE);
    }
    // The menu only closes on a click elsewhere when its owner is the
    // foreground window.
    ::SetForegroundWindow(hwnd);
    POINT pointer{};
    ::GetCursorPos(&pointer);
    const BOOL chosen = ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                         pointer.x, pointer.y, 0, hwnd, nullptr);
    // Lets the menu close properly when it is opened again at once.
    ::PostMessageW(hwnd, WM_NULL, 0, 0);
    if (chosen <= 0) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(chosen - 1);
}

} // namespace platform::win32
