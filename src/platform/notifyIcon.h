#pragma once
// The notification-area icon as the tray component sees the desktop: the
// notify-icon records it keeps, the shell call that takes them, and the hidden
// window that owns the icon, receives its callbacks and pops up its menu.
//
// The Win32 backend (platform/win32/notifyWindow.h) implements both interfaces
// with a real hidden window and Shell_NotifyIconW / Shell_NotifyIconA; tests
// use a recording fake.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The operations of a shell notify call.
enum class NotifyMessage : std::uint32_t {
    Add = 0,
    Modify = 1,
    Delete = 2,
    SetVersion = 4,
};

// The record's uFlags bits: which fields a call means.
namespace notifyFlag {
inline constexpr std::uint32_t Message = 1;
inline constexpr std::uint32_t Icon = 2;
inline constexpr std::uint32_t Tip = 4;
inline constexpr std::uint32_t Info = 16;
} // namespace notifyFlag

// cbSize values of the record versions, as a 32-bit process counts them. The
// backend passes the size of the same record version for the process it runs in.
namespace notifySize {
inline constexpr std::uint32_t WideShell5 = 936;
inline constexpr std::uint32_t NarrowShell5 = 488;
inline constexpr std::uint32_t WideOld = 152;
inline constexpr std::uint32_t NarrowOld = 88;
} // namespace notifySize

// The wide record: its text fields are UTF-16LE bytes, NUL-terminated within
// the field. Window and icon handles are opaque values of the platform.
struct NotifyIconDataW {
    std::uint32_t cbSize = 0;
    std::uint64_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint64_t hIcon = 0;
    std::array<std::uint8_t, 256> szTip{};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::array<std::uint8_t, 512> szInfo{};
    // The balloon time-out, or before an add the icon's version.
    std::uint32_t uTimeout = 0;
    std::array<std::uint8_t, 128> szInfoTitle{};
    std::uint32_t dwInfoFlags = 0;
};

// The narrow record: fixed-length character fields, converted to the ANSI
// code page by the backend for each call.
struct NotifyIconDataA {
    std::uint32_t cbSize = 0;
    std::uint64_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint64_t hIcon = 0;
    std::array<char16_t, 128> szTip{};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::array<char16_t, 256> szInfo{};
    std::uint32_t uTimeout = 0;
    std::array<char16_t, 64> szInfoTitle{};
    std::uint32_t dwInfoFlags = 0;
};

// The shell's notify-icon call. Its outcome is not reported: the caller keeps
// its record whether or not the shell took it.
class NotifyShell {
public:
    virtual ~NotifyShell() = default;
    virtual void notifyIcon(NotifyMessage message, const NotifyIconDataW& record) = 0;
    virtual void notifyIcon(NotifyMessage message, const NotifyIconDataA& record) = 0;
};

// One entry of the popup menu, by its position in the menu's item array.
struct PopupMenuItem {
    std::string caption; // "&" marks the access key; "-" is a separator line
    bool visible = false;
    bool enabled = true;
};

// What the hidden window reports back to its owner.
struct TrayWindowCallbacks {
    // A callback message arrived; the value is the mouse or notification
    // message it carries (WM_LBUTTONUP, NIN_BALLOONSHOW, ...).
    std::function<void(std::int32_t value)> callback;
    // The window is being closed from outside (the session ends, someone
    // posted a close): the owner removes its icon.
    std::function<void()> closing;
    // The shell started again (Explorer restarted) and has forgotten the icon.
    std::function<void()> shellRestarted;
};

// The hidden window that owns a notification icon. It is never shown.
class TrayWindow {
public:
    struct Handles {
        std::uint64_t window = 0;
        // The window's own icon picture, a shared icon that is never released.
        std::uint64_t icon = 0;
    };

    virtual ~TrayWindow() = default;
    // Creates the window (again, after destroy) and from then on passes what
    // it receives to `callbacks`.
    virtual Handles create(TrayWindowCallbacks callbacks) = 0;
    // Destroys the window; no callback arrives afterwards. May be called from
    // inside a callback.
    virtual void destroy() = 0;
    // Brings the window to the foreground and pops the items up at the
    // pointer, `defaultIndex` drawn as the default item. Returns when the menu
    // has closed: the index of the chosen item, nullopt when none was chosen.
    // Items that are not visible are left out; disabled ones cannot be chosen.
    virtual std::optional<std::int32_t> popupMenu(const std::vector<PopupMenuItem>& items,
                                                  std::optional<std::int32_t> defaultIndex) = 0;
};

} // namespace platform
