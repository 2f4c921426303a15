// The native Win32 view, on real (invisible) windows under the null display
// driver: the view's contract (ui/viewContract.h), the main window laid out
// as its control table designs it at any DPI, the core recording changes in
// the window, and the loop.

#include "ui/win32/Win32Controls.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/Win32MessageLoop.h"

#include "app/frmMain.h"
#include "app/modKorvelIni.h"
#include "common/modKorvel.h"
#include "platform/win32/text.h"
#include "support/fakeTray.h"
#include "support/tempDir.h"
#include "ui/viewContract.h"
#include "view/controlTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
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
    // Fixed size: no maximise box, no sizing border.
    const auto style = ::GetWindowLongPtrW(window.handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    std::vector<std::pair<int, HWND>> tabStops;
    for (const auto& design : view::kMainWindowControls) {
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

    // The pictures the tray takes.
    for (int image = 1; image <= view::findControl("imgList")->value; ++image) {
        EXPECT_NE(window.stateIcon(image), nullptr) << image;
    }
    EXPECT_EQ(window.stateIcon(view::findControl("imgList")->value + 1), nullptr);
    EXPECT_NE(window.windowIcon(), nullptr);
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

// Once a popup menu is up (from its own loop): its items into shownMenu, then
// its last item chosen.
std::vector<testsupport::ShownMenuItem>* shownMenu = nullptr;
void CALLBACK chooseLastItem(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const HWND window = ::FindWindowW(L"#32768", nullptr);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int item = 0; item < ::GetMenuItemCount(menu); ++item) {
        wchar_t caption[64] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(item), caption, 64, MF_BYPOSITION);
        const bool greyed = (::GetMenuState(menu, static_cast<UINT>(item), MF_BYPOSITION) & MF_GRAYED) != 0;
        shownMenu->push_back({platform::win32::utf8FromWide(caption), greyed});
    }
    for (const WPARAM key : {WPARAM{VK_UP}, WPARAM{VK_RETURN}}) { // up from the top wraps to the last
        ::PostMessageW(window, WM_KEYDOWN, key, 0);
        ::PostMessageW(window, WM_KEYUP, key, 0);
    }
}

// The view's contract on this window, worked as a user works it.
class Win32View {
public:
    Win32View() {
        m_loop.setDialogWindow(m_window.handle()); // the dialog keys' handling dispatches the ticks, as in the program
        m_window.onClose = [this] { ++m_closes; };
    }
    frmMainControls controls() { return m_window.controls(); }
    void click(std::string_view name) { ::SendMessageW(m_window.control(name), BM_CLICK, 0, 0); }
    void type(std::string_view name, const std::string& keys) {
        HWND edit = m_window.control(name);
        const auto end = ::GetWindowTextLengthW(edit);
        ::SendMessageW(edit, EM_SETSEL, end, end);
        for (const wchar_t key : platform::win32::wideFromUtf8(keys)) {
            ::SendMessageW(edit, WM_CHAR, key, 0);
        }
    }
    std::string caption() const { return ui::win32::windowText(m_window.handle()); }
    std::string shownText(std::string_view name) const { return ui::win32::windowText(m_window.control(name)); }
    std::int64_t shownRows() const { return ::SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0); }
    std::string shownCell(std::int64_t row, ChangeColumn column) const {
        wchar_t text[64] = {};
        LVITEMW item{};
        item.iSubItem = static_cast<int>(column);
        item.pszText = text;
        item.cchTextMax = 64;
        ::SendMessageW(list(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&item));
        return platform::win32::utf8FromWide(text);
    }
    int shownIcon(std::int64_t row) const {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = static_cast<int>(row - 1);
        ::SendMessageW(list(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage + 1; // the control counts from 0
    }
    std::uint32_t shownColour(std::string_view name, int x, int y) const {
        HWND control = m_window.control(name);
        RECT client{};
        ::GetClientRect(control, &client);
        const COLORREF colour = printedPixel(control, client.right * x / 100, client.bottom * y / 100);
        return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) | GetBValue(colour);
    }
    // What the list answers when the system asks for an item's tip.
    std::string rowTip(std::int64_t row) const {
        EXPECT_NE(::SendMessageW(list(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_INFOTIP, 0);
        wchar_t text[64] = L"the row's own text";
        NMLVGETINFOTIPW tip{};
        tip.hdr = {list(), static_cast<UINT_PTR>(::GetDlgCtrlID(list())), LVN_GETINFOTIPW};
        tip.pszText = text;
        tip.cchTextMax = 64;
        tip.iItem = static_cast<int>(row - 1);
        ::SendMessageW(m_window.handle(), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
        return platform::win32::utf8FromWide(text);
    }
    void doubleClickRow(std::int64_t row) const {
        const POINT at = rowCentre(row);
        ::SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        ::SendMessageW(list(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        ::SendMessageW(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        ::SendMessageW(list(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    // Through the loop, where the dialog keys are handled.
    void pressEnterOnRow(std::int64_t row) {
        LVITEMW state{};
        state.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        state.state = state.stateMask;
        ::SendMessageW(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&state));
        ::SetFocus(list());
        ::PostMessageW(list(), WM_KEYDOWN, VK_RETURN, 0);
        m_loop.pumpMessages();
    }
    // The menu is modal: timers read and answer it from inside its loop.
    std::vector<testsupport::ShownMenuItem> chooseLastRowMenuItem(std::int64_t row) const {
        std::vector<testsupport::ShownMenuItem> items;
        shownMenu = &items;
        POINT at = rowCentre(row);
        ::ClientToScreen(list(), &at);
        const UINT_PTR choose = ::SetTimer(nullptr, 0, 200, chooseLastItem);
        const UINT_PTR giveUp = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        ::SendMessageW(m_window.handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list()), MAKELPARAM(at.x, at.y));
        ::KillTimer(nullptr, choose);
        ::KillTimer(nullptr, giveUp);
        shownMenu = nullptr;
        return items;
    }
    bool visible() const { return ::IsWindowVisible(m_window.handle()); }
    int closes() const { return m_closes; }
    void pump(std::chrono::milliseconds span) {
        for (const auto end = std::chrono::steady_clock::now() + span; std::chrono::steady_clock::now() < end;) {
            m_loop.waitForMessagesAtMost(std::chrono::milliseconds(5));
        }
    }

private:
    HWND list() const { return m_window.control("lstLog"); }
    POINT rowCentre(std::int64_t row) const {
        RECT place{};
        place.left = LVIR_BOUNDS;
        ::SendMessageW(list(), LVM_GETITEMRECT, static_cast<WPARAM>(row - 1), reinterpret_cast<LPARAM>(&place));
        return {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    }

    MessageLoopWin32 m_loop;
    MainWindow m_window;
    int m_closes = 0;
};

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

// Turns the loop until done(), for a few seconds at most.
template <class Done>
bool pumpUntil(MessageLoopWin32& loop, Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < end) {
        loop.waitForMessagesAtMost(std::chrono::milliseconds(5));
    }
    return done();
}

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
        // Appended in one write: a rewrite would show the file empty for a moment.
        std::ofstream(testsupport::nativePath(watched), std::ios::binary | std::ios::app) << " and two";
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

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ViewContract, Win32View);
