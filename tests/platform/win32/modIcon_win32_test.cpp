// Window icons from the linked MAINICON resource, on real windows.

#include "platform/modIcon.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Each WM_SETICON a window receives: which icon, and whether it was null.
struct SetIconLog {
    std::vector<std::pair<WPARAM, bool>> received;
};

LRESULT CALLBACK recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETICON) {
        if (auto* log = reinterpret_cast<SetIconLog*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            log->received.emplace_back(wParam, lParam != 0);
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

class TestWindow {
public:
    explicit TestWindow(HWND owner = nullptr) {
        static const ATOM windowClass = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = recordingProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"SentrelIconTestWindow";
            return ::RegisterClassExW(&wc);
        }();
        EXPECT_NE(windowClass, 0);
        m_hwnd = ::CreateWindowExW(0, L"SentrelIconTestWindow", L"icons", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, owner,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&log));
    }
    ~TestWindow() { ::DestroyWindow(m_hwnd); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    std::uint64_t handle() const { return reinterpret_cast<std::uintptr_t>(m_hwnd); }
    SIZE iconSize(WPARAM which) const {
        const auto icon = reinterpret_cast<HICON>(::SendMessageW(m_hwnd, WM_GETICON, which, 0));
        SIZE size{0, 0};
        ICONINFO info{};
        if (icon != nullptr && ::GetIconInfo(icon, &info)) {
            BITMAP bitmap{};
            ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
            size = SIZE{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
            ::DeleteObject(info.hbmColor);
            ::DeleteObject(info.hbmMask);
        }
        return size;
    }

    SetIconLog log;

private:
    HWND m_hwnd = nullptr;
};

using Received = std::vector<std::pair<WPARAM, bool>>;

TEST(SetWindowIcons, GivesTheWindowTheResourceAtTheSizesTheSystemAsksFor) {
    TestWindow window;
    modIcon::SetWindowIcons(window.handle(), "MAINICON", false);
    EXPECT_EQ(window.log.received, (Received{{ICON_BIG, true}, {ICON_SMALL, true}}));
    const SIZE large = window.iconSize(ICON_BIG);
    const SIZE small = window.iconSize(ICON_SMALL);
    EXPECT_EQ(large.cx, ::GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(large.cy, ::GetSystemMetrics(SM_CYICON));
    EXPECT_EQ(small.cx, ::GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(small.cy, ::GetSystemMetrics(SM_CYSMICON));
}

TEST(SetWindowIcons, AWindowWithoutOwnerIsItsOwnTopOwnerAndGetsEachIconTwice) {
    TestWindow window;
    modIcon::SetWindowIcons(window.handle(), "MAINICON", true);
    EXPECT_EQ(window.log.received,
              (Received{{ICON_BIG, true}, {ICON_BIG, true}, {ICON_SMALL, true}, {ICON_SMALL, true}}));
}

TEST(SetWindowIcons, TheTopOwnerIsFoundThroughTheWholeOwnerChain) {
    TestWindow top;
    TestWindow middle(top.hwnd());
    TestWindow window(middle.hwnd());
    ASSERT_EQ(::GetWindow(window.hwnd(), GW_OWNER), middle.hwnd());
    modIcon::SetWindowIcons(window.handle(), "MAINICON", true);
    EXPECT_EQ(top.log.received, (Received{{ICON_BIG, true}, {ICON_SMALL, true}}));
    EXPECT_TRUE(middle.log.received.empty());
    EXPECT_EQ(window.log.received, (Received{{ICON_BIG, true}, {ICON_SMALL, true}}));
    EXPECT_EQ(top.iconSize(ICON_SMALL).cx, ::GetSystemMetrics(SM_CXSMICON));
}

TEST(SetWindowIcons, AMissingResourceSendsNullIconsQuietly) {
    TestWindow window;
    modIcon::SetWindowIcons(window.handle(), "NOSUCHICON", false);
    EXPECT_EQ(window.log.received, (Received{{ICON_BIG, false}, {ICON_SMALL, false}}));
    EXPECT_EQ(::SendMessageW(window.hwnd(), WM_GETICON, ICON_BIG, 0), 0);
}

} // namespace
