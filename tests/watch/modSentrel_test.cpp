#include "watch/modSentrel.h"
#include "watch/observeFile.h"

#include "common/modKorvel.h"
#include "platform/files.h"
#include "support/fileHolder.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace modSentrel;
using testsupport::FileHolder;
using testsupport::TempDir;

namespace {

TEST(FormatFileSize, UnitsThresholdsAndRounding) {
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"0", "0 bytes"},
        {"1024", "1024 bytes"},
        {"1025", "1 kb"},
        {"1152", "1.12 kb"}, // 1.125: the exact half goes to the even digit
        {"1160", "1.13 kb"}, // 1.1328125
        {"1536", "1.5 kb"},
        {"1048576", "1024 kb"},
        {"1048577", "1 mb"},
        {"1073741824", "1024 mb"},
        {"1073741825", "1 gb"},
        {"3221225472", "3 gb"},
        {"1099511627776", "1024 gb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatFileSize(c.input, "."), c.expected) << c.input;
    }
}

TEST(FormatFileSize, TextThatIsNoNumberComesBackUnchanged) {
    EXPECT_EQ(FormatFileSize("Unknown", "."), "Unknown");
    EXPECT_EQ(FormatFileSize("", "."), "");
    EXPECT_EQ(FormatFileSize("12 bytes", "."), "12 bytes");
    // Small counts keep the caller's own text, blanks and all.
    EXPECT_EQ(FormatFileSize(" 12", "."), " 12 bytes");
}

TEST(FormatFileSize, UsesTheLocalesDecimalSeparator) {
    EXPECT_EQ(FormatFileSize("1536", ","), "1,5 kb");
    EXPECT_EQ(FormatFileSize("1152", ","), "1,12 kb");
    EXPECT_EQ(FormatFileSize("1536,0", ","), "1,5 kb");
}

class ProbeTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(ProbeTest, NoFileForFoldersMissingAndEmptyPaths) {
    std::filesystem::create_directory(dir.fsPath() / "folder");
    EXPECT_EQ(GetFileState(dir.path("folder")), fsNoFile);
    EXPECT_EQ(GetFileState(dir.path()), fsNoFile);
    EXPECT_EQ(GetFileState(dir.path("missing.csv")), fsNoFile);
    EXPECT_EQ(GetFileState(""), fsNoFile);
    EXPECT_FALSE(IsFileLocked(dir.path("missing.csv")));
    EXPECT_FALSE(IsFileLocked(""));
}

TEST_F(ProbeTest, OpenWhileAnotherProcessHoldsTheFileThenFree) {
    for (const char* mode : {"r", "w"}) {
        SCOPED_TRACE(mode);
        const auto file = dir.write("current.csv", "1,2,3\r\n");
        EXPECT_EQ(GetFileState(file), fsFree);
        {
            FileHolder holder(file, mode);
            ASSERT_TRUE(holder.holding());
            EXPECT_EQ(GetFileState(file), fsOpen);
            EXPECT_TRUE(IsFileLocked(file));
            EXPECT_EQ(GetFileState(file), fsOpen) << "probing must not disturb the holder";
            EXPECT_EQ(holder.release(), 0);
        }
        EXPECT_EQ(GetFileState(file), fsFree);
        EXPECT_FALSE(IsFileLocked(file));
    }
}

TEST_F(ProbeTest, ReadOnlyFileNobodyHoldsIsFree) {
    const auto file = dir.write("readonly.csv", "x");
    std::filesystem::permissions(dir.fsPath() / "readonly.csv", std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::replace);
    EXPECT_EQ(GetFileState(file), fsFree);
}

TEST_F(ProbeTest, ProbingLeavesContentAndDateModifiedAlone) {
    const auto file = dir.write("current.csv", "content");
    const auto native = dir.fsPath() / "current.csv";
    const auto past = std::filesystem::last_write_time(native) - std::chrono::hours(30);
    std::filesystem::last_write_time(native, past);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(GetFileState(file), fsFree);
    }
    EXPECT_EQ(std::filesystem::last_write_time(native), past);
    EXPECT_EQ(testsupport::readFile(file), "content");
}

TEST_F(ProbeTest, FilesOfThreeGibibytesKeepTheirExactSize) {
    const auto file = dir.write("big.bin", "");
    std::filesystem::resize_file(dir.fsPath() / "big.bin", 3221225472ull); // sparse: no data is written
    const auto length = platform::fileLength(file);
    ASSERT_TRUE(length.has_value());
    EXPECT_EQ(*length, 3221225472ll);
    EXPECT_EQ(FormatFileSize(std::to_string(*length), "."), "3 gb");
    EXPECT_EQ(GetFileState(file), fsFree);
}

} // namespace
