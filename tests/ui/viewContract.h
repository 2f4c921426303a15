#pragma once
// What every implementation of the view (view/controls.h) keeps, checked the
// same way on the Qt window, the native Win32 window and the tests' fakes.
// A front end instantiates ViewContract with an adapter that makes its window
// (hidden, as the table designs it) and works it as a user would: controls();
// click(name) a button or check box; type(name, keys) at the end of a text
// box; and reads what is shown: caption(), shownText(name) of a label or text
// box, shownRows(), shownCell(row, column) and shownIcon(row) (the state
// picture, from 1) of the change list, shownColour(name, x%, y%) of a picture
// box as 0xRRGGBB, visible(), closes() (how often the window has closed);
// pump(span) turns its message loop for that long. On a row of the change
// list: rowTip(row) is its tooltip; doubleClickRow(row) and pressEnterOnRow(row)
// as the user does them; chooseLastRowMenuItem(row) right-clicks it and, once
// its menu is up, reads the menu's items and chooses the last one (which a
// greyed item ignores), then returns the items as they were shown (none when
// no menu came up).

#include "app/frmMain.h"
#include "support/fakeClock.h"
#include "view/controlTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace testsupport {

// An item of a menu as it was shown.
struct ShownMenuItem {
    std::string caption;
    bool greyed = false;
};

// Calls visit(name, control) for each control the core drives.
template <class Visit>
void forEachControl(const frmMainControls& c, Visit&& visit) {
    visit("lblSubTitle", c.lblSubTitle);
    visit("picAni", c.picAni);
    visit("picProgress", c.picProgress);
    visit("cmdMonitorOpen", c.cmdMonitorOpen);
    visit("cmdOpenFolder", c.cmdOpenFolder);
    visit("cmdMakeCopy", c.cmdMakeCopy);
    visit("cmdFolderCopiesOpen", c.cmdFolderCopiesOpen);
    visit("cmdOpenLog", c.cmdOpenLog);
    visit("cmdClearLogView", c.cmdClearLogView);
    visit("cmdFileOpen", c.cmdFileOpen);
    visit("chkMonitor", c.chkMonitor);
    visit("chkMakeCopy", c.chkMakeCopy);
    visit("chkBalloonTip", c.chkBalloonTip);
    visit("chkNotify", c.chkNotify);
    visit("chkBeep", c.chkBeep);
    visit("chkFollowLog", c.chkFollowLog);
    visit("txtInterval", c.txtInterval);
    visit("txtFileName", c.txtFileName);
    visit("lstLog", c.lstLog);
    visit("Timer1", c.Timer1);
    visit("Timer2", c.Timer2);
}

} // namespace testsupport

template <class View>
class ViewContract : public ::testing::Test {
protected:
    // Turns the loop until done(), for a few seconds at most.
    template <class Done>
    bool pumpUntil(Done done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < end) {
            m_user.pump(std::chrono::milliseconds(5));
        }
        return done();
    }

    View m_user;
    const frmMainControls m_controls = m_user.controls();
};

TYPED_TEST_SUITE_P(ViewContract);

TYPED_TEST_P(ViewContract, StartsAsTheTableDesignsIt) {
    auto& user = this->m_user;
    EXPECT_EQ(user.caption(), view::kMainWindow.caption);
    EXPECT_FALSE(user.visible());
    EXPECT_EQ(this->m_controls.window.state(), view::WindowState::Normal);
    testsupport::forEachControl(this->m_controls, [&](std::string_view name, auto& control) {
        using Control = std::remove_cvref_t<decltype(control)>;
        const auto& design = *view::findControl(name);
        if constexpr (std::is_same_v<Control, view::CheckBox>) {
            EXPECT_EQ(control.value(), design.value) << name;
        } else if constexpr (std::is_same_v<Control, view::TextBox>) {
            EXPECT_EQ(control.text(), design.text) << name;
            EXPECT_EQ(user.shownText(name), design.text) << name;
        } else if constexpr (std::is_same_v<Control, view::Label>) {
            EXPECT_EQ(user.shownText(name), design.text) << name;
        } else if constexpr (std::is_same_v<Control, view::Timer>) {
            EXPECT_EQ(control.interval(), design.value) << name;
            EXPECT_EQ(control.enabled(), design.enabled) << name;
        } else if constexpr (std::is_same_v<Control, view::PictureBox>) {
            EXPECT_EQ(control.width(), design.rect->width) << name;
            EXPECT_EQ(control.height(), design.rect->height) << name;
        } else if constexpr (std::is_same_v<Control, view::ListView>) {
            EXPECT_EQ(control.rowCount(), 0);
            EXPECT_EQ(user.shownRows(), 0);
        }
    });
}

