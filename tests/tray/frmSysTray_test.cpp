// The tray component's records, menu and events, through a recording shell.

#include "support/fakeTray.h"
#include "tray/frmSysTray.h"
#include "tray/notifyIconProtocol.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using platform::NotifyMessage;
using testsupport::FakeTray;

// GetVersion values: major in bits 0-7, minor in bits 8-15, bit 31 set
// outside the NT family.
constexpr std::uint32_t kWindows8 = 0x23F00206;
constexpr std::uint32_t kWindows2000 = 0x08930005;
constexpr std::uint32_t kNt4 = 0x05650004;
constexpr std::uint32_t kWindowsMe = 0xC0005A04;
constexpr std::uint32_t kWindows98 = 0xC0000A04;

std::string repeated(char c, std::size_t count) {
    return std::string(count, c);
}

// The UTF-16LE bytes of a wide record's text field, as characters.
template <std::size_t N>
std::u16string units(const std::array<std::uint8_t, N>& field) {
    std::u16string out;
    for (std::size_t i = 0; i < N; i += 2) {
        out += static_cast<char16_t>(field[i] | (field[i + 1] << 8));
    }
    return out;
}

template <std::size_t N>
std::u16string units(const std::array<char16_t, N>& field) {
    return std::u16string(field.begin(), field.end());
}

class TrayTest : public ::testing::Test {
protected:
    std::unique_ptr<frmSysTray> make(std::uint32_t version) {
        auto tray = std::make_unique<frmSysTray>(m_fake, m_fake, [version] { return version; });
        SysTrayEvents events;
        events.SysTrayMouseDown = [this](std::int32_t b) { m_events.push_back("down " + std::to_string(b)); };
        events.SysTrayMouseUp = [this](std::int32_t b) { m_events.push_back("up " + std::to_string(b)); };
        events.SysTrayMouseMove = [this] { m_events.push_back("move"); };
        events.SysTrayDoubleClick = [this](std::int32_t b) { m_events.push_back("dblclick " + std::to_string(b)); };
        events.MenuClick = [this](std::int32_t i, const std::string& key) {
            m_events.push_back("menu " + std::to_string(i) + " " + key);
        };
        events.BalloonShow = [this] { m_events.push_back("balloon show"); };
        events.BalloonHide = [this] { m_events.push_back("balloon hide"); };
        events.BalloonTimeOut = [this] { m_events.push_back("balloon timeout"); };
        events.BalloonClicked = [this] { m_events.push_back("balloon clicked"); };
        tray->setEvents(events);
        return tray;
    }

    std::vector<NotifyMessage> messages() const {
        std::vector<NotifyMessage> out;
        for (const auto& call : m_fake.calls) {
            out.push_back(call.message);
        }
        return out;
    }

    FakeTray m_fake;
    std::vector<std::string> m_events;
};

