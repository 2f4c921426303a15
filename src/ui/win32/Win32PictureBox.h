#pragma once
// The view's picture box on a child window that keeps what is painted into
// it: the fills live in a bitmap of the box's inside, the shown picture
// (an icon) is drawn over them, and WM_PAINT only copies the result.

#include "view/controls.h"

#include <windows.h>

#include <vector>

namespace ui::win32 {

class Win32PictureBox final : public view::PictureBox {
public:
    // Makes the child window; `pictures` are the box's image list, picture 1 first (not owned).
    Win32PictureBox(HWND parent, const RECT& place, int widthTwips, int heightTwips, bool border,
                    std::vector<HICON> pictures);
    ~Win32PictureBox() override;
    Win32PictureBox(const Win32PictureBox&) = delete;
    Win32PictureBox& operator=(const Win32PictureBox&) = delete;

    HWND handle() const { return m_window; }

    std::int32_t width() const noexcept override { return m_widthTwips; }
    std::int32_t height() const noexcept override { return m_heightTwips; }
    void clear() noexcept override;
    void fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                       view::Colour colour) noexcept override;
    void showImage(int index) noexcept override;
    // Shows a picture that is not in the image list (the logo); not owned.
    void showIcon(HICON icon) noexcept;

    // The window moved to a monitor of another DPI: the box takes its new
    // place and image list, and what was painted into it is scaled along.
    void rescale(const RECT& place, std::vector<HICON> pictures) noexcept;

    // Draws the whole box into `dc` (WM_PAINT, WM_PRINTCLIENT).
    void paint(HDC dc) noexcept;
    // The box's window procedure, once its window is made.
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    RECT inside() const noexcept;
    // A canvas the size of the inside, selected into m_canvas; the previous one
    // is returned to the caller (nullptr when there was none).
    HBITMAP makeCanvas() noexcept;

    HWND m_window = nullptr;
    int m_widthTwips;
    int m_heightTwips;
    bool m_border;
    std::vector<HICON> m_pictures;
    HICON m_shown = nullptr;
    // What has been painted, the size of the inside.
    HDC m_canvas = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previousBitmap = nullptr;
};

} // namespace ui::win32
