#pragma once
// The tray component: one icon in the notification area with its tooltip,
// balloon tips and popup menu, owned by a hidden window. It keeps the shell's
// notify-icon record itself and hands the same record to every shell call,
// each operation changing only the fields it needs.

#include "platform/notifyIcon.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Mouse buttons as the events report them.
namespace trayButton {
inline constexpr std::int32_t Left = 1;
inline constexpr std::int32_t Right = 2;
} // namespace trayButton

// The component's events. Each is raised synchronously from the hidden
// window's message handling; a handler may destroy the component.
struct SysTrayEvents {
    std::function<void(std::int32_t eButton)> SysTrayMouseDown;
    std::function<void(std::int32_t eButton)> SysTrayMouseUp;
    std::function<void()> SysTrayMouseMove;
    std::function<void(std::int32_t eButton)> SysTrayDoubleClick;
    std::function<void(std::int32_t lIndex, const std::string& sKey)> MenuClick;
    std::function<void()> BalloonShow;
    std::function<void()> BalloonHide;
    std::function<void()> BalloonTimeOut;
    std::function<void()> BalloonClicked;
};

class frmSysTray {
public:
    // One element of the popup menu's item array.
    struct MenuItem {
        std::string caption;
        std::string key; // the item's Tag
        bool visible = false;
        bool enabled = true;
    };

    // `shell` and `window` must outlive the component. `versionBits` answers
    // GetVersion's 32-bit value, read once per load.
    frmSysTray(platform::NotifyShell& shell, platform::TrayWindow& window, std::function<std::uint32_t()> versionBits);
    // Unloads: the icon is removed.
    ~frmSysTray();
    frmSysTray(const frmSysTray&) = delete;
    frmSysTray& operator=(const frmSysTray&) = delete;

    void setEvents(SysTrayEvents events) { m_events = std::move(events); }

    // Every member below loads the component first when it is not loaded:
    // creates the hidden window and adds the icon.

    // A balloon from the icon on shell 5; nothing on an older shell.
    void ShowBalloonTip(const std::string& sMessage, const std::string& sTitle, std::int32_t eIcon = 0,
                        std::int32_t lTimeOutMs = 30000);
    std::string ToolTip();
    void ToolTip(const std::string& sTip);
    std::uint64_t IconHandle();
    // No shell call when the handle is the one already shown.
    void IconHandle(std::uint64_t hIcon);
    // The new item's index; -1 when the item array is full (16-bit indexes).
    std::int32_t AddMenuItem(const std::string& sCaption, const std::string& sKey = "", bool bDefault = false);
    void EnableMenuItem(std::int32_t lIndex, bool bState);
    void RemoveMenuItem(std::int32_t iIndex);
    // -1 when the default item has been removed and none is drawn.
    std::int32_t DefaultMenuIndex();
    void DefaultMenuIndex(std::int32_t lIndex);
    // Pops the menu up at the pointer; returns when it has closed, after
    // MenuClick for a chosen item.
    void ShowMenu();

    // Removes the icon and the hidden window. The next member call loads again.
    void Unload();

    // The state as the shell and the menu see it, without loading.
    bool isLoaded() const { return m_loaded; }
    bool isWide() const { return m_bWide; }
    bool isShell5() const { return m_bShell5; }
    const platform::NotifyIconDataW& wideRecord() const { return m_wide; }
    const platform::NotifyIconDataA& narrowRecord() const { return m_narrow; }
    const std::vector<MenuItem>& menuItems() const { return m_items; }

private:
    void load();
    void ensureLoaded();
    void GetWindowsVersion();
    std::uint32_t NotifyDataSize() const;
    std::uint32_t CharsToBytes(std::uint32_t chars) const;
    bool IsValidMenuIndex(std::int32_t index) const;
    void setTipField(const std::string& sTip);
    void notify(platform::NotifyMessage message);
    void addIcon();

    // The hidden window's handlers.
    void Form_MouseMove(std::int32_t value);
    void Form_QueryUnload();

    platform::NotifyShell& m_shell;
    platform::TrayWindow& m_window;
    std::function<std::uint32_t()> m_versionBits;
    SysTrayEvents m_events;

    bool m_loaded = false;
    platform::NotifyIconDataW m_wide;
    platform::NotifyIconDataA m_narrow;
    bool m_bWide = false;
    bool m_bShell5 = false;
    bool m_bFirstItemUsed = false;
    std::int32_t m_lDefaultIndex = 0;
    std::vector<MenuItem> m_items;
};