// Every handler here throws once it has counted: nothing it throws may reach
// the toolkit or the system, and the control goes on working.
TYPED_TEST_P(ViewContract, ValuesSetFromCodeOrByTheUserRunTheHandlersOnlyOnChange) {
    auto& user = this->m_user;
    const auto& c = this->m_controls;
    int clicks = 0;
    int changes = 0;
    c.chkBeep.onClick = [&] { throw std::runtime_error(std::to_string(++clicks)); };
    c.txtInterval.onChange = [&] { throw std::runtime_error(std::to_string(++changes)); };
    c.chkBeep.setValue(1);
    c.chkBeep.setValue(1);
    EXPECT_EQ(clicks, 1);
    c.chkBeep.setValue(2);
    EXPECT_EQ(c.chkBeep.value(), 2);
    EXPECT_EQ(clicks, 2);
    // A user's click on a greyed box ticks it; clicks never make it grey.
    user.click("chkBeep");
    EXPECT_EQ(c.chkBeep.value(), 1);
    EXPECT_EQ(clicks, 3);
    user.click("chkBeep");
    EXPECT_EQ(c.chkBeep.value(), 0);
    EXPECT_EQ(clicks, 4);
    c.cmdOpenLog.onClick = c.chkBeep.onClick;
    user.click("cmdOpenLog");
    EXPECT_EQ(clicks, 5);

    c.txtInterval.setText("500");
    EXPECT_EQ(changes, 0);
    c.txtInterval.setText("250");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(c.txtInterval.text(), "250");
    EXPECT_EQ(user.shownText("txtInterval"), "250");
    // Typed (or pasted) text runs the handler as well.
    user.type("txtInterval", "0");
    EXPECT_EQ(c.txtInterval.text(), "2500");
    EXPECT_EQ(changes, 2);
    // The watched file's path is chosen with "...", never typed.
    c.txtFileName.onChange = c.txtInterval.onChange;
    user.type("txtFileName", "x");
    EXPECT_EQ(c.txtFileName.text(), "");
    EXPECT_EQ(changes, 2);

    c.lblSubTitle.setCaption("v1.2.3");
    EXPECT_EQ(user.shownText("lblSubTitle"), "v1.2.3");
    c.window.setCaption("Sentrel v1.2.3");
    EXPECT_EQ(user.caption(), "Sentrel v1.2.3");
}

TYPED_TEST_P(ViewContract, TheChangeListKeepsRowsInOrderAndShowsThem) {
    auto& user = this->m_user;
    auto& list = this->m_controls.lstLog;
    EXPECT_FALSE(list.subItem(0, ChangeColumn::State).has_value());
    const auto formats = std::make_shared<testsupport::FakeFormats>();
    for (int i = 1; i <= 3; ++i) {
        list.appendRow(
            {{2026, 12, 6, 6, 41, i}, static_cast<modSentrel::FileState>(i - 1), {i, std::nullopt}, formats});
    }
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(user.shownRows(), 3);
    EXPECT_EQ(*list.subItem(3, ChangeColumn::Time), "06/12/2026 06:41:03");
    EXPECT_EQ(*list.subItem(3, ChangeColumn::State), "Error");
    EXPECT_EQ(*list.subItem(3, ChangeColumn::DateModified), "");
    EXPECT_EQ(*list.subItem(3, ChangeColumn::SizeInBytes), "3");
    EXPECT_FALSE(list.subItem(4, ChangeColumn::Time).has_value());
    // What the control draws comes from the same rows.
    for (std::int64_t row = 1; row <= 3; ++row) {
        for (int column = 0; column < kChangeColumnCount; ++column) {
            const auto which = static_cast<ChangeColumn>(column);
            EXPECT_EQ(user.shownCell(row, which), list.subItem(row, which).value_or("?")) << row << "/" << column;
        }
        EXPECT_EQ(user.shownIcon(row), row) << "the row's state picture";
    }
    list.ensureVisible(3);
    list.ensureVisible(4); // no such row: nothing happens
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(user.shownRows(), 0);
}

TYPED_TEST_P(ViewContract, TicksArriveWhileATickWaitsForMessages) {
    auto& user = this->m_user;
    auto& timer = this->m_controls.Timer2;
    int ticks = 0;
    int nested = 0;
    int running = 0;
    int deepest = 0;
    timer.onTick = [&] {
        ++ticks;
        deepest = std::max(deepest, ++running);
        if (ticks == 1) {
            // Like a copy that turns the loop after every chunk.
            const int before = ticks;
            user.pump(std::chrono::milliseconds(300));
            nested = ticks - before;
        }
        --running;
        throw std::runtime_error("a failing tick"); // must not stop the timer
    };
    timer.setInterval(10);
    timer.setEnabled(true);
    EXPECT_TRUE(this->pumpUntil([&] { return nested > 0; }));
    EXPECT_GE(nested, 5) << "ticks must keep arriving inside a long tick";
    EXPECT_EQ(deepest, 2);
    timer.setEnabled(false);
    const int stoppedAt = ticks;
    user.pump(std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, stoppedAt);

    // An interval of 0 gives no ticks without disabling the timer.
    timer.setEnabled(true);
    timer.setInterval(0);
    user.pump(std::chrono::milliseconds(100));
    EXPECT_EQ(ticks, stoppedAt);
    EXPECT_TRUE(timer.enabled());
    timer.setInterval(5);
    EXPECT_TRUE(this->pumpUntil([&] { return ticks > stoppedAt; }));
}

