#include "ui/win32/Win32PictureBox.h"
#include "platform/win32/windowClass.h"

#include <algorithm>
#include <cmath>

namespace ui::win32 {

namespace {

constexpr wchar_t kPictureBoxClass[] = L"SentrelPictureBox";

bool registerPictureBoxClass() {
    static const bool registered = platform::win32::registerWindowClass(
        kPictureBoxClass, platform::win32::ownedWindowProc<Win32PictureBox>, ::LoadCursorW(nullptr, IDC_ARROW));
    return registered;
}

void fill(HDC dc, const RECT& area, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
}

} // namespace

Win32PictureBox::Win32PictureBox(HWND parent, const RECT& place, int widthTwips, int heightTwips, bool border,
                                 std::vector<HICON> pictures)
    : m_widthTwips(widthTwips), m_heightTwips(heightTwips), m_border(border), m_pictures(std::move(pictures)) {
    if (registerPictureBoxClass()) {
        m_window = ::CreateWindowExW(0, kPictureBoxClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, place.left,
                                     place.top, place.right - place.left, place.bottom - place.top, parent, nullptr,
                                     ::GetModuleHandleW(nullptr), this);
    }
    HDC screen = ::GetDC(m_window);
    m_canvas = ::CreateCompatibleDC(screen);
    ::ReleaseDC(m_window, screen);
    makeCanvas();
    clear();
}

HBITMAP Win32PictureBox::makeCanvas() noexcept {
    if (m_canvas == nullptr) {
        return nullptr;
    }
    const RECT area = inside();
    HDC screen = ::GetDC(m_window);
    HBITMAP made = ::CreateCompatibleBitmap(screen, std::max<LONG>(area.right - area.left, 1),
                                            std::max<LONG>(area.bottom - area.top, 1));
    ::ReleaseDC(m_window, screen);
    if (made == nullptr) {
        return nullptr; // the old canvas stays
    }
    HBITMAP old = m_bitmap;
    HGDIOBJ previous = ::SelectObject(m_canvas, made);
    if (old == nullptr) {
        m_previousBitmap = previous;
    }
    m_bitmap = made;
    return old;
}

void Win32PictureBox::rescale(const RECT& place, std::vector<HICON> pictures) noexcept {
    RECT before = inside();
    ::SetWindowPos(m_window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    const auto shown = std::find(m_pictures.begin(), m_pictures.end(), m_shown);
    if (shown != m_pictures.end() && static_cast<std::size_t>(shown - m_pictures.begin()) < pictures.size()) {
        m_shown = pictures[static_cast<std::size_t>(shown - m_pictures.begin())];
    }
    m_pictures = std::move(pictures);
    if (HBITMAP old = makeCanvas()) {
        HDC source = ::CreateCompatibleDC(m_canvas);
        if (source != nullptr) {
            HGDIOBJ previous = ::SelectObject(source, old);
            const RECT after = inside();
            ::SetStretchBltMode(m_canvas, COLORONCOLOR); // the fills are flat colours: no blending
            ::StretchBlt(m_canvas, 0, 0, after.right - after.left, after.bottom - after.top, source, 0, 0,
                         before.right - before.left, before.bottom - before.top, SRCCOPY);
            ::SelectObject(source, previous);
            ::DeleteDC(source);
        }
        ::DeleteObject(old);
    }
    ::InvalidateRect(m_window, nullptr, FALSE);
}

Win32PictureBox::~Win32PictureBox() {
    if (m_canvas != nullptr) {
        if (m_previousBitmap != nullptr) {
            ::SelectObject(m_canvas, m_previousBitmap);
        }
        ::DeleteDC(m_canvas);
    }
    if (m_bitmap != nullptr) {
        ::DeleteObject(m_bitmap);
    }
    if (m_window != nullptr) {
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0); // its last messages go to the default procedure
        ::DestroyWindow(m_window);
    }
}

LRESULT Win32PictureBox::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = ::BeginPaint(m_window, &ps)) {
            paint(dc);
            ::EndPaint(m_window, &ps);
        }
        return 0;
    }
    case WM_PRINTCLIENT: // a picture of the window (PrintWindow, a screenshot)
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    default:
        return ::DefWindowProcW(m_window, message, wParam, lParam);
    }
}

