// The Windows host with the real window and message loop: what it hands the
// file dialog and Explorer, and that the window's unload can end the modal
// boxes it opened (a box left open would keep the program from ending).

#include "ui/win32/Win32Host.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/Win32MessageLoop.h"

#include <gtest/gtest.h>

#include <windows.h>

// After <windows.h>, which it depends on.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>

namespace {

using ui::win32::Host;

// The whole literal, its NULs inside included (not the one the compiler adds).
template <std::size_t N>
std::wstring withNuls(const wchar_t (&text)[N]) {
    return std::wstring(text, N - 1);
}

TEST(Win32HostCommands, TheFilterIsPairsOfNulTerminatedTextsEndingInAnEmptyOne) {
    EXPECT_EQ(Host::dialogFilter("All Files|*.*"), withNuls(L"All Files\0*.*\0\0"));
    EXPECT_EQ(Host::dialogFilter("Lists|*.csv;*.txt|All Files|*.*"),
              withNuls(L"Lists\0*.csv;*.txt\0All Files\0*.*\0\0"));
}

TEST(Win32HostCommands, ExplorerGetsExactlyItsOwnCommandLines) {
    EXPECT_EQ(Host::selectInExplorerCommand("C:\\Data\\current.csv"),
              L"explorer.exe /select,C:\\Data\\current.csv\\,/e");
    EXPECT_EQ(Host::selectInExplorerCommand(""), std::nullopt) << "no path, no Explorer";
    EXPECT_EQ(Host::openInExplorerCommand("C:\\Program Files\\Sentrel\\Copies\\"),
              L"explorer.exe \"C:\\Program Files\\Sentrel\\Copies\\\",/e");
    EXPECT_EQ(Host::selectInExplorerCommand("C:\\\xC3\xA9t\xC3\xA9.csv"),
              L"explorer.exe /select,C:\\\u00E9t\u00E9.csv\\,/e")
        << "UTF-8 reaches Explorer as UTF-16";
}

class Win32HostLoops : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof classes;
        classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
        ::InitCommonControlsEx(&classes);
    }

    // Asks the host to end its nested loops every 50 ms, from a timer that the
    // modal loop itself dispatches, until the timer is stopped. A box still
    // open after ten seconds would wait for a user forever: the test fails.
    void endNestedLoopsFromTheirOwnLoop() {
        s_host = &host;
        s_ticks = 0;
        s_dialogsSeen = 0;
        m_timer = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            if (++s_ticks > 200) {
                ADD_FAILURE() << "a modal loop did not end";
                std::fflush(stdout);
                ::ExitProcess(1);
            }
            // Seen before it is cancelled: a box that never opened proves nothing.
            ::EnumThreadWindows(
                ::GetCurrentThreadId(),
                [](HWND open, LPARAM) -> BOOL {
                    wchar_t className[16] = {};
                    ::GetClassNameW(open, className, 16);
                    s_dialogsSeen += ::IsWindowVisible(open) && std::wstring_view(className) == L"#32770" ? 1 : 0;
                    return TRUE;
                },
                0);
            s_host->endNestedLoops();
        });
    }
    void TearDown() override {
        if (m_timer != 0) {
            ::KillTimer(nullptr, m_timer);
        }
    }

    ui::win32::MessageLoopWin32 loop;
    ui::win32::MainWindow window;
    Host host{window, loop};
    static inline Host* s_host = nullptr;
    static inline int s_ticks = 0;
    static inline int s_dialogsSeen = 0;

private:
    UINT_PTR m_timer = 0;
};

TEST_F(Win32HostLoops, TheUnloadEndsMessageBoxesWithAndWithoutTheWindowShown) {
    endNestedLoopsFromTheirOwnLoop();
    host.showMessage({"Shown while the window is hidden", "Sentrel", MessageIcon::Critical});
    EXPECT_GT(s_dialogsSeen, 0);
    s_dialogsSeen = 0;
    window.show();
    host.showMessage({"Shown over the window", "Sentrel", MessageIcon::Warning});
    EXPECT_GT(s_dialogsSeen, 0);
}

TEST_F(Win32HostLoops, TheUnloadCancelsTheFileDialog) {
    window.show();
    endNestedLoopsFromTheirOwnLoop();
    EXPECT_EQ(host.chooseFile("Select a File to Monitor", "All Files|*.*"), std::nullopt);
    EXPECT_GT(s_dialogsSeen, 0) << "the dialog opened before it was cancelled";
}

TEST_F(Win32HostLoops, WorkPostedRunsFromTheLoopAndTheWakerEndsAWait) {
    bool ran = false;
    host.post([&] { ran = true; });
    EXPECT_FALSE(ran) << "not before the message being handled has returned";
    for (int i = 0; i < 100 && !ran; ++i) {
        host.waitForMessagesAtMost(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(ran);

    // A wait with nothing to do ends when another thread wakes the loop.
    std::thread worker([waker = host.waker()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        waker->wake();
    });
    host.waitForMessages();
    worker.join();
}

} // namespace