TYPED_TEST_P(ViewContract, APictureBoxKeepsWhatIsPainted) {
    auto& user = this->m_user;
    const auto& c = this->m_controls;
    c.window.show();
    auto& bar = c.picProgress;
    const auto background = user.shownColour("picProgress", 50, 50);
    // The left half red, in twips.
    bar.fillRectangle(0, 0, bar.width() / 2, bar.height(), view::Colour::rgb(200, 0, 0));
    EXPECT_EQ(user.shownColour("picProgress", 25, 50), 0xC80000u);
    EXPECT_EQ(user.shownColour("picProgress", 75, 50), background);
    bar.clear();
    EXPECT_EQ(user.shownColour("picProgress", 25, 50), background);

    // A frame of the animation covers its box's middle.
    const auto empty = user.shownColour("picAni", 50, 50);
    c.picAni.showImage(1);
    EXPECT_NE(user.shownColour("picAni", 50, 50), empty);
}

TYPED_TEST_P(ViewContract, WindowStatesAndClosing) {
    auto& user = this->m_user;
    auto& window = this->m_controls.window;
    int resized = 0;
    window.onResize = [&] {
        ++resized;
        throw std::runtime_error("a failing handler");
    };
    window.show();
    EXPECT_TRUE(user.visible());
    window.setState(view::WindowState::Minimized);
    EXPECT_EQ(window.state(), view::WindowState::Minimized);
    EXPECT_TRUE(this->pumpUntil([&] { return resized > 0; }));
    window.setState(view::WindowState::Normal);
    EXPECT_EQ(window.state(), view::WindowState::Normal);
    window.bringToFront();

    window.close();
    EXPECT_EQ(user.closes(), 0) << "closing is queued";
    EXPECT_TRUE(this->pumpUntil([&] { return user.closes() == 1; }));
    EXPECT_FALSE(user.visible());
    window.show(); // a closed window still exists until the program ends
    EXPECT_TRUE(user.visible());
}

// A row leads to its copy by its tooltip, a double click, Enter and its
// context menu, whose commands are greyed for a row that has no copy.
TYPED_TEST_P(ViewContract, ARowOffersItsCopyByTooltipDoubleClickEnterAndMenu) {
    auto& user = this->m_user;
    auto& list = this->m_controls.lstLog;
    this->m_controls.window.show();
    using Commands = std::vector<std::pair<std::int64_t, view::RowCommand>>;
    Commands commands;
    list.copyOffer = [](std::int64_t row) {
        return row == 2 ? view::RowCopyOffer{true, "Copy: two"} : view::RowCopyOffer{false, "No copy: why"};
    };
    list.onRowCommand = [&](std::int64_t row, view::RowCommand command) { commands.emplace_back(row, command); };
    // As the core answers a row's menu: greyed unless the row has a copy.
    list.onRowMenu = [&](std::int64_t row) {
        if (const auto chosen = list.popupRowMenu(row == 2)) {
            commands.emplace_back(row, *chosen);
        }
    };
    const auto formats = std::make_shared<testsupport::FakeFormats>();
    for (int i = 1; i <= 2; ++i) {
        list.appendRow({{2026, 12, 8, 10, 42, i}, modSentrel::fsFree, {i, std::nullopt}, formats});
    }
    EXPECT_EQ(user.rowTip(1), "No copy: why");
    EXPECT_EQ(user.rowTip(2), "Copy: two");

    user.doubleClickRow(2);
    user.pressEnterOnRow(2);
    using enum view::RowCommand;
    EXPECT_EQ(commands, (Commands{{2, OpenCopy}, {2, OpenCopy}}));
    commands.clear();

    for (const std::int64_t row : {1, 2}) {
        const auto items = user.chooseLastRowMenuItem(row);
        ASSERT_EQ(items.size(), view::kRowMenu.size()) << "the menu of row " << row;
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].caption, view::kRowMenu[i].caption) << row;
            EXPECT_EQ(items[i].greyed, row != 2) << items[i].caption << " on row " << row;
        }
    }
    EXPECT_EQ(commands, (Commands{{2, CopyPath}})) << "a greyed command is not chosen";
}

REGISTER_TYPED_TEST_SUITE_P(ViewContract, StartsAsTheTableDesignsIt,
                            ValuesSetFromCodeOrByTheUserRunTheHandlersOnlyOnChange,
                            TheChangeListKeepsRowsInOrderAndShowsThem, TicksArriveWhileATickWaitsForMessages,
                            APictureBoxKeepsWhatIsPainted, WindowStatesAndClosing,
                            ARowOffersItsCopyByTooltipDoubleClickEnterAndMenu);
