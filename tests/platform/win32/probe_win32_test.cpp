// The file probe on Windows: hidden and system files are not seen, and a
// handle of another process with full sharing still reads as "Open".

#include "common/modKorvel.h"
#include "platform/clock.h"
#include "platform/fileio.h"
#include "platform/locale.h"
#include "platform/win32/text.h"
#include "support/fileHolder.h"
#include "support/tempDir.h"
#include "watch/modSentrel.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

using namespace modSentrel;
using testsupport::TempDir;

namespace {

class Win32Probe : public ::testing::Test {
protected:
    void setAttributes(const std::string& path, DWORD attributes) {
        ASSERT_TRUE(::SetFileAttributesW(platform::win32::wideFromUtf8(path).c_str(), attributes));
    }
    TempDir dir;
};

TEST_F(Win32Probe, HiddenAndSystemFilesAreNotSeen) {
    const auto hidden = dir.write("hidden.csv", "x");
    setAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
    const auto system = dir.write("system.csv", "x");
    setAttributes(system, FILE_ATTRIBUTE_SYSTEM);
    const auto archived = dir.write("archived.csv", "x");
    setAttributes(archived, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);

    EXPECT_FALSE(modKorvel::FileExists(hidden));
    EXPECT_EQ(GetFileState(hidden), fsNoFile);
    EXPECT_FALSE(modKorvel::FileExists(system));
    EXPECT_EQ(GetFileState(system), fsNoFile);
    EXPECT_TRUE(modKorvel::FileExists(archived));
    EXPECT_EQ(GetFileState(archived), fsFree) << "read-only: access denied is no sharing violation";

    // A wildcard that matches a listed file still has no attributes of its own.
    EXPECT_FALSE(modKorvel::FileExists(dir.path("arch*.csv")));
    setAttributes(archived, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Probe, HandleOfAnotherProcessIsSeenWhateverItShares) {
    const auto file = dir.write("shared.csv", "x");
    testsupport::FileHolder holder(file, "r"); // the C runtime opens with full sharing
    ASSERT_TRUE(holder.holding());
    EXPECT_TRUE(IsFileLocked(file));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "the probe leaves no error behind";
    EXPECT_EQ(holder.release(), 0);
    EXPECT_FALSE(IsFileLocked(file));
}

// Our own copier's read handle is not another program's: the probe waits for the read to end.
TEST_F(Win32Probe, OurOwnReadIsNotAHolder) {
    const auto file = dir.write("copied.csv", "x");
    platform::File source;
    ASSERT_FALSE(source.openForRead(file));
    std::thread copier([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        source.close();
    });
    EXPECT_FALSE(IsFileLocked(file));
    copier.join();
}

// Dates in a format value taken earlier: the pictures and day-half
// designators it holds, whatever the user's settings say now.
TEST(GeneralDateTextWin32, AFormatValueWritesLikeTheUsersFormatAndKeepsItsDesignators) {
    for (const platform::LocalDateTime& time :
         {platform::LocalDateTime{2026, 12, 5, 5, 2, 11}, platform::LocalDateTime{2026, 12, 5, 17, 2, 11}}) {
        SYSTEMTIME parts{};
        parts.wYear = 2026;
        parts.wMonth = 12;
        parts.wDay = 5;
        parts.wHour = static_cast<WORD>(time.hour);
        parts.wMinute = 2;
        parts.wSecond = 11;
        wchar_t date[128] = {};
        wchar_t clock[128] = {};
        ASSERT_NE(::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &parts, nullptr, date, 128, nullptr), 0);
        ASSERT_NE(::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &parts, nullptr, clock, 128), 0);
        EXPECT_EQ(platform::generalDateText(time, platform::userDateFormat()),
                  platform::win32::utf8FromWide(date) + " " + platform::win32::utf8FromWide(clock));
    }

    const platform::DateFormat earlier{"", "dd/MM/yyyy", "hh:mm:ss tt '(t)' t", {"vm.", "n'm"}};
    EXPECT_EQ(platform::generalDateText({2026, 12, 5, 17, 2, 11}, earlier), "05/12/2026 05:02:11 n'm (t) n");
    EXPECT_EQ(platform::generalDateText({2026, 12, 5, 5, 2, 11}, earlier), "05/12/2026 05:02:11 vm. (t) v");
    const platform::DateFormat noDesignators{"", "dd/MM/yyyy", "HH:mm:ss tt", {"", ""}};
    EXPECT_EQ(platform::generalDateText({2026, 12, 5, 17, 2, 11}, noDesignators), "05/12/2026 17:02:11 ");
    EXPECT_EQ(platform::generalDateText({2026, 12, 5, 0, 0, 0}, noDesignators), "05/12/2026");
}

} // namespace