TEST_F(TrayTest, LoadChoosesTheInterfaceFromTheVersionAndAddsTheIcon) {
    struct Case {
        const char* system;
        std::uint32_t version;
        bool wide;
        bool shell5;
        std::uint32_t cbSize;
    };
    const Case cases[] = {
        {"Windows 8", kWindows8, true, true, 936},
        {"Windows 2000", kWindows2000, true, true, 936},
        {"NT 4", kNt4, true, false, 152},
        {"Windows Me", kWindowsMe, false, true, 488},
        {"Windows 98", kWindows98, false, false, 88},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system);
        m_fake.calls.clear();
        auto tray = make(c.version);
        EXPECT_FALSE(tray->isLoaded());
        tray->ShowBalloonTip("File Changed", "Sentrel");
        EXPECT_EQ(tray->isWide(), c.wide);
        EXPECT_EQ(tray->isShell5(), c.shell5);

        std::vector<NotifyMessage> expected{NotifyMessage::Add};
        if (c.shell5) {
            expected = {NotifyMessage::Add, NotifyMessage::SetVersion, NotifyMessage::Modify};
        }
        ASSERT_EQ(messages(), expected);
        for (const auto& call : m_fake.calls) {
            EXPECT_EQ(call.wide, c.wide);
        }
        const auto checkAdded = [&](const auto& added) {
            EXPECT_EQ(added.cbSize, c.cbSize);
            EXPECT_EQ(added.hWnd, m_fake.handles.window);
            EXPECT_EQ(added.uID, m_fake.handles.icon);
            EXPECT_EQ(added.hIcon, m_fake.handles.icon);
            EXPECT_EQ(added.uFlags, 7u);
            EXPECT_EQ(added.uCallbackMessage, tray::kCallbackMessage);
            EXPECT_EQ(added.uTimeout, c.shell5 ? 3u : 0u);
        };
        if (c.wide) {
            checkAdded(m_fake.calls[0].w);
        } else {
            checkAdded(m_fake.calls[0].a);
        }
        if (c.shell5) {
            // The version call passes the very record of the add.
            EXPECT_EQ(m_fake.calls[1].w.uTimeout, m_fake.calls[0].w.uTimeout);
            EXPECT_EQ(m_fake.calls[1].a.uTimeout, m_fake.calls[0].a.uTimeout);
        }
    }
}

TEST_F(TrayTest, TooltipsAreCutToTheFieldOfTheShellInUse) {
    struct Case {
        std::uint32_t version;
        std::size_t kept;
    };
    // Wide: 127 characters on shell 5, 63 before; narrow: the whole
    // 128-character field, whose NUL falls off a long text.
    for (const Case c : {Case{kWindows8, 127}, Case{kNt4, 63}, Case{kWindowsMe, 128}, Case{kWindows98, 128}}) {
        SCOPED_TRACE(c.version);
        m_fake.calls.clear();
        auto tray = make(c.version);
        tray->ToolTip(repeated('x', 200));
        EXPECT_EQ(tray->ToolTip(), repeated('x', c.kept));
        ASSERT_FALSE(m_fake.calls.empty());
        const auto& modify = m_fake.calls.back();
        EXPECT_EQ(modify.message, NotifyMessage::Modify);
        EXPECT_EQ(modify.wide ? modify.w.uFlags : modify.a.uFlags, 4u);

        // A shorter text after a long one leaves nothing of the long one behind.
        tray->ToolTip("Sentrel v1.27");
        EXPECT_EQ(tray->ToolTip(), "Sentrel v1.27");
        if (tray->isWide()) {
            const std::u16string field = units(m_fake.calls.back().w.szTip);
            const std::size_t used = tray->isShell5() ? 128 : 64;
            EXPECT_EQ(field.substr(0, used), u"Sentrel v1.27" + std::u16string(used - 13, u'\0'));
        } else {
            const std::u16string field = units(m_fake.calls.back().a.szTip);
            EXPECT_EQ(field, u"Sentrel v1.27" + std::u16string(1, u'\0') + std::u16string(114, u' '));
        }
    }
}

TEST_F(TrayTest, TooltipKeepsNonAsciiTextAndNeverSplitsASurrogatePair) {
    auto tray = make(kWindows8);
    tray->ToolTip("Überwachung – äöü");
    EXPECT_EQ(tray->ToolTip(), "Überwachung – äöü");
    // 126 characters and one outside the BMP (two UTF-16 units): the pair does
    // not fit the 127 units, and half of it would be garbage.
    tray->ToolTip(repeated('a', 126) + "\xF0\x9F\x98\x80");
    EXPECT_EQ(tray->ToolTip(), repeated('a', 126));
    tray->ToolTip(repeated('a', 125) + "\xF0\x9F\x98\x80");
    EXPECT_EQ(tray->ToolTip(), repeated('a', 125) + "\xF0\x9F\x98\x80");

    // The narrow field's NUL takes the place of a pair that does not fit.
    auto narrow = make(kWindowsMe);
    narrow->ToolTip(repeated('a', 127) + "\xF0\x9F\x98\x80");
    EXPECT_EQ(narrow->ToolTip(), repeated('a', 127));
    EXPECT_EQ(units(m_fake.calls.back().a.szTip), std::u16string(127, u'a') + u'\0');
}

