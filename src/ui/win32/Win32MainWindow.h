#pragma once
// The main window on native Win32 controls, built from the designed form's
// control table: every control at its place, size, font and tab position,
// and the view adapters the core drives.

#include "app/frmMain.h"
#include "ui/win32/Win32Pictures.h"
#include "view/controlTable.h"

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace ui::win32 {

class Win32PictureBox;

class MainWindow final : public view::Window {
public:
    // Creates the top-level window, hidden, and every control of the table.
    MainWindow();
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The controls as the core sees them.
    frmMainControls controls();
    HWND handle() const { return m_window; }

    // view::Window
    void setCaption(const std::string& caption) noexcept override;
    view::WindowState state() const noexcept override;
    void setState(view::WindowState state) noexcept override;
    void show() noexcept override;
    void hide() noexcept override;
    void bringToFront() noexcept override;
    void close() noexcept override;
    bool canHideToTray() const noexcept override { return true; }

    // The user closed the window (WM_CLOSE): the core's unload runs here.
    std::function<void()> onClose;

    // For tests and screenshots: a control's child window by its name in the
    // table; nullptr for a name without a window.
    HWND control(std::string_view name) const;
    // Picture `image` (1 to 5) of the state image list, which the tray shows
    // too; nullptr outside. Owned by the window.
    HICON stateIcon(int image) const;
    // The window's small icon: the executable's MAINICON, else a drawn one.
    HICON windowIcon() const;
    // The window's dots per inch, which its twips and fonts are scaled with.
    int dpi() const { return m_dpi; }

    // The window procedure's work.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Controls;

    // Every control of the table, each with its adapter, in small steps.
    void createControls();
    // The control at `position` in the table with its window, or nullptr for one without.
    HWND createWindowed(std::size_t position);
    HWND createChild(std::size_t position, DWORD exStyle, const wchar_t* windowClass, DWORD style) const;
    HWND createPictureBox(std::size_t position);
    HWND createListView(std::size_t position);
    void createTimers();
    // The state pictures, the animation, the logo and the list's image list at the window's DPI.
    void makePictures();
    // The pictures of the image list `design` takes its pictures from.
    std::vector<HICON> imagesFor(const view::ControlDesign& design) const;
    // What a picture box shows before anything is painted into it.
    void showDesignedPicture(Win32PictureBox& box, const view::ControlDesign& design) const;
    RECT placeOf(const view::TwipsRect& rect) const;
    // WM_DPICHANGED: every control, font, picture and the window itself at the new DPI.
    void changeDpi(int dpi, const RECT& suggested);
    // The designed client size at the window's DPI; moved to `at`'s corner when given.
    void fitToDesign(const RECT* at);
    // Destroys the window, its controls and what they draw with.
    void release() noexcept;
    HFONT fontFor(const view::Font& font);
    int pixels(int twips) const;

    HWND m_window = nullptr;
    int m_dpi = 96;
    std::vector<std::pair<view::Font, HFONT>> m_fonts;
    pictures::Icons m_stateIcons;
    pictures::Icons m_frames;
    pictures::Icons m_logo;
    std::vector<pictures::Icons> m_retiredIcons; // from before a DPI change
    mutable pictures::Icons m_drawnWindowIcon;   // drawn when first asked for
    HIMAGELIST m_stateImages = nullptr;
    std::unique_ptr<Controls> m_controls;
    HWND m_focus = nullptr; // the control that had the focus when the window was left
    view::WindowState m_lastState = view::WindowState::Normal;
};

} // namespace ui::win32
