#include "tray/RestoreFromTrayMessage.h"

#include "support/fakeView.h"
#include "tray/notifyIconProtocol.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(RestoreFromTrayMessage, ActsOnLeftAndRightButtonReleasesOnly) {
    testsupport::FakeWindow window;
    window.setState(view::WindowState::Minimized);
    int popups = 0;
    const std::function<void()> menu = [&] { ++popups; };

    modKorvel::RestoreFromTrayMessage(window, 0, tray::callback::LeftButtonDown * 15.0f, 15.0f, menu);
    EXPECT_FALSE(window.visible);
    modKorvel::RestoreFromTrayMessage(window, 0, tray::callback::LeftButtonUp * 15.0f + 7, 15.0f); // rounds down
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.state(), view::WindowState::Normal);
    EXPECT_EQ(window.broughtToFront, 1);
    EXPECT_EQ(popups, 0);

    window.hide();
    modKorvel::RestoreFromTrayMessage(window, 2, tray::callback::RightButtonUp * 12.0f, 12.0f, menu);
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(popups, 1);
    modKorvel::RestoreFromTrayMessage(window, 2, tray::callback::RightButtonUp * 12.0f, 0.0f,
                                      menu); // no scale: message 0
    EXPECT_EQ(popups, 1);
}

} // namespace