TEST_F(TrayTest, AnEmptyTooltipClearsItOnEitherForm) {
    for (const std::uint32_t version : {kWindows8, kWindowsMe}) {
        auto tray = make(version);
        tray->ToolTip("Sentrel");
        tray->ToolTip("");
        EXPECT_EQ(tray->ToolTip(), "");
    }
}

TEST_F(TrayTest, BalloonFieldsAreCutAndTheRestOfTheRecordStays) {
    auto tray = make(kWindows8);
    tray->ToolTip("tip");
    tray->IconHandle(0x5000);
    tray->ShowBalloonTip(repeated('m', 300), repeated('t', 100), 2, 5000);
    const auto& call = m_fake.calls.back();
    ASSERT_TRUE(call.wide);
    EXPECT_EQ(call.message, NotifyMessage::Modify);
    EXPECT_EQ(call.w.uFlags, 16u);
    EXPECT_EQ(call.w.uTimeout, 5000u);
    EXPECT_EQ(call.w.dwInfoFlags, 2u);
    EXPECT_EQ(units(call.w.szInfo), std::u16string(255, u'm') + u'\0');
    EXPECT_EQ(units(call.w.szInfoTitle), std::u16string(63, u't') + u'\0');
    EXPECT_EQ(call.w.hIcon, 0x5000u);
    EXPECT_EQ(call.w.uCallbackMessage, tray::kCallbackMessage);
    EXPECT_EQ(tray->ToolTip(), "tip");

    // The time-out left out is 30 seconds.
    tray->ShowBalloonTip("File Changed", "Sentrel", 1);
    EXPECT_EQ(m_fake.calls.back().w.uTimeout, 30000u);
}

TEST_F(TrayTest, NarrowBalloonFieldsAreBlankPaddedWithoutNul) {
    auto tray = make(kWindowsMe);
    tray->ShowBalloonTip("File Changed", repeated('t', 100));
    const auto& call = m_fake.calls.back();
    ASSERT_FALSE(call.wide);
    EXPECT_EQ(call.a.uFlags, 16u);
    EXPECT_EQ(units(call.a.szInfo), u"File Changed" + std::u16string(244, u' '));
    EXPECT_EQ(units(call.a.szInfoTitle), std::u16string(64, u't'));
}

TEST_F(TrayTest, IconHandleSendsAModifyOnlyForANewHandle) {
    auto tray = make(kWindows8);
    const std::size_t afterLoad = (tray->IconHandle(), m_fake.calls.size());
    tray->IconHandle(m_fake.handles.icon);
    EXPECT_EQ(m_fake.calls.size(), afterLoad);
    tray->IconHandle(0x7FFF'0000'1234);
    ASSERT_EQ(m_fake.calls.size(), afterLoad + 1);
    EXPECT_EQ(m_fake.calls.back().message, NotifyMessage::Modify);
    EXPECT_EQ(m_fake.calls.back().w.uFlags, 2u);
    EXPECT_EQ(m_fake.calls.back().w.hIcon, 0x7FFF'0000'1234u);
    EXPECT_EQ(tray->IconHandle(), 0x7FFF'0000'1234u);
    tray->IconHandle(0x7FFF'0000'1234);
    EXPECT_EQ(m_fake.calls.size(), afterLoad + 1);
}

