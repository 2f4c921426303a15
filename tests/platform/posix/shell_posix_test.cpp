// Opening a document on Linux: the desktop's opener gets the path as one
// argument, with no shell in between, in the requested working folder. A
// stand-in opener records what it was given.

#include "platform/posix/programs.h"
#include "support/fileHolder.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        opener = bin.write("xdg-open", "#!/bin/sh\n"
                                       "printf '%s\\n' \"$PWD\" \"$#\" \"$1\" > \"$0.log.tmp\"\n"
                                       "/bin/mv \"$0.log.tmp\" \"$0.log\"\n");
        std::filesystem::permissions(bin.fsPath() / "xdg-open", std::filesystem::perms::owner_all);
        log = opener + ".log";
    }
    std::optional<RtError> open(const std::string& file, const std::string& folder) {
        return platform::posix::openDocumentWith(opener, file, folder);
    }

    TempDir bin;
    TempDir work;
    std::string opener;
    std::string log;
};

TEST_F(ShellOpenTest, PassesThePathAsOneArgumentInTheWorkingFolder) {
    const auto document = work.write("my $(touch pwned) 'report'; x.csv", "x");
    EXPECT_FALSE(open(document, work.path()));
    ASSERT_TRUE(testsupport::waitForFile(log, 30));
    EXPECT_EQ(testsupport::readFile(log), work.path() + "\n1\n" + document + "\n");
    EXPECT_FALSE(std::filesystem::exists(work.fsPath() / "pwned"));
}

TEST_F(ShellOpenTest, AMissingDocumentShowsNoMessage) {
    EXPECT_FALSE(open(work.path("missing.csv"), work.path())) << "the opener reports it, not the program";
    ASSERT_TRUE(testsupport::waitForFile(log, 30));
}

TEST_F(ShellOpenTest, ARelativeNameStartingWithADashIsNoOption) {
    EXPECT_FALSE(open("-report.csv", work.path()));
    ASSERT_TRUE(testsupport::waitForFile(log, 30));
    EXPECT_EQ(testsupport::readFile(log), work.path() + "\n1\n./-report.csv\n");
}

TEST_F(ShellOpenTest, NoOpenerOnTheSystemIsReported) {
    const auto failure = platform::posix::openDocumentWith(std::nullopt, "/tmp/report.csv", "/tmp");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->text(), "53 - File not found");
}

} // namespace
