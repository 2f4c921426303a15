#include "log/changeLog.h"

#include "common/userMessage.h"
#include "support/fakeClock.h"
#include "support/tempDir.h"
#include "support/unprivileged.h"
#include "view/listColumns.h"
#include "watch/observeFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

using testsupport::readFile;
using testsupport::TempDir;

namespace {

const ChangeRecord kFreeFile{"Free", "1.5 kb", "1536", "05/12/2026 17:02:11"};
const ChangeRecord kMissingFile{"No File", "Unknown", "Unknown", "Unknown"};

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + separator.size();
    }
}

TEST(LogLine, FieldsInLogOrderWithTheSizesReversedAgainstTheView) {
    EXPECT_EQ(buildLogLine(kFreeFile, "06/12/2026 06:41:39"),
              "06/12/2026 06:41:39,Free,1536,1.5 kb,05/12/2026 17:02:11");
    EXPECT_EQ(buildLogLine(kMissingFile, "06/12/2026 06:41:40"), "06/12/2026 06:41:40,No File,Unknown,Unknown,Unknown");

    // The view's columns for each state as a tick records it hold the texts of
    // the log line of the same look, and no two states read alike.
    const testsupport::FakeClock clock;
    std::set<std::string> names;
    for (const auto state : {modSentrel::fsFree, modSentrel::fsOpen, modSentrel::fsError, modSentrel::fsNoFile}) {
        const auto seen = watch::describe({state, 1536, platform::LocalDateTime{2026, 12, 5, 17, 2, 11}, {}}, clock);
        const ChangeRow row{clock.time, seen.state, seen.values, seen.formats};
        std::vector<std::string> shown;
        for (const auto& column : view::kListColumns) {
            shown.emplace_back(columnText(row, column.column));
        }
        EXPECT_EQ(buildLogLine(seen.record, shown[0]),
                  shown[0] + "," + shown[1] + "," + shown[3] + "," + shown[2] + "," + shown[4]);
        names.insert(shown[1]);
        if (state == modSentrel::fsFree) {
            EXPECT_EQ(shown, (std::vector<std::string>{"06/12/2026 06:41:39", "Free", "1.5 kb", "1536",
                                                       "05/12/2026 17:02:11"}));
        }
    }
    EXPECT_EQ(names.size(), 4U);
}

TEST(LogLine, NothingIsQuotedSoACommaInAFieldAddsAField) {
    const ChangeRecord commaLocale{"Free", "1,5 kb", "1536", "05.12.2026 17:02:11"};
    EXPECT_EQ(split(buildLogLine(commaLocale, "06.12.2026"), ",").size(), 6U);
}

class AppendLogLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousSink = setUserMessageSink([this](const UserMessage& message) { messages.push_back(message); });
    }
    void TearDown() override { setUserMessageSink(m_previousSink); }

    TempDir dir;
    std::string log = dir.path("Log.csv");
    std::vector<UserMessage> messages;

private:
    UserMessageSink m_previousSink;
};

TEST_F(AppendLogLineTest, CreatesTheFileAndAppendsOneCrLfLinePerChange) {
    const std::vector<std::string> lines{buildLogLine(kFreeFile, "06/12/2026 06:41:39"),
                                         buildLogLine(kMissingFile, "06/12/2026 06:41:40"),
                                         buildLogLine(kFreeFile, "06/12/2026 06:41:41")};
    for (const auto& line : lines) {
        modKorvel::AppendLogLine(line, log);
    }
    const auto written = split(readFile(log), "\r\n");
    ASSERT_EQ(written.size(), 4U);
    EXPECT_EQ(written.back(), "");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(written[i], lines[i]);
        EXPECT_EQ(split(written[i], ",").size(), 5U);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(AppendLogLineTest, NeverTruncatesWhatIsThere) {
    dir.write("Log.csv", "earlier run\r\n");
    modKorvel::AppendLogLine("next", log);
    EXPECT_EQ(readFile(log), "earlier run\r\nnext\r\n");
}

TEST_F(AppendLogLineTest, FailuresAreShownAndTheKeptLinesComeFirstOnceTheCauseIsGone) {
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        std::function<void()> cause;
        std::function<void()> cure;
        std::string message;
    };
    const fs::path file = dir.fsPath() / "Log.csv";
    const std::vector<Case> cases{
        {"read-only file",
         [&] {
             dir.write("Log.csv", "kept\r\n");
             fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
         },
         [&] { fs::permissions(file, fs::perms::owner_write, fs::perm_options::add); },
         "Error saving to log: 70 - Permission denied"},
        {"folder", [&] { fs::create_directory(file); },
         [&] {
             fs::remove(file);
             dir.write("Log.csv", "kept\r\n");
         },
         "Error saving to log: 75 - Path/File access error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        c.cause();
        testsupport::runUnprivileged([&] { modKorvel::AppendLogLine("lost", log); });
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_EQ(messages[0].text, c.message);
        EXPECT_EQ(messages[0].icon, MessageIcon::Critical);

        c.cure();
        testsupport::runUnprivileged([&] { modKorvel::AppendLogLine("next", log); });
        EXPECT_EQ(messages.size(), 1U);
        EXPECT_EQ(readFile(log), "kept\r\nlost\r\nnext\r\n");
        fs::remove(file);
    }

    // Still unwritable at the end: the last try fails and the line goes to standard error instead.
    fs::create_directory(file);
    modKorvel::AppendLogLine("unwritten", log);
    EXPECT_EQ(changeLog::unwrittenLines(), 1U);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(changeLog::writeUnwrittenLines());
    const auto said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("1 change(s) could not be written"), std::string::npos) << said;
    EXPECT_NE(said.find("\nunwritten\n"), std::string::npos) << said;
    EXPECT_EQ(changeLog::unwrittenLines(), 0U);
}

} // namespace
