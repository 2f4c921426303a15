#include "tray/frmSysTray.h"

#include "tray/notifyIconProtocol.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

using platform::NotifyMessage;
namespace notifyFlag = platform::notifyFlag;
namespace callback = tray::callback;
using tray::CopyStringToBytes;
using tray::setFixedField;

// Menu indexes are 16-bit.
constexpr std::int32_t kMaxMenuIndex = std::numeric_limits<std::int16_t>::max();

// Raises an event through a copy of its handler: the handler may destroy the
// component, and with it the std::function being called.
template <typename Handler, typename... Args>
void raise(const Handler& handler, Args&&... args) {
    if (handler) {
        Handler local = handler;
        local(std::forward<Args>(args)...);
    }
}

} // namespace

frmSysTray::frmSysTray(platform::NotifyShell& shell, platform::TrayWindow& window,
                       std::function<std::uint32_t()> versionBits)
    : m_shell(shell), m_window(window), m_versionBits(std::move(versionBits)) {
    // Element 0 exists from the start; AddMenuItem gives it to the first item.
    m_items.push_back(MenuItem{});
}

frmSysTray::~frmSysTray() {
    Unload();
}

void frmSysTray::ensureLoaded() {
    if (!m_loaded) {
        load();
    }
}

void frmSysTray::GetWindowsVersion() {
    const std::uint32_t version = m_versionBits ? m_versionBits() : 0;
    const std::uint32_t major = version & 0xFF;
    const std::uint32_t minor = (version >> 8) & 0xFF;
    const bool ntFamily = (version & 0x80000000u) == 0;
    m_bWide = false;
    m_bShell5 = false;
    if (ntFamily) {
        m_bWide = true;
        m_bShell5 = major >= 5;
    } else {
        m_bShell5 = major == 4 && minor == 90;
    }
}

std::uint32_t frmSysTray::NotifyDataSize() const {
    if (m_bShell5) {
        return m_bWide ? platform::notifySize::WideShell5 : platform::notifySize::NarrowShell5;
    }
    return m_bWide ? platform::notifySize::WideOld : platform::notifySize::NarrowOld;
}

std::uint32_t frmSysTray::CharsToBytes(std::uint32_t chars) const {
    return m_bWide ? 2 * chars : chars;
}

bool frmSysTray::IsValidMenuIndex(std::int32_t index) const {
    return index >= 0 && static_cast<std::size_t>(index) < m_items.size();
}

void frmSysTray::setTipField(const std::string& sTip) {
    if (m_bWide) {
        CopyStringToBytes(tray::utf16FromUtf8(sTip), m_wide.szTip, CharsToBytes(m_bShell5 ? 128 : 64));
    } else {
        tray::setTerminatedField(m_narrow.szTip, tray::utf16FromUtf8(sTip));
    }
}

void frmSysTray::notify(NotifyMessage message) {
    if (m_bWide) {
        m_shell.notifyIcon(message, m_wide);
    } else {
        m_shell.notifyIcon(message, m_narrow);
    }
}

void frmSysTray::addIcon() {
    if (m_bShell5) {
        // uTimeout doubles as uVersion; it must hold the version before the add.
        m_wide.uTimeout = tray::kNotifyIconVersion;
        m_narrow.uTimeout = tray::kNotifyIconVersion;
    }
    m_wide.cbSize = NotifyDataSize();
    m_narrow.cbSize = NotifyDataSize();
    notify(NotifyMessage::Add);
    if (m_bShell5) {
        notify(NotifyMessage::SetVersion);
    }
}

