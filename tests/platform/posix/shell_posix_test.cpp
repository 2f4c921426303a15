// Opening a document on Linux: the desktop's opener gets the path as one
// argument, with no shell in between, in the requested working folder.

#include "common/modKorvel.h"
#include "common/userMessage.h"
#include "support/fileHolder.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        m_savedPath = path != nullptr ? path : "";
        m_savedSink = setUserMessageSink([this](const UserMessage& message) { messages.push_back(message); });
        // A stand-in for the desktop's opener that records what it was given.
        const auto opener = bin.write("xdg-open", "#!/bin/sh\n"
                                                  "printf '%s\\n' \"$PWD\" \"$#\" \"$1\" > \"$0.log.tmp\"\n"
                                                  "/bin/mv \"$0.log.tmp\" \"$0.log\"\n");
        std::filesystem::permissions(bin.fsPath() / "xdg-open", std::filesystem::perms::owner_all);
        log = opener + ".log";
    }
    void TearDown() override {
        ::setenv("PATH", m_savedPath.c_str(), 1);
        setUserMessageSink(m_savedSink);
    }
    void useOnlyFakeOpener() { ::setenv("PATH", bin.path().c_str(), 1); }

    TempDir bin;
    TempDir work;
    std::string log;
    std::vector<UserMessage> messages;

private:
    std::string m_savedPath;
    UserMessageSink m_savedSink;
};

TEST_F(ShellOpenTest, PassesThePathAsOneArgumentInTheWorkingFolder) {
    useOnlyFakeOpener();
    const auto document = work.write("my $(touch pwned) 'report'; x.csv", "x");
    modKorvel::ShellOpen(document, work.path(), std::nullopt);
    ASSERT_TRUE(testsupport::waitForFile(log, 30));
    EXPECT_EQ(testsupport::readFile(log), work.path() + "\n1\n" + document + "\n");
    EXPECT_FALSE(std::filesystem::exists(work.fsPath() / "pwned"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShellOpenTest, AMissingDocumentShowsNoMessage) {
    useOnlyFakeOpener();
    modKorvel::ShellOpen(work.path("missing.csv"), work.path(), std::nullopt);
    ASSERT_TRUE(testsupport::waitForFile(log, 30));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ShellOpenTest, ARelativeNameStartingWithADashIsNoOption) {
    useOnlyFakeOpener();
    modKorvel::ShellOpen("-report.csv", work.path(), std::nullopt);
    ASSERT_TRUE(testsupport::waitForFile(log, 30));
    EXPECT_EQ(testsupport::readFile(log), work.path() + "\n1\n./-report.csv\n");
}

TEST_F(ShellOpenTest, NoOpenerOnTheSystemIsReported) {
    ::setenv("PATH", work.path().c_str(), 1);
    modKorvel::ShellOpen("/tmp/report.csv", "/tmp", std::nullopt);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "An error occurred opening '/tmp/report.csv': 53 - File not found");
    EXPECT_EQ(messages[0].title, "Sentrel");
    EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
}

} // namespace