TEST_F(TrayTest, CallbackValuesRaiseTheirEvents) {
    auto tray = make(kWindows8);
    tray->ToolTip("loaded");
    const std::pair<std::int32_t, const char*> table[] = {
        {tray::callback::MouseMove, "move"},
        {tray::callback::LeftButtonDown, "down 1"},
        {tray::callback::LeftButtonUp, "up 1"},
        {tray::callback::LeftDoubleClick, "dblclick 1"},
        {tray::callback::RightButtonDown, "down 2"},
        {tray::callback::RightButtonUp, "up 2"},
        {tray::callback::RightDoubleClick, "dblclick 2"},
        {tray::callback::BalloonShow, "balloon show"},
        {tray::callback::BalloonHide, "balloon hide"},
        {tray::callback::BalloonTimeOut, "balloon timeout"},
        {tray::callback::BalloonClicked, "balloon clicked"},
        // The middle button, WM_CONTEXTMENU, NIN_SELECT, NIN_KEYSELECT.
        {519, nullptr},
        {520, nullptr},
        {123, nullptr},
        {1024, nullptr},
        {1025, nullptr},
        {0, nullptr},
    };
    for (const auto& [value, expected] : table) {
        SCOPED_TRACE(value);
        m_events.clear();
        m_fake.deliver(value);
        if (expected) {
            EXPECT_EQ(m_events, std::vector<std::string>{expected});
        } else {
            EXPECT_TRUE(m_events.empty());
        }
    }
}

TEST_F(TrayTest, MenuItemsTakeIndexesInTurnAndTheLastDefaultWins) {
    auto tray = make(kWindows8);
    EXPECT_EQ(tray->AddMenuItem("&Open Sentrel", "open", true), 0);
    EXPECT_EQ(tray->AddMenuItem("-"), 1);
    EXPECT_EQ(tray->AddMenuItem("&Close", "close"), 2);
    EXPECT_EQ(tray->DefaultMenuIndex(), 0);
    EXPECT_EQ(tray->AddMenuItem("&Later", "later", true), 3);
    EXPECT_EQ(tray->DefaultMenuIndex(), 3);

    tray->DefaultMenuIndex(7);
    EXPECT_EQ(tray->DefaultMenuIndex(), 0);
    tray->DefaultMenuIndex(-1);
    EXPECT_EQ(tray->DefaultMenuIndex(), 0);
    tray->DefaultMenuIndex(2);
    EXPECT_EQ(tray->DefaultMenuIndex(), 2);
}

TEST_F(TrayTest, RemovingAnItemMovesCaptionsAndKeysButNotFlags) {
    auto tray = make(kWindows8);
    for (const char* name : {"A", "B", "C", "D"}) {
        tray->AddMenuItem(name, std::string("key") + name);
    }
    tray->EnableMenuItem(2, false);
    tray->EnableMenuItem(9, false); // ignored
    tray->RemoveMenuItem(1);
    tray->RemoveMenuItem(4); // ignored
    const auto& items = tray->menuItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].caption, "A");
    EXPECT_EQ(items[1].caption, "C");
    EXPECT_EQ(items[1].key, "keyC");
    EXPECT_EQ(items[2].caption, "D");
    EXPECT_EQ(items[2].key, "keyD");
    EXPECT_TRUE(items[1].enabled);
    EXPECT_FALSE(items[2].enabled);

    tray->RemoveMenuItem(0);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].caption, "");
    EXPECT_EQ(items[0].key, "keyA");
    EXPECT_TRUE(items[0].visible);
}

TEST_F(TrayTest, ShowMenuPassesTheItemsAndReportsTheChoiceByKey) {
    auto tray = make(kWindows8);
    tray->AddMenuItem("&Open Sentrel", "open", true);
    tray->AddMenuItem("-");
    tray->AddMenuItem("&Close", "close");
    tray->EnableMenuItem(2, false);

    m_fake.choice = 2;
    tray->ShowMenu();
    ASSERT_EQ(m_fake.shownItems.size(), 3u);
    EXPECT_EQ(m_fake.shownItems[0].caption, "&Open Sentrel");
    EXPECT_EQ(m_fake.shownItems[1].caption, "-");
    EXPECT_FALSE(m_fake.shownItems[2].enabled);
    EXPECT_EQ(m_fake.shownDefault, 0);
    EXPECT_EQ(m_events, std::vector<std::string>{"menu 2 close"});

    m_events.clear();
    m_fake.choice.reset();
    tray->ShowMenu();
    EXPECT_TRUE(m_events.empty());
}