void frmSysTray::load() {
    m_loaded = true;
    GetWindowsVersion();
    platform::TrayWindowCallbacks callbacks;
    callbacks.callback = [this](std::int32_t value) { Form_MouseMove(value); };
    callbacks.closing = [this] { Form_QueryUnload(); };
    callbacks.shellRestarted = [this] {
        // Explorer started again without our icon: add it back as it stands.
        m_wide.uFlags = m_narrow.uFlags = notifyFlag::Message | notifyFlag::Icon | notifyFlag::Tip;
        addIcon();
    };
    const platform::TrayWindow::Handles handles = m_window.create(std::move(callbacks));

    // Only the record of the chosen form is filled or passed.
    const auto fill = [&](auto& record) {
        record.hWnd = handles.window;
        record.uID = static_cast<std::uint32_t>(handles.icon);
        record.uFlags = notifyFlag::Message | notifyFlag::Icon | notifyFlag::Tip;
        record.uCallbackMessage = tray::kCallbackMessage;
        record.hIcon = handles.icon;
    };
    if (m_bWide) {
        fill(m_wide);
    } else {
        fill(m_narrow);
    }
    // The program's version information carries no file description, so the
    // icon starts without a tooltip.
    setTipField(std::string());
    addIcon();
}

void frmSysTray::Unload() {
    if (!m_loaded) {
        return;
    }
    m_loaded = false;
    notify(NotifyMessage::Delete);
    m_window.destroy();
}

void frmSysTray::Form_QueryUnload() {
    Unload();
}

void frmSysTray::Form_MouseMove(std::int32_t value) {
    switch (value) {
    case callback::MouseMove:
        raise(m_events.SysTrayMouseMove);
        break;
    case callback::LeftButtonDown:
        raise(m_events.SysTrayMouseDown, trayButton::Left);
        break;
    case callback::RightButtonDown:
        raise(m_events.SysTrayMouseDown, trayButton::Right);
        break;
    case callback::LeftButtonUp:
        raise(m_events.SysTrayMouseUp, trayButton::Left);
        break;
    case callback::RightButtonUp:
        raise(m_events.SysTrayMouseUp, trayButton::Right);
        break;
    case callback::LeftDoubleClick:
        raise(m_events.SysTrayDoubleClick, trayButton::Left);
        break;
    case callback::RightDoubleClick:
        raise(m_events.SysTrayDoubleClick, trayButton::Right);
        break;
    case callback::BalloonShow:
        raise(m_events.BalloonShow);
        break;
    case callback::BalloonHide:
        raise(m_events.BalloonHide);
        break;
    case callback::BalloonTimeOut:
        raise(m_events.BalloonTimeOut);
        break;
    case callback::BalloonClicked:
        raise(m_events.BalloonClicked);
        break;
    default:
        // NIN_SELECT, NIN_KEYSELECT, WM_CONTEXTMENU, the middle button ...
        break;
    }
}

void frmSysTray::ShowBalloonTip(const std::string& sMessage, const std::string& sTitle, std::int32_t eIcon,
                                std::int32_t lTimeOutMs) {
    ensureLoaded();
    if (!m_bShell5) {
        return;
    }
    if (m_bWide) {
        CopyStringToBytes(tray::utf16FromUtf8(sMessage), m_wide.szInfo, 512);
        CopyStringToBytes(tray::utf16FromUtf8(sTitle), m_wide.szInfoTitle, 128);
        m_wide.uTimeout = static_cast<std::uint32_t>(lTimeOutMs);
        m_wide.dwInfoFlags = static_cast<std::uint32_t>(eIcon);
        m_wide.uFlags = notifyFlag::Info;
    } else {
        setFixedField(m_narrow.szInfo, tray::utf16FromUtf8(sMessage));
        setFixedField(m_narrow.szInfoTitle, tray::utf16FromUtf8(sTitle));
        m_narrow.uTimeout = static_cast<std::uint32_t>(lTimeOutMs);
        m_narrow.dwInfoFlags = static_cast<std::uint32_t>(eIcon);
        m_narrow.uFlags = notifyFlag::Info;
    }
    notify(NotifyMessage::Modify);
}

std::string frmSysTray::ToolTip() {
    ensureLoaded();
    return m_bWide ? tray::wideFieldText(m_wide.szTip) : tray::narrowFieldText(m_narrow.szTip);
}

