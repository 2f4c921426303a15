#pragma once
// The program's pictures (view/artwork.h) as icons with an alpha channel,
// at the window's DPI: the logo, the five state icons, the 18 frames of the
// busy animation and the window's own picture.

#include <windows.h>

#include <vector>

namespace ui::win32::pictures {

// Owns the icons it is given.
class Icons {
public:
    Icons() = default;
    explicit Icons(std::vector<HICON> icons) : m_icons(std::move(icons)) {}
    ~Icons();
    Icons(Icons&& other) noexcept : m_icons(std::move(other.m_icons)) {}
    Icons& operator=(Icons&& other) noexcept;
    Icons(const Icons&) = delete;
    Icons& operator=(const Icons&) = delete;

    const std::vector<HICON>& get() const { return m_icons; }

private:
    std::vector<HICON> m_icons;
};

// Pictures 1 to 5 of the state image list: "Free", "Open", "Error", "No
// File", monitoring off; `size` pixels square (16 at 96 dpi).
Icons stateIcons(int size);
// The 18 frames of the busy animation (32 at 96 dpi).
Icons animationFrames(int size);
// The logo beside the title (48 at 96 dpi).
Icons logo(int size);
// The window's own picture, for where the executable has none.
Icons windowIcon(int size);

} // namespace ui::win32::pictures
