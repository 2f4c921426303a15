#pragma once
// The view's controls on Win32 child windows: the adapters the core drives
// (view/controls.h) and the notifications the main window hands them.

#include "log/LogRows.h"
#include "view/controls.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace ui::win32 {

// A window's text in UTF-8.
std::string windowText(HWND window);

class Win32Label final : public view::Label {
public:
    explicit Win32Label(HWND window) : m_window(window) {}
    void setCaption(const std::string& caption) noexcept override;

private:
    HWND m_window;
};

class Win32Button final : public view::Button {
public:
    // BN_CLICKED.
    void clicked() noexcept { view::runHandler(onClick); }
};

// A three-state button that the program advances itself: a click toggles
// between ticked and not ticked, and only code makes it grey.
class Win32CheckBox final : public view::CheckBox {
public:
    explicit Win32CheckBox(HWND window) : m_window(window) {}
    int value() const noexcept override;
    void setValue(int value) noexcept override;
    // BN_CLICKED: the user's click (or Space).
    void clicked() noexcept;

private:
    HWND m_window;
};

class Win32TextBox final : public view::TextBox {
public:
    explicit Win32TextBox(HWND window);
    std::string text() const noexcept override;
    void setText(const std::string& text) noexcept override;
    // EN_CHANGE: typing, pasting, cutting.
    void changed() noexcept;

private:
    HWND m_window;
    // The text the handler last ran for: an EN_CHANGE that leaves the text
    // as it was (a character typed over the same one) is no change.
    std::wstring m_text;
    bool m_settingText = false;
};

// SetTimer on the main window. A tick runs its handler even while an earlier
// tick waits in a nested loop (a copy, a probe of a slow disk): the core
// relies on a later tick taking over that earlier tick's work.
class Win32Timer final : public view::Timer {
public:
    Win32Timer(HWND window, UINT_PTR id) : m_window(window), m_id(id) {}
    ~Win32Timer() override;
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    bool enabled() const noexcept override { return m_enabled; }
    void setEnabled(bool enabled) noexcept override;
    std::int32_t interval() const noexcept override { return m_interval; }
    void setInterval(std::int32_t milliseconds) noexcept override;

    UINT_PTR id() const { return m_id; }
    // WM_TIMER with this timer's id.
    void fired() noexcept;

private:
    void arm() noexcept;

    HWND m_window;
    UINT_PTR m_id;
    bool m_enabled = false;
    std::int32_t m_interval = 0;
};

// A virtual report-view list: the rows live in a LogRows, and the control
// asks for the texts of the rows it draws.
class Win32ListView final : public view::ListView {
public:
    // Asks the control for the rows' tooltips.
    explicit Win32ListView(HWND window);
    std::int64_t rowCount() const noexcept override { return m_rows.size(); }
    std::optional<std::string> subItem(std::int64_t row, ChangeColumn column) const noexcept override;
    void appendRow(const ChangeRow& row) override;
    void clear() noexcept override;
    void ensureVisible(std::int64_t row) noexcept override;

    const logview::LogRows& rows() const { return m_rows; }
    // LVN_GETDISPINFOW: the text and the state picture of a row on screen.
    void fillDisplayInfo(NMLVDISPINFOW& info) const noexcept;

    // The row's copy: a double click, Enter (NM_RETURN; the dialog keys
    // turn it into IDOK while the list has the focus), its tooltip, and the
    // context menu (WM_CONTEXTMENU at `at` on the screen, -1, -1 from the
    // keyboard). notified() gives nullopt for what it leaves to the control.
    std::optional<LRESULT> notified(NMHDR& header) noexcept;
    void openFocusedRow() const noexcept;
    void contextMenu(LPARAM at) noexcept;
    std::optional<view::RowCommand> popupRowMenu(bool enabled) noexcept override;

private:
    // The row with the keyboard's focus, from 0; -1 for none.
    LRESULT focusedItem() const noexcept;

    HWND m_window;
    POINT m_menuAt{};
    logview::LogRows m_rows;
};

} // namespace ui::win32
