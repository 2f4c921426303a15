#include "ui/win32/Win32Controls.h"

#include "platform/trail.h"
#include "platform/win32/text.h"

#include <algorithm>
#include <limits>

#include <windowsx.h>

namespace ui::win32 {

namespace {

// `text` into a control's buffer of `capacity` characters, cut short to fit;
// out of memory, the buffer is left empty.
void copyIntoBuffer(const std::string& text, wchar_t* buffer, int capacity) noexcept {
    if (buffer == nullptr || capacity <= 0) {
        return;
    }
    buffer[0] = L'\0';
    try {
        const std::wstring wide = platform::win32::wideFromUtf8(text);
        const std::size_t length = std::min(wide.size(), static_cast<std::size_t>(capacity - 1));
        std::copy_n(wide.data(), length, buffer);
        buffer[length] = L'\0';
    } catch (...) {
        platform::trailCurrentException();
    }
}

std::wstring wideText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

// What the list control counts its items in.
int itemCount(std::int64_t rows) {
    return static_cast<int>(std::min<std::int64_t>(rows, std::numeric_limits<int>::max()));
}

} // namespace

std::string windowText(HWND window) {
    return platform::win32::utf8FromWide(wideText(window));
}

void Win32Label::setCaption(const std::string& caption) noexcept {
    try {
        ::SetWindowTextW(m_window, platform::win32::wideFromUtf8(caption).c_str());
    } catch (...) {
        platform::trailCurrentException();
        // Out of memory for the conversion: the label keeps its caption.
    }
}

int Win32CheckBox::value() const noexcept {
    switch (::SendMessageW(m_window, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
        return 1;
    case BST_INDETERMINATE:
        return 2;
    default:
        return 0;
    }
}

void Win32CheckBox::setValue(int value) noexcept {
    const WPARAM state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    if (static_cast<WPARAM>(::SendMessageW(m_window, BM_GETCHECK, 0, 0)) == state) {
        return;
    }
    ::SendMessageW(m_window, BM_SETCHECK, state, 0);
    view::runHandler(onClick);
}

void Win32CheckBox::clicked() noexcept {
    // A greyed box is ticked by a click, like a box that was not ticked.
    setValue(value() == 1 ? 0 : 1);
}

Win32TextBox::Win32TextBox(HWND window) : m_window(window), m_text(wideText(window)) {}

std::string Win32TextBox::text() const noexcept {
    try {
        return windowText(m_window);
    } catch (...) {
        platform::trailCurrentException();
        return {};
    }
}

void Win32TextBox::setText(const std::string& text) noexcept {
    try {
        std::wstring wide = platform::win32::wideFromUtf8(text);
        if (wide == wideText(m_window)) {
            return;
        }
        // The edit reports the new text with EN_CHANGE; the handler runs once, here.
        m_settingText = true;
        ::SetWindowTextW(m_window, wide.c_str());
        m_settingText = false;
        m_text = wideText(m_window);
    } catch (...) {
        platform::trailCurrentException();
        m_settingText = false;
        return;
    }
    view::runHandler(onChange);
}

void Win32TextBox::changed() noexcept {
    if (m_settingText) {
        return;
    }
    try {
        std::wstring now = wideText(m_window);
        if (now == m_text) {
            return;
        }
        m_text = std::move(now);
    } catch (...) {
        platform::trailCurrentException();
        return;
    }
    view::runHandler(onChange);
}

Win32Timer::~Win32Timer() {
    ::KillTimer(m_window, m_id);
}

void Win32Timer::setEnabled(bool enabled) noexcept {
    m_enabled = enabled;
    arm();
}

void Win32Timer::setInterval(std::int32_t milliseconds) noexcept {
    m_interval = milliseconds;
    arm();
}

// Enabling the timer or setting its interval starts a new period.
void Win32Timer::arm() noexcept {
    if (m_enabled && m_interval > 0) {
        ::SetTimer(m_window, m_id, static_cast<UINT>(m_interval), nullptr);
    } else {
        ::KillTimer(m_window, m_id);
    }
}

void Win32Timer::fired() noexcept {
    // A WM_TIMER still in the queue when the timer was stopped is no tick.
    if (!m_enabled || m_interval <= 0) {
        return;
    }
    view::runHandler(onTick);
}

Win32ListView::Win32ListView(HWND window) : m_window(window) {
    ::SendMessageW(m_window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
}

std::optional<LRESULT> Win32ListView::notified(NMHDR& header) noexcept {
    switch (header.code) {
    case NM_DBLCLK: {
        const int item = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
        if (item >= 0) {
            runRowCommand(item + 1, view::RowCommand::OpenCopy);
        }
        return 0;
    }
    case NM_RETURN:
        openFocusedRow();
        return 0;
    case LVN_GETINFOTIPW: {
        auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
        copyIntoBuffer(rowOffer(tip.iItem + 1).tip, tip.pszText, tip.cchTextMax);
        return 0;
    }
    default:
        return std::nullopt;
    }
}

LRESULT Win32ListView::focusedItem() const noexcept {
    return ::SendMessageW(m_window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
}

void Win32ListView::openFocusedRow() const noexcept {
    const auto item = focusedItem();
    if (item >= 0) {
        runRowCommand(item + 1, view::RowCommand::OpenCopy);
    }
}

void Win32ListView::contextMenu(LPARAM at) noexcept {
    POINT screen{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    LRESULT item = -1;
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: the focused row, the menu below its text.
        item = focusedItem();
        RECT place{};
        place.left = LVIR_LABEL;
        if (item < 0 ||
            !::SendMessageW(m_window, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&place))) {
            return;
        }
        screen = {place.left, place.bottom};
        ::ClientToScreen(m_window, &screen);
    } else {
        LVHITTESTINFO hit{};
        hit.pt = screen;
        ::ScreenToClient(m_window, &hit.pt);
        item = ::SendMessageW(m_window, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    }
    if (item >= 0) {
        m_menuAt = screen;
        runRowMenu(item + 1);
    }
}

std::optional<view::RowCommand> Win32ListView::popupRowMenu(bool enabled) noexcept {
    const HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) {
        return std::nullopt;
    }
    std::optional<view::RowCommand> chosen;
    try {
        UINT id = 1;
        for (const auto& item : view::kRowMenu) {
            const std::wstring caption = platform::win32::wideFromUtf8(std::string(item.caption));
            ::AppendMenuW(menu, MF_STRING | (enabled ? 0U : MF_GRAYED), id++, caption.c_str());
        }
        ::SetMenuDefaultItem(menu, 1, FALSE);
        const int picked =
            static_cast<int>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, m_menuAt.x,
                                              m_menuAt.y, 0, ::GetParent(m_window), nullptr));
        if (picked >= 1 && static_cast<std::size_t>(picked) <= view::kRowMenu.size()) {
            chosen = view::kRowMenu[static_cast<std::size_t>(picked - 1)].command;
        }
    } catch (...) {
        platform::trailCurrentException();
    }
    ::DestroyMenu(menu);
    return chosen;
}

std::optional<std::string> Win32ListView::subItem(std::int64_t row, ChangeColumn column) const noexcept {
    try {
        return m_rows.text(row - 1, column);
    } catch (...) {
        platform::trailCurrentException();
        return std::nullopt;
    }
}

void Win32ListView::appendRow(const ChangeRow& row) {
    m_rows.append(row);
    // Only the new row is drawn; the rows on screen stay where they are.
    ::SendMessageW(m_window, LVM_SETITEMCOUNT, static_cast<WPARAM>(itemCount(m_rows.size())),
                   LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void Win32ListView::clear() noexcept {
    m_rows.clear();
    ::SendMessageW(m_window, LVM_SETITEMCOUNT, 0, 0);
}

void Win32ListView::ensureVisible(std::int64_t row) noexcept {
    if (row >= 1 && row <= itemCount(m_rows.size())) {
        ::SendMessageW(m_window, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row - 1), FALSE);
    }
}

void Win32ListView::fillDisplayInfo(NMLVDISPINFOW& info) const noexcept {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) != 0) {
        std::optional<std::string> text;
        try {
            text = m_rows.text(item.iItem, item.iSubItem);
        } catch (...) {
            platform::trailCurrentException();
            // The cell stays empty.
        }
        copyIntoBuffer(text.value_or(std::string()), item.pszText, item.cchTextMax);
    }
    if ((item.mask & LVIF_IMAGE) != 0) {
        const int icon = item.iSubItem == 0 ? m_rows.icon(item.iItem) : 0;
        item.iImage = icon >= 1 ? icon - 1 : I_IMAGENONE;
    }
}

} // namespace ui::win32
