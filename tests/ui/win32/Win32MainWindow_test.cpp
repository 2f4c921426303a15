// The native Win32 view, on real (invisible) windows under the null display
// driver: the main window as its control table designs it, the handlers run
// by values set from code, the virtual change list, the timers' ticks inside
// a waiting tick, a picture box that keeps what is painted, and the loop.

#include "ui/win32/Win32Controls.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/Win32MessageLoop.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "common/modKorvel.h"
#include "support/fakeClock.h"
#include "support/fakeTray.h"
#include "support/tempDir.h"
#include "view/controlTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

using ui::win32::MainWindow;
using ui::win32::MessageLoopWin32;

std::string classOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    std::string narrow;
    for (const wchar_t* c = name; *c != 0; ++c) {
        narrow += static_cast<char>(*c);
    }
    return narrow;
}

// The class a control of each kind must be, as Windows names it.
std::string expectedClass(view::ControlKind kind) {
    switch (kind) {
    case view::ControlKind::PictureBox:
        return "SentrelPictureBox";
    case view::ControlKind::Label:
        return "Static";
    case view::ControlKind::CommandButton:
    case view::ControlKind::CheckBox:
        return "Button";
    case view::ControlKind::TextBox:
        return "Edit";
    case view::ControlKind::ListView:
        return "SysListView32";
    default:
        return "(no window)";
    }
}

// A control in one line, so that a mismatch names it and shows what differs.
std::string describe(std::string_view name, const std::string& windowClass, const RECT& place, const std::string& text,
                     long fontHeight, long fontWeight) {
    return std::string(name) + " " + windowClass + " at " + std::to_string(place.left) + "," +
           std::to_string(place.top) + " " + std::to_string(place.right - place.left) + "x" +
           std::to_string(place.bottom - place.top) + " \"" + text + "\" font " + std::to_string(fontHeight) + "/" +
           std::to_string(fontWeight);
}

int pixels(int twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

void pumpFor(MessageLoopWin32& loop, std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end) {
        loop.waitForMessagesAtMost(std::chrono::milliseconds(5));
    }
}

template <typename Done>
bool pumpUntil(MessageLoopWin32& loop, Done done, std::chrono::milliseconds atMost = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + atMost;
    while (!done() && std::chrono::steady_clock::now() < end) {
        loop.waitForMessagesAtMost(std::chrono::milliseconds(5));
    }
    return done();
}

// Every control at its designed place and font, and the list's columns at their widths, for `dpi`.
void expectLaidOutFor(MainWindow& window, int dpi) {
    const auto& form = view::kMainWindow;
    RECT client{};
    ::GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right, pixels(form.clientWidth, dpi));
    EXPECT_EQ(client.bottom, pixels(form.clientHeight, dpi));
    for (const auto& design : view::kMainWindowControls) {
        if (!design.rect) {
            EXPECT_EQ(window.control(design.name), nullptr) << design.name;
            continue;
        }
        HWND control = window.control(design.name);
        ASSERT_NE(control, nullptr) << design.name;
        RECT place{};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&place), 2);
        const auto& rect = *design.rect;
        const RECT designed{pixels(rect.left, dpi), pixels(rect.top, dpi),
                            pixels(rect.left, dpi) + pixels(rect.width, dpi),
                            pixels(rect.top, dpi) + pixels(rect.height, dpi)};
        const bool hasText = design.kind != view::ControlKind::PictureBox && design.kind != view::ControlKind::ListView;
        LOGFONTW font{};
        const bool hasFont = design.kind != view::ControlKind::PictureBox;
        if (hasFont) {
            auto* handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
            ASSERT_NE(handle, nullptr) << design.name;
            ::GetObjectW(handle, sizeof(font), &font);
        }
        const long designedHeight = hasFont ? -std::lround(design.font.points * dpi / 72.0) : 0;
        const long designedWeight = hasFont ? (design.font.bold ? FW_BOLD : FW_NORMAL) : 0;
        EXPECT_EQ(describe(design.name, classOf(control), place, hasText ? ui::win32::windowText(control) : "",
                           font.lfHeight, font.lfWeight),
                  describe(design.name, expectedClass(design.kind), designed, hasText ? std::string(design.text) : "",
                           designedHeight, designedWeight));
    }
    // The list's columns: header and width.
    HWND list = window.control("lstLog");
    const auto columns = view::findControl("lstLog")->columns;
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(columns.size()));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(::SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        std::string narrow;
        for (const wchar_t* c = text; *c != 0; ++c) {
            narrow += static_cast<char>(*c);
        }
        EXPECT_EQ(narrow, columns[i].header);
        EXPECT_EQ(column.cx, pixels(columns[i].widthTwips, dpi)) << columns[i].header;
    }
}

