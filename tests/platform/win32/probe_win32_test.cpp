// The file probe on Windows: hidden and system files are not seen, and a
// handle of another process with full sharing still reads as "Open".

#include "common/modKorvel.h"
#include "platform/fileio.h"
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

} // namespace
