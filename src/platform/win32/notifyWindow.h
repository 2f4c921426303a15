#pragma once
// The Win32 side of the tray component: a hidden top-level window titled
// "Sys Tray Interface" that owns the notification icon, passes the records to
// Shell_NotifyIconW / Shell_NotifyIconA, turns its callback messages into
// callback values and pops up the menu with TrackPopupMenu.

#include "platform/notifyIcon.h"

#include <cstdint>

namespace platform::win32 {

// GetVersion's 32-bit value: major version in bits 0-7, minor in 8-15, bit 31
// clear on the NT family.
std::uint32_t windowsVersionBits();

class NotifyWindow final : public NotifyShell, public TrayWindow {
public:
    NotifyWindow() = default;
    ~NotifyWindow() override;
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    void notifyIcon(NotifyMessage message, const NotifyIconDataW& record) override;
    void notifyIcon(NotifyMessage message, const NotifyIconDataA& record) override;

    Handles create(TrayWindowCallbacks callbacks) override;
    void destroy() override;
    std::optional<std::int32_t> popupMenu(const std::vector<PopupMenuItem>& items,
                                          std::optional<std::int32_t> defaultIndex) override;

    // The hidden window's handle; 0 while it does not exist.
    std::uint64_t windowHandle() const { return m_window; }

    // The window procedure's work, for the hidden window only.
    std::intptr_t handleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

private:
    std::uint64_t m_window = 0;
    std::uint64_t m_icon = 0;
    TrayWindowCallbacks m_callbacks;
};

} // namespace platform::win32
