// The program as a user runs it: build/sentrel copied alone into a fresh
// folder with a Settings.ini that switches monitoring on, a real file changed
// under it, and what it leaves in Log.csv and Copies.

#include "copies/unfinishedCopies.h"
#include "support/childProcess.h"
#include "support/tempDir.h"
#include "support/waitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace {

using testsupport::waitFor;

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Copies the program alone into `app` with settings that watch `watched`, and starts it.
std::optional<testsupport::ChildProcess> startAlone(const testsupport::TempDir& app, const std::string& interval,
                                                    const std::string& watched) {
    const auto program = app.fsPath() / "sentrel";
    std::filesystem::copy_file(SENTREL_EXECUTABLE, program);
    app.write("Settings.ini", "[Main]\r\nINTERVAL=" + interval +
                                  "\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return testsupport::ChildProcess::start({program.string()});
}

TEST(EndToEnd, WatchesLogsAndCopiesFromItsOwnFolder) {
    testsupport::TempDir app;
    testsupport::TempDir data;
    const auto watched = data.write("current.csv", "a,b\r\n");
    auto child = startAlone(app, "100", watched);
    ASSERT_TRUE(child.has_value());

    const auto log = app.path("Log.csv");
    ASSERT_TRUE(waitFor([&] { return lineCount(testsupport::readFile(log)) >= 1; }, std::chrono::seconds(30)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    data.write("current.csv", "a,b\r\nc,d\r\n");
    ASSERT_TRUE(waitFor([&] { return lineCount(testsupport::readFile(log)) >= 2; }, std::chrono::seconds(30)));
    ASSERT_TRUE(waitFor(
        [&] {
            std::size_t copies = 0;
            for (const auto& entry : std::filesystem::directory_iterator(app.fsPath() / "Copies")) {
                copies += testsupport::readFile(testsupport::utf8(entry.path())) == "a,b\r\nc,d\r\n" ? 1 : 0;
            }
            return copies >= 1;
        },
        std::chrono::seconds(30)));
    child.reset(); // ends the program

    const auto text = testsupport::readFile(log);
    EXPECT_EQ(lineCount(text), 2u);
    EXPECT_NE(text.find(",Free,5,5 bytes,"), std::string::npos) << text;
    EXPECT_NE(text.find(",Free,10,10 bytes,"), std::string::npos) << text;
    const auto settings = testsupport::readFile(app.path("Settings.ini"));
    EXPECT_NE(settings.find("MONITOR=1"), std::string::npos);
    EXPECT_NE(settings.find("FOLLOWLOG=1"), std::string::npos) << "defaults are written back";
}

TEST(EndToEnd, TheSessionEndingDuringACopyLetsTheCopyFinish) {
    testsupport::TempDir app;
    testsupport::TempDir data;
    const auto watched = data.write("export.csv", "");
    const std::uintmax_t size = 768ull << 20;
    {
        std::ofstream big(std::filesystem::path(watched), std::ios::binary);
        const std::string block(1 << 20, 'z');
        for (std::uintmax_t written = 0; written < size; written += block.size()) {
            big << block;
        }
    }
    auto child = startAlone(app, "50", watched);
    ASSERT_TRUE(child.has_value());

    // As soon as the copy has begun, the session ends.
    std::filesystem::path copy;
    ASSERT_TRUE(waitFor(
        [&] {
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(app.fsPath() / "Copies", error)) {
                copy = entry.path();
                return true;
            }
            return false;
        },
        std::chrono::seconds(30)));
    ASSERT_EQ(child->terminate(), 0) << "the program ends normally once its copy is done";
    // The copy begins under an unfinished name and takes its own once whole.
    std::vector<std::filesystem::path> left;
    for (const auto& entry : std::filesystem::directory_iterator(app.fsPath() / "Copies")) {
        left.push_back(entry.path());
    }
    ASSERT_EQ(left.size(), 1U);
    EXPECT_FALSE(copies::isUnfinishedCopyName(left[0].filename().string()));
    EXPECT_EQ(std::filesystem::file_size(left[0]), size);
}

} // namespace
