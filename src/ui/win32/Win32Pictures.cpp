#include "ui/win32/Win32Pictures.h"

#include "view/artwork.h"

#include <cstdint>

namespace ui::win32::pictures {

namespace {

// A 32-bit top-down DIB section holding the picture's colours and straight
// alpha, as icons keep them; nullptr when GDI failed.
HBITMAP bitmap(const view::artwork::Image& image) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.size;
    info.bmiHeader.biHeight = -image.size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP result = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (result == nullptr || bits == nullptr) {
        if (result != nullptr) {
            ::DeleteObject(result);
        }
        return nullptr;
    }
    auto* out = static_cast<std::uint8_t*>(bits);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        out[i + 0] = image.rgba[i + 2];
        out[i + 1] = image.rgba[i + 1];
        out[i + 2] = image.rgba[i + 0];
        out[i + 3] = image.rgba[i + 3];
    }
    return result;
}

// The picture as an icon, its mask transparent where the picture is; nullptr when GDI failed.
HICON icon(const view::artwork::Image& image) {
    const int size = image.size;
    // Rows of the 1-bit mask are padded to 16 bits; set bits are transparent.
    const int stride = (size + 15) / 16 * 2;
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(stride) * size, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (image.rgba[(static_cast<std::size_t>(y) * size + x) * 4 + 3] == 0) {
                maskBits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    HBITMAP colour = bitmap(image);
    HBITMAP mask = ::CreateBitmap(size, size, 1, 1, maskBits.data());
    ICONINFO iconInfo{};
    iconInfo.fIcon = TRUE;
    iconInfo.hbmColor = colour;
    iconInfo.hbmMask = mask;
    HICON result = colour != nullptr && mask != nullptr ? ::CreateIconIndirect(&iconInfo) : nullptr;
    for (HBITMAP made : {colour, mask}) {
        if (made != nullptr) {
            ::DeleteObject(made);
        }
    }
    return result;
}

} // namespace

Icons::~Icons() {
    for (HICON icon : m_icons) {
        if (icon != nullptr) {
            ::DestroyIcon(icon);
        }
    }
}

Icons& Icons::operator=(Icons&& other) noexcept {
    if (this != &other) {
        Icons old(std::move(*this));
        m_icons = std::move(other.m_icons);
    }
    return *this;
}

Icons stateIcons(int size) {
    std::vector<HICON> icons;
    for (int state = 0; state < view::artwork::kStateIcons; ++state) {
        icons.push_back(icon(view::artwork::stateIcon(state, size)));
    }
    return Icons(std::move(icons));
}

Icons animationFrames(int size) {
    std::vector<HICON> frames;
    for (int frame = 0; frame < view::artwork::kAnimationFrames; ++frame) {
        frames.push_back(icon(view::artwork::animationFrame(frame, size)));
    }
    return Icons(std::move(frames));
}

Icons logo(int size) {
    return Icons({icon(view::artwork::logo(size))});
}

Icons windowIcon(int size) {
    return Icons({icon(view::artwork::applicationIcon(size))});
}

} // namespace ui::win32::pictures
