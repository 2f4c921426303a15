// The tray component on a real hidden window: callback messages posted to it
// come back as events, and the shell calls (which fail under Wine without a
// notification area) change nothing the component relies on.

#include "platform/win32/notifyWindow.h"
#include "tray/frmSysTray.h"

#include <windows.h>

// After <windows.h>, which it depends on.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using platform::win32::NotifyWindow;

HWND hwndOf(const NotifyWindow& window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window.windowHandle()));
}

void pumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

class NotifyWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<frmSysTray> make(std::function<std::uint32_t()> versionBits) {
        auto tray = std::make_unique<frmSysTray>(m_window, m_window, std::move(versionBits));
        SysTrayEvents events;
        events.SysTrayMouseUp = [this](std::int32_t b) { m_events.push_back("up " + std::to_string(b)); };
        events.SysTrayDoubleClick = [this](std::int32_t b) { m_events.push_back("dblclick " + std::to_string(b)); };
        events.BalloonClicked = [this] { m_events.push_back("balloon clicked"); };
        events.MenuClick = [this](std::int32_t i, const std::string& key) {
            m_events.push_back("menu " + std::to_string(i) + " " + key);
        };
        tray->setEvents(events);
        return tray;
    }

    NotifyWindow m_window;
    std::vector<std::string> m_events;
};

TEST_F(NotifyWindowTest, PostedCallbackMessagesBecomeEventsOnEitherInterface) {
    const std::uint32_t windowsMe = 0xC0005A04;
    const std::function<std::uint32_t()> versions[] = {platform::win32::windowsVersionBits, [=] { return windowsMe; }};
    for (const auto& version : versions) {
        m_events.clear();
        auto tray = make(version);
        tray->ToolTip("Sentrel v1.0");
        tray->IconHandle(reinterpret_cast<std::uintptr_t>(::LoadIconW(nullptr, IDI_INFORMATION)));
        tray->ShowBalloonTip("File Changed", "Sentrel", 1, 5000);
        EXPECT_EQ(tray->ToolTip(), "Sentrel v1.0");

        const HWND hwnd = hwndOf(m_window);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(::FindWindowW(nullptr, L"Sys Tray Interface"), hwnd);
        EXPECT_FALSE(::IsWindowVisible(hwnd));

        // With NOTIFYICON_VERSION 3 the shell sends the mouse or balloon message in lParam.
        for (const LPARAM value :
             {LPARAM{WM_RBUTTONUP}, LPARAM{WM_MBUTTONDOWN}, LPARAM{NIN_BALLOONUSERCLICK}, LPARAM{WM_LBUTTONDBLCLK}}) {
            ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, value);
        }
        pumpMessages();
        EXPECT_EQ(m_events, (std::vector<std::string>{"up 2", "balloon clicked", "dblclick 1"}));

        tray->Unload();
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(m_window.windowHandle(), 0u);
    }
}

TEST_F(NotifyWindowTest, ClosingTheHiddenWindowUnloadsTheComponent) {
    auto tray = make(platform::win32::windowsVersionBits);
    tray->ToolTip("Sentrel");
    const HWND hwnd = hwndOf(m_window);
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    pumpMessages();
    EXPECT_FALSE(tray->isLoaded());
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(NotifyWindowTest, AHandlerMayDestroyTheComponentFromInsideTheWindowProcedure) {
    auto tray = make(platform::win32::windowsVersionBits);
    SysTrayEvents events;
    events.SysTrayMouseUp = [&](std::int32_t) { tray.reset(); };
    tray->setEvents(events);
    tray->ToolTip("Sentrel");
    const HWND hwnd = hwndOf(m_window);
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, WM_LBUTTONUP);
    ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, WM_LBUTTONUP);
    pumpMessages();
    EXPECT_EQ(tray, nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Picks the "&Close" item by its access key once the menu is up.
void CALLBACK chooseCloseItem(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const HWND menu = ::FindWindowW(L"#32768", nullptr);
    const HWND target = menu != nullptr ? menu : ::GetForegroundWindow();
    ::PostMessageW(target, WM_KEYDOWN, 'C', 0);
    ::PostMessageW(target, WM_CHAR, 'c', 0);
    ::PostMessageW(target, WM_KEYUP, 'C', 0);
}

TEST_F(NotifyWindowTest, ChoosingAMenuItemRaisesMenuClickWithItsKey) {
    auto tray = make(platform::win32::windowsVersionBits);
    tray->AddMenuItem("&Open Sentrel", "open", true);
    tray->AddMenuItem("-");
    tray->AddMenuItem("&Close", "close");
    const UINT_PTR choose = ::SetTimer(nullptr, 0, 200, chooseCloseItem);
    // Should the keys not reach the menu, close it rather than hang.
    const UINT_PTR giveUp = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    tray->ShowMenu();
    ::KillTimer(nullptr, choose);
    ::KillTimer(nullptr, giveUp);
    EXPECT_EQ(m_events, std::vector<std::string>{"menu 2 close"});
}

} // namespace