void frmSysTray::ToolTip(const std::string& sTip) {
    ensureLoaded();
    setTipField(sTip);
    m_wide.uFlags = m_narrow.uFlags = notifyFlag::Tip;
    notify(NotifyMessage::Modify);
}

std::uint64_t frmSysTray::IconHandle() {
    ensureLoaded();
    return m_bWide ? m_wide.hIcon : m_narrow.hIcon;
}

void frmSysTray::IconHandle(std::uint64_t hIcon) {
    ensureLoaded();
    auto& stored = m_bWide ? m_wide.hIcon : m_narrow.hIcon;
    if (hIcon == stored) {
        return;
    }
    stored = hIcon;
    m_wide.uFlags = m_narrow.uFlags = notifyFlag::Icon;
    notify(NotifyMessage::Modify);
}

std::int32_t frmSysTray::AddMenuItem(const std::string& sCaption, const std::string& sKey, bool bDefault) {
    ensureLoaded();
    std::int32_t index = 0;
    if (!m_bFirstItemUsed) {
        m_bFirstItemUsed = true;
    } else {
        if (m_items.size() > static_cast<std::size_t>(kMaxMenuIndex)) {
            return -1;
        }
        index = static_cast<std::int32_t>(m_items.size());
        m_items.push_back(MenuItem{});
    }
    MenuItem& item = m_items[static_cast<std::size_t>(index)];
    item.visible = true;
    item.key = sKey;
    item.caption = sCaption;
    if (bDefault) {
        m_lDefaultIndex = index;
    }
    return index;
}

void frmSysTray::EnableMenuItem(std::int32_t lIndex, bool bState) {
    ensureLoaded();
    if (IsValidMenuIndex(lIndex)) {
        m_items[static_cast<std::size_t>(lIndex)].enabled = bState;
    }
}

void frmSysTray::RemoveMenuItem(std::int32_t iIndex) {
    ensureLoaded();
    if (!IsValidMenuIndex(iIndex)) {
        return;
    }
    // Removing the default item leaves the menu without one, rather than
    // drawing whichever item moves into its place.
    if (iIndex == m_lDefaultIndex) {
        m_lDefaultIndex = -1;
    }
    if (iIndex == 0) {
        // Element 0 is never destroyed; it only loses its caption.
        m_items[0].caption.clear();
        return;
    }
    // Captions and keys move up one place; the flags stay with their positions.
    for (std::size_t i = static_cast<std::size_t>(iIndex) + 1; i < m_items.size(); ++i) {
        m_items[i - 1].caption = std::move(m_items[i].caption);
        m_items[i - 1].key = std::move(m_items[i].key);
    }
    m_items.pop_back();
    // The last element is gone: a default that was it is gone with it.
    if (!IsValidMenuIndex(m_lDefaultIndex)) {
        m_lDefaultIndex = -1;
    }
}

std::int32_t frmSysTray::DefaultMenuIndex() {
    ensureLoaded();
    return m_lDefaultIndex;
}

void frmSysTray::DefaultMenuIndex(std::int32_t lIndex) {
    ensureLoaded();
    m_lDefaultIndex = IsValidMenuIndex(lIndex) ? lIndex : 0;
}

void frmSysTray::ShowMenu() {
    ensureLoaded();
    std::vector<platform::PopupMenuItem> items;
    items.reserve(m_items.size());
    for (const MenuItem& item : m_items) {
        items.push_back(platform::PopupMenuItem{item.caption, item.visible, item.enabled});
    }
    // A default index past the end (its item was destroyed) draws no default.
    const std::optional<std::int32_t> defaultIndex =
        IsValidMenuIndex(m_lDefaultIndex) ? std::optional<std::int32_t>(m_lDefaultIndex) : std::nullopt;
    const std::optional<std::int32_t> chosen = m_window.popupMenu(items, defaultIndex);
    if (!chosen || !IsValidMenuIndex(*chosen)) {
        return;
    }
    const std::string key = m_items[static_cast<std::size_t>(*chosen)].key;
    // Last: the handler may unload and destroy this component.
    raise(m_events.MenuClick, *chosen, key);
}