// The client area less the frame, in the box's pixels.
RECT Win32PictureBox::inside() const noexcept {
    RECT area{};
    ::GetClientRect(m_window, &area);
    if (m_border) {
        ::InflateRect(&area, -1, -1);
    }
    return area;
}

void Win32PictureBox::clear() noexcept {
    m_shown = nullptr;
    if (m_canvas != nullptr) {
        const RECT area = inside();
        fill(m_canvas, {0, 0, area.right - area.left, area.bottom - area.top}, ::GetSysColor(COLOR_BTNFACE));
    }
    ::InvalidateRect(m_window, nullptr, FALSE);
}

void Win32PictureBox::fillRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                                    view::Colour colour) noexcept {
    if (m_canvas == nullptr || m_widthTwips <= 0 || m_heightTwips <= 0) {
        return;
    }
    RECT client{};
    ::GetClientRect(m_window, &client);
    // Twips scale with the box's outer size, as they were designed.
    const double scaleX = static_cast<double>(client.right) / m_widthTwips;
    const double scaleY = static_cast<double>(client.bottom) / m_heightTwips;
    const auto x = [scaleX](std::int32_t twips) { return static_cast<LONG>(std::lround(twips * scaleX)); };
    const auto y = [scaleY](std::int32_t twips) { return static_cast<LONG>(std::lround(twips * scaleY)); };
    RECT area{x(std::min(left, right)), y(std::min(top, bottom)), x(std::max(left, right)), y(std::max(top, bottom))};
    const COLORREF rgb = colour.buttonFace ? ::GetSysColor(COLOR_BTNFACE) : RGB(colour.red, colour.green, colour.blue);
    fill(m_canvas, area, rgb); // the bitmap's own edges clip it
    const RECT box = inside();
    ::OffsetRect(&area, box.left, box.top);
    ::IntersectRect(&area, &area, &box);
    ::InvalidateRect(m_window, &area, FALSE);
}

void Win32PictureBox::showImage(int index) noexcept {
    if (index >= 1 && static_cast<std::size_t>(index) <= m_pictures.size()) {
        showIcon(m_pictures[static_cast<std::size_t>(index - 1)]);
    }
}

void Win32PictureBox::showIcon(HICON icon) noexcept {
    m_shown = icon;
    ::InvalidateRect(m_window, nullptr, FALSE);
}

void Win32PictureBox::paint(HDC dc) noexcept {
    RECT client{};
    ::GetClientRect(m_window, &client);
    const RECT box = inside();
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    // Composed off screen: the picture over the fills, without flicker.
    HDC buffer = ::CreateCompatibleDC(dc);
    HBITMAP bitmap = ::CreateCompatibleBitmap(dc, std::max(width, 1), std::max(height, 1));
    if (buffer != nullptr && bitmap != nullptr && m_canvas != nullptr) {
        HGDIOBJ previous = ::SelectObject(buffer, bitmap);
        ::BitBlt(buffer, 0, 0, width, height, m_canvas, 0, 0, SRCCOPY);
        if (m_shown != nullptr) {
            ICONINFO info{};
            BITMAP size{};
            if (::GetIconInfo(m_shown, &info)) {
                ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(size), &size);
                if (info.hbmColor != nullptr) {
                    ::DeleteObject(info.hbmColor);
                }
                if (info.hbmMask != nullptr) {
                    ::DeleteObject(info.hbmMask);
                }
            }
            // Scaled to fit the inside, keeping its shape.
            const int side = std::min({width, height, static_cast<int>(size.bmWidth)});
            ::DrawIconEx(buffer, 0, 0, m_shown, side, side, 0, nullptr, DI_NORMAL);
        }
        ::BitBlt(dc, box.left, box.top, width, height, buffer, 0, 0, SRCCOPY);
        ::SelectObject(buffer, previous);
    }
    if (bitmap != nullptr) {
        ::DeleteObject(bitmap);
    }
    if (buffer != nullptr) {
        ::DeleteDC(buffer);
    }
    if (m_border) {
        HBRUSH frame = ::GetSysColorBrush(COLOR_BTNSHADOW);
        ::FrameRect(dc, &client, frame);
    }
}

} // namespace ui::win32