TEST(Win32MainWindow, ControlsAreWhereAndWhatTheFormSays) {
    MainWindow window;
    expectLaidOutFor(window, window.dpi());
    EXPECT_EQ(ui::win32::windowText(window.handle()), view::kMainWindow.caption);
    // Fixed size: no maximise box, no sizing border.
    const auto style = ::GetWindowLongPtrW(window.handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    std::vector<std::pair<int, HWND>> tabStops;
    auto controls = window.controls();
    for (const auto& design : view::kMainWindowControls) {
        if (design.kind == view::ControlKind::Timer) {
            view::Timer& timer = design.name == "Timer1" ? controls.Timer1 : controls.Timer2;
            EXPECT_EQ(timer.interval(), design.value) << design.name;
            EXPECT_EQ(timer.enabled(), design.enabled) << design.name;
        }
        // Only the controls that take input are Tab stops.
        HWND control = window.control(design.name);
        const bool input =
            design.rect && design.kind != view::ControlKind::Label && design.kind != view::ControlKind::PictureBox;
        if (control != nullptr) {
            EXPECT_EQ((::GetWindowLongPtrW(control, GWL_STYLE) & WS_TABSTOP) != 0, input) << design.name;
        }
        if (input) {
            tabStops.emplace_back(*design.tabIndex, control);
        }
    }
    std::sort(tabStops.begin(), tabStops.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t i = 0; i < tabStops.size(); ++i) {
        EXPECT_EQ(::GetNextDlgTabItem(window.handle(), tabStops[i].second, FALSE),
                  tabStops[(i + 1) % tabStops.size()].second)
            << "after tab stop " << tabStops[i].first;
    }
    EXPECT_NE(::GetWindowLongPtrW(window.control("txtFileName"), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(::GetWindowLongPtrW(window.control("txtInterval"), GWL_STYLE) & ES_READONLY, 0);

    // The pictures the tray takes.
    for (int image = 1; image <= view::findControl("imgList")->value; ++image) {
        EXPECT_NE(window.stateIcon(image), nullptr) << image;
    }
    EXPECT_EQ(window.stateIcon(view::findControl("imgList")->value + 1), nullptr);
    EXPECT_NE(window.windowIcon(), nullptr);
}

TEST(Win32MainWindow, ValuesSetFromCodeRunTheHandlersOnlyOnChange) {
    MainWindow window;
    auto controls = window.controls();
    int clicks = 0;
    int changes = 0;
    controls.chkBeep.onClick = [&] { ++clicks; };
    controls.txtInterval.onChange = [&] { ++changes; };
    controls.chkBeep.setValue(1);
    controls.chkBeep.setValue(1);
    EXPECT_EQ(clicks, 1);
    controls.chkBeep.setValue(2);
    EXPECT_EQ(controls.chkBeep.value(), 2);
    EXPECT_EQ(clicks, 2);
    // A user's click on a greyed box ticks it; clicks never make it grey.
    ::SendMessageW(window.control("chkBeep"), BM_CLICK, 0, 0);
    EXPECT_EQ(controls.chkBeep.value(), 1);
    EXPECT_EQ(clicks, 3);
    ::SendMessageW(window.control("chkBeep"), BM_CLICK, 0, 0);
    EXPECT_EQ(controls.chkBeep.value(), 0);
    EXPECT_EQ(clicks, 4);

    controls.txtInterval.setText("500");
    EXPECT_EQ(changes, 0);
    controls.txtInterval.setText("250");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(controls.txtInterval.text(), "250");
    // Typed (or pasted) text runs the handler as well.
    HWND edit = window.control("txtInterval");
    ::SendMessageW(edit, EM_SETSEL, 3, 3);
    ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"0"));
    EXPECT_EQ(controls.txtInterval.text(), "2500");
    EXPECT_EQ(changes, 2);

    int pressed = 0;
    controls.cmdOpenLog.onClick = [&] {
        ++pressed;
        throw std::runtime_error("a failing handler"); // must not reach the window procedure
    };
    ::SendMessageW(window.control("cmdOpenLog"), BM_CLICK, 0, 0);
    EXPECT_EQ(pressed, 1);
}

TEST(Win32MainWindow, TheChangeListIsVirtualAndKeepsRowsInOrder) {
    MainWindow window;
    auto& list = window.controls().lstLog;
    HWND control = window.control("lstLog");
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_FALSE(list.subItem(0, ChangeColumn::State).has_value());
    const auto formats = std::make_shared<testsupport::FakeFormats>();
    for (int i = 1; i <= 3; ++i) {
        list.appendRow(
            {{2026, 12, 6, 6, 41, i}, static_cast<modSentrel::FileState>(i - 1), {i, std::nullopt}, formats});
    }
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(::SendMessageW(control, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(*list.subItem(3, ChangeColumn::Time), "06/12/2026 06:41:03");
    EXPECT_EQ(*list.subItem(3, ChangeColumn::State), "Error");
    EXPECT_EQ(*list.subItem(3, ChangeColumn::SizeInBytes), "3");
    EXPECT_FALSE(list.subItem(4, ChangeColumn::Time).has_value());

    // What the control draws comes from the rows, asked for by index.
    wchar_t text[32] = {};
    LVITEMW item{};
    item.iSubItem = static_cast<int>(ChangeColumn::SizeInBytes);
    item.pszText = text;
    item.cchTextMax = 32;
    ::SendMessageW(control, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(text), L"2");
    item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 2;
    ASSERT_TRUE(::SendMessageW(control, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.iImage, 3 - 1); // the row's state picture, counted from 0 by the control
    list.ensureVisible(3);
    list.ensureVisible(4); // no such row: nothing happens

    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(::SendMessageW(control, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST(Win32MainWindow, TicksArriveWhileATickWaitsForMessages) {
    MessageLoopWin32 loop;
    MainWindow window;
    loop.setDialogWindow(window.handle()); // as the program runs: the dialog keys' handling dispatches the ticks
    auto& timer = dynamic_cast<ui::win32::Win32Timer&>(window.controls().Timer2);
    int ticks = 0;
    int nested = 0;
    int deepest = 0;
    timer.onTick = [&] {
        ++ticks;
        deepest = std::max(deepest, timer.ticksRunning());
        if (ticks == 1) {
            // Like a copy that turns the loop after every chunk.
            const int before = ticks;
            pumpFor(loop, std::chrono::milliseconds(300));
            nested = ticks - before;
        }
    };
    timer.setInterval(10);
    timer.setEnabled(true);
    EXPECT_TRUE(pumpUntil(loop, [&] { return nested > 0; }));
    EXPECT_GE(nested, 5) << "ticks must keep arriving inside a long tick";
    EXPECT_EQ(deepest, 2);
    timer.setEnabled(false);
    const int stoppedAt = ticks;
    pumpFor(loop, std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, stoppedAt);

    // An interval of 0 gives no ticks without disabling the timer.
    timer.setEnabled(true);
    timer.setInterval(0);
    pumpFor(loop, std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, stoppedAt);
    EXPECT_TRUE(timer.enabled());
    timer.setInterval(5);
    EXPECT_TRUE(pumpUntil(loop, [&] { return ticks > stoppedAt; }));
}

// The colour at (x, y) of the picture the control draws of itself.
COLORREF printedPixel(HWND control, int x, int y) {
    RECT client{};
    ::GetClientRect(control, &client);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF colour = ::GetPixel(dc, x, y);
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return colour;
}

TEST(Win32MainWindow, APictureBoxKeepsWhatIsPainted) {
    MessageLoopWin32 loop;
    MainWindow window;
    window.show();
    auto& bar = window.controls().picProgress;
    HWND control = window.control("picProgress");
    RECT client{};
    ::GetClientRect(control, &client);
    const COLORREF background = printedPixel(control, client.right / 2, client.bottom / 2);
    // The left half red, in twips.
    bar.fillRectangle(0, 0, bar.width() / 2, bar.height(), view::Colour::rgb(200, 0, 0));
    ::InvalidateRect(control, nullptr, TRUE);
    ::UpdateWindow(control);
    loop.pumpMessages();
    EXPECT_EQ(printedPixel(control, client.right / 4, client.bottom / 2), RGB(200, 0, 0));
    EXPECT_EQ(printedPixel(control, client.right * 3 / 4, client.bottom / 2), background);
    bar.clear();
    EXPECT_EQ(printedPixel(control, client.right / 4, client.bottom / 2), background);

    // A frame of the animation covers its box's middle.
    HWND animation = window.control("picAni");
    RECT box{};
    ::GetClientRect(animation, &box);
    const COLORREF empty = printedPixel(animation, box.right / 2, box.bottom / 2);
    window.controls().picAni.showImage(1);
    EXPECT_NE(printedPixel(animation, box.right / 2, box.bottom / 2), empty);
}

// Moved to a monitor of another DPI, the window lays itself out anew and keeps what was painted.
TEST(Win32MainWindow, ADpiChangeScalesEveryControlAndKeepsThePainting) {
    MessageLoopWin32 loop;
    MainWindow window;
    window.show();
    auto& bar = window.controls().picProgress;
    bar.fillRectangle(0, 0, bar.width() / 2, bar.height(), view::Colour::rgb(200, 0, 0));
    HICON before = window.stateIcon(1);
    const int dpi = window.dpi() * 5 / 4; // the window still fits the test screen
    RECT suggested{40, 30, 1000, 800};
    ::SendMessageW(window.handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    loop.pumpMessages();
    EXPECT_EQ(window.dpi(), dpi);
    expectLaidOutFor(window, dpi);
    RECT outer{};
    ::GetWindowRect(window.handle(), &outer);
    EXPECT_EQ(outer.left, suggested.left);
    EXPECT_EQ(outer.top, suggested.top);
    HWND control = window.control("picProgress");
    RECT client{};
    ::GetClientRect(control, &client);
    EXPECT_EQ(printedPixel(control, client.right / 4, client.bottom / 2), RGB(200, 0, 0));
    EXPECT_NE(printedPixel(control, client.right * 3 / 4, client.bottom / 2), RGB(200, 0, 0));
    EXPECT_NE(window.stateIcon(1), before) << "the pictures are drawn anew for the new size";
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(before, &info)) << "the old picture still exists for the tray";
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
}

TEST(Win32MainWindow, WindowStatesAndClosing) {
    MessageLoopWin32 loop;
    MainWindow window;
    loop.setDialogWindow(window.handle());
    int resized = 0;
    int closed = 0;
    window.onResize = [&] {
        ++resized;
        throw std::runtime_error("a failing handler");
    };
    window.onClose = [&] { ++closed; };
    window.show();
    window.setState(view::WindowState::Minimized);
    EXPECT_EQ(window.state(), view::WindowState::Minimized);
    EXPECT_TRUE(pumpUntil(loop, [&] { return resized > 0; }));
    window.setState(view::WindowState::Normal);
    EXPECT_EQ(window.state(), view::WindowState::Normal);
    window.bringToFront();

    window.close();
    EXPECT_EQ(closed, 0) << "closing is queued";
    EXPECT_TRUE(pumpUntil(loop, [&] { return closed == 1; }));
    EXPECT_FALSE(::IsWindowVisible(window.handle()));
    EXPECT_TRUE(::IsWindow(window.handle()));
}

// The core on this window: the loop is the real one, the desktop a recording.
class LoopHost : public frmMainHost, public Shell, public Sound, public AppFolders {
public:
    LoopHost(MessageLoopWin32& loop, std::string folder) : m_loop(loop), m_folder(std::move(folder)) {}
    Shell& shell() noexcept override { return *this; }
    Sound& sound() noexcept override { return *this; }
    AppFolders& folders() noexcept override { return *this; }
    std::unique_ptr<frmSysTray> createSysTray() override {
        return std::make_unique<frmSysTray>(tray, tray, [] { return 0x0A280105u; });
    }
    std::uint64_t stateIcon(int image) noexcept override { return static_cast<std::uint64_t>(image); }
    std::uint64_t windowIcon() noexcept override { return 0; }
    void setWindowIcons() noexcept override {}
    std::optional<std::string> chooseFile(const std::string&, const std::string&) noexcept override { return {}; }
    void beep(std::int32_t, std::int32_t) noexcept override {}
    void openDocument(const std::string&, const std::string&) noexcept override {}
    void showFileInFolder(const std::string&) noexcept override {}
    void openFolder(const std::string&) noexcept override {}
    void copyToClipboard(const std::string&) noexcept override {}
    void showMessage(const UserMessage& message) noexcept override { messages.push_back(message.text); }
    void pumpMessages() noexcept override { m_loop.pumpMessages(); }
    void waitForMessages() noexcept override { m_loop.waitForMessages(); }
    void waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept override {
        m_loop.waitForMessagesAtMost(atMost);
    }
    std::shared_ptr<Waker> waker() noexcept override { return m_loop.waker(); }
    void quit() noexcept override { m_loop.quit(); }
    void post(std::function<void()> work) noexcept override { m_loop.post(std::move(work)); }
    std::optional<std::string> appFolder() noexcept override { return m_folder; }

    testsupport::FakeTray tray;
    std::vector<std::string> messages;

private:
    MessageLoopWin32& m_loop;
    std::string m_folder;
};

TEST(Win32MainWindow, TheCoreRecordsChangesInTheWindow) {
    testsupport::TempDir app;
    testsupport::TempDir data;
    const auto watched = data.write("watched.txt", "one");
    app.write("Settings.ini",
              "[Main]\r\nINTERVAL=20\r\nMONITOR=1\r\nCOPY=0\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
    MessageLoopWin32 loop;
    MainWindow window;
    loop.setDialogWindow(window.handle());
    LoopHost host(loop, *modKorvel::AddBackslash(app.path()));
    {
        frmMain form(window.controls(), host);
        window.onClose = [&] { form.Form_Unload(); };
        form.Form_Load();
        auto& list = window.controls().lstLog;
        HWND control = window.control("lstLog");
        EXPECT_EQ(window.controls().txtFileName.text(), watched);
        EXPECT_TRUE(pumpUntil(loop, [&] { return list.rowCount() == 1; }));
        data.write("watched.txt", "one and two");
        EXPECT_TRUE(pumpUntil(loop, [&] { return list.rowCount() == 2; }));
        EXPECT_EQ(::SendMessageW(control, LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(*list.subItem(2, ChangeColumn::SizeInBytes), "11");
        window.controls().chkMonitor.setValue(0);
        window.close();
        EXPECT_TRUE(pumpUntil(loop, [&] { return form.unloaded(); }));
        EXPECT_TRUE(host.messages.empty());
    }
    EXPECT_TRUE(flushIniWrites(std::chrono::minutes(1))); // before the folder goes
}

TEST(Win32MessageLoop, TheTabKeyMovesTheFocusInTabOrder) {
    MessageLoopWin32 loop;
    MainWindow window;
    loop.setDialogWindow(window.handle());
    window.show();
    window.bringToFront();
    HWND last = window.control("cmdFileOpen");
    ::SetFocus(last);
    ASSERT_EQ(::GetFocus(), last);
    ::PostMessageW(last, WM_KEYDOWN, VK_TAB, 0);
    loop.pumpMessages();
    EXPECT_EQ(::GetFocus(), window.control("lstLog"));
}

TEST(Win32MessageLoop, PostsWakesAndQuits) {
    MessageLoopWin32 loop;
    std::vector<int> ran;
    loop.post([&] { ran.push_back(1); });
    loop.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());
    loop.pumpMessages();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));

    // A wait without messages returns when another thread wakes it.
    const auto waker = loop.waker();
    const auto start = std::chrono::steady_clock::now();
    std::thread worker([waker] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        waker->wake();
    });
    loop.waitForMessagesAtMost(std::chrono::seconds(20));
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    loop.post([&] { loop.quit(3); });
    EXPECT_EQ(loop.run(), 3);
}

} // namespace
