// The native change list leads a row to its copy: its tooltip, a double
// click, Enter through the dialog keys, and the context menu with its
// commands greyed for a row that has no copy.

#include "ui/win32/Win32Controls.h"
#include "ui/win32/Win32MainWindow.h"
#include "ui/win32/Win32MessageLoop.h"

#include "support/fakeClock.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Commands = std::vector<std::pair<std::int64_t, view::RowCommand>>;

POINT rowCentre(HWND list, int item) {
    RECT place{};
    place.left = LVIR_BOUNDS;
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&place));
    return {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
}

// Once the menu is up: whether its last item is greyed, then that item chosen.
std::vector<bool> lastItemGreyed;
void CALLBACK chooseLastItem(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const HWND window = ::FindWindowW(L"#32768", nullptr);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
    const int items = ::GetMenuItemCount(menu);
    lastItemGreyed.push_back((::GetMenuState(menu, static_cast<UINT>(items - 1), MF_BYPOSITION) & MF_GRAYED) != 0);
    for (const WPARAM key : {WPARAM{VK_UP}, WPARAM{VK_RETURN}}) { // up from the top wraps to the last
        ::PostMessageW(window, WM_KEYDOWN, key, 0);
        ::PostMessageW(window, WM_KEYUP, key, 0);
    }
}

TEST(Win32RowCopy, RowsOfferTheirCopyByTooltipDoubleClickEnterAndMenu) {
    ui::win32::MessageLoopWin32 loop;
    ui::win32::MainWindow window;
    loop.setDialogWindow(window.handle());
    window.show();
    auto& list = window.controls().lstLog;
    const HWND control = window.control("lstLog");
    Commands commands;
    list.copyOffer = [](std::int64_t row) {
        return row == 2 ? view::RowCopyOffer{true, "Copy: two"} : view::RowCopyOffer{false, "No copy: why"};
    };
    list.onRowCommand = [&](std::int64_t row, view::RowCommand command) { commands.emplace_back(row, command); };
    list.onRowMenu = [&](std::int64_t row) {
        if (const auto chosen = list.popupRowMenu(row == 2)) {
            commands.emplace_back(row, *chosen);
        }
    };
    const auto formats = std::make_shared<testsupport::FakeFormats>();
    for (int i = 1; i <= 2; ++i) {
        list.appendRow({{2026, 12, 8, 10, 42, i}, modSentrel::fsFree, {i, std::nullopt}, formats});
    }

    wchar_t text[64] = L"the row's own text";
    NMLVGETINFOTIPW tip{};
    tip.hdr = {control, static_cast<UINT_PTR>(::GetDlgCtrlID(control)), LVN_GETINFOTIPW};
    tip.pszText = text;
    tip.cchTextMax = 64;
    tip.iItem = 1;
    ::SendMessageW(window.handle(), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
    EXPECT_EQ(std::wstring(text), L"Copy: two");
    EXPECT_NE(::SendMessageW(control, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_INFOTIP, 0);

    const POINT second = rowCentre(control, 1);
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.x, second.y));
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(second.x, second.y));
    ::SendMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(second.x, second.y));
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(second.x, second.y));
    ::SetFocus(control);
    ::PostMessageW(control, WM_KEYDOWN, VK_RETURN, 0);
    loop.pumpMessages();
    using enum view::RowCommand;
    EXPECT_EQ(commands, (Commands{{2, OpenCopy}, {2, OpenCopy}}));
    commands.clear();

    for (const int item : {0, 1}) {
        POINT at = rowCentre(control, item);
        ::ClientToScreen(control, &at);
        const UINT_PTR choose = ::SetTimer(nullptr, 0, 200, chooseLastItem);
        const UINT_PTR giveUp = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        ::SendMessageW(window.handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), MAKELPARAM(at.x, at.y));
        ::KillTimer(nullptr, choose);
        ::KillTimer(nullptr, giveUp);
    }
    EXPECT_EQ(lastItemGreyed, (std::vector<bool>{true, false}));
    EXPECT_EQ(commands, (Commands{{2, CopyPath}})) << "a greyed command is not chosen";
}

} // namespace