TEST_F(TrayTest, RemovingTheDefaultItemLeavesTheMenuWithoutOne) {
    auto tray = make(kWindows8);
    tray->AddMenuItem("A", "a");
    tray->AddMenuItem("B", "b", true);
    tray->AddMenuItem("C", "c");
    tray->RemoveMenuItem(1);
    EXPECT_EQ(tray->DefaultMenuIndex(), -1);
    tray->ShowMenu();
    EXPECT_EQ(m_fake.shownDefault, std::nullopt);

    // The default was the last element, which the removal destroyed.
    tray->AddMenuItem("D", "d");
    tray->DefaultMenuIndex(2);
    tray->RemoveMenuItem(1);
    EXPECT_EQ(tray->DefaultMenuIndex(), -1);
    tray->ShowMenu();
    EXPECT_EQ(m_fake.shownDefault, std::nullopt);
}

TEST_F(TrayTest, UnloadRemovesTheIconWithTheStoredRecord) {
    {
        auto tray = make(kWindows8);
        tray->ToolTip("Sentrel");
        tray->Unload();
        ASSERT_EQ(m_fake.calls.back().message, NotifyMessage::Delete);
        EXPECT_EQ(m_fake.calls.back().w.hWnd, m_fake.handles.window);
        EXPECT_EQ(m_fake.destroys, 1);
        // The next member loads again.
        tray->ToolTip("again");
        EXPECT_EQ(m_fake.creates, 2);
    }
    // Destroying the component unloads it; one that never loaded calls nothing.
    EXPECT_EQ(m_fake.calls.back().message, NotifyMessage::Delete);
    EXPECT_EQ(m_fake.destroys, 2);
    m_fake.calls.clear();
    make(kWindows8).reset();
    EXPECT_TRUE(m_fake.calls.empty());
}

TEST_F(TrayTest, TheWindowClosingOrTheShellRestartingKeepsTheIconRight) {
    auto tray = make(kWindows8);
    tray->ToolTip("Sentrel");
    tray->ShowBalloonTip("File Changed", "Sentrel");
    m_fake.calls.clear();
    m_fake.callbacks.shellRestarted();
    ASSERT_EQ(messages(), (std::vector<NotifyMessage>{NotifyMessage::Add, NotifyMessage::SetVersion}));
    EXPECT_EQ(m_fake.calls[0].w.uFlags, 7u);
    EXPECT_EQ(m_fake.calls[0].w.uTimeout, 3u);

    m_fake.calls.clear();
    m_fake.callbacks.closing();
    EXPECT_EQ(messages(), std::vector<NotifyMessage>{NotifyMessage::Delete});
    EXPECT_FALSE(tray->isLoaded());
}

TEST_F(TrayTest, AnEventHandlerMayDestroyTheComponent) {
    // The main window's "close" item unloads the window and with it the
    // component, from inside the component's own ShowMenu.
    auto tray = make(kWindows8);
    SysTrayEvents events;
    events.SysTrayMouseDown = [&](std::int32_t) { tray->ShowMenu(); };
    events.MenuClick = [&](std::int32_t, const std::string& key) {
        m_events.push_back(key);
        tray.reset();
    };
    events.SysTrayMouseUp = [&](std::int32_t) { tray.reset(); };
    tray->setEvents(events);
    tray->AddMenuItem("&Close", "close");
    m_fake.choice = 0;
    m_fake.deliver(tray::callback::RightButtonDown);
    EXPECT_EQ(tray, nullptr);
    EXPECT_EQ(m_events, std::vector<std::string>{"close"});
    EXPECT_EQ(m_fake.calls.back().message, NotifyMessage::Delete);

    tray = make(kWindows8);
    tray->setEvents(events);
    tray->ToolTip("");
    m_fake.deliver(tray::callback::LeftButtonUp);
    EXPECT_EQ(tray, nullptr);
}

} // namespace
