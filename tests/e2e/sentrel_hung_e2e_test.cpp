// The program as a user runs it, watching a file on a file system that stops
// answering: the session ending (SIGTERM) still ends it, and what it recorded
// before the file system hung is in its Log.csv.

#include "support/childProcess.h"
#include "support/posix/hungFileSystem.h"
#include "support/tempDir.h"
#include "support/waitFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::waitFor;

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Each thread of a process with its name, state and where it waits in the kernel.
std::string describeThreads(unsigned long pid) {
    std::string text;
    std::error_code error;
    const auto tasks = std::filesystem::path("/proc") / std::to_string(pid) / "task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        const auto read = [&](const char* name) {
            auto value = testsupport::readFile(testsupport::utf8(task.path() / name));
            while (!value.empty() && value.back() == '\n') {
                value.pop_back();
            }
            return value;
        };
        const auto status = read("status");
        const auto state = status.find("State:");
        text += "  thread " + task.path().filename().string() + " " + read("comm") + ": " +
                status.substr(state, status.find('\n', state) - state) + ", waits in " + read("wchan") + "\n";
    }
    return text;
}

TEST(HungFileSystemEndToEnd, TheSessionEndingEndsTheProgramWhileTheWatchedFileHangs) {
    std::optional<testsupport::ChildProcess> sentrel; // killed, if it must be, after the release
    testsupport::HungFileSystem fs;
    if (fs.unavailable()) {
        GTEST_SKIP() << fs.whyNot();
    }
    ASSERT_TRUE(fs.mounted()) << fs.whyNot();
    testsupport::TempDir app;
    testsupport::TempDir output;
    const auto watched = fs.writeBehind("current.csv", "a,b\r\n");
    const auto program = app.fsPath() / "sentrel";
    std::filesystem::copy_file(SENTREL_EXECUTABLE, program);
    app.write("Settings.ini",
              "[Main]\r\nINTERVAL=50\r\nMONITOR=1\r\nCOPY=0\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    sentrel = testsupport::ChildProcess::start({program.string()}, output.path("sentrel.txt"));
    ASSERT_TRUE(sentrel.has_value());

    const auto log = app.path("Log.csv");
    ASSERT_TRUE(waitFor([&] { return lineCount(testsupport::readFile(log)) >= 1; }, 30s))
        << testsupport::readFile(output.path("sentrel.txt"));
    ASSERT_TRUE(fs.block());
    ASSERT_TRUE(waitFor([&] { return fs.waitingRequests() >= 1; }, 5s))
        << "the program's probe never reached the blocked file system";

    sentrel->signal(SIGTERM);
    const auto ended = sentrel->waitFor(5s);
    EXPECT_TRUE(ended.has_value()) << "the program did not end within 5 s of SIGTERM while the file system hung:\n"
                                   << describeThreads(sentrel->id());
    if (ended) {
        EXPECT_EQ(*ended, 0) << testsupport::readFile(output.path("sentrel.txt"));
    }
    fs.release();
    sentrel->kill();

    const auto text = testsupport::readFile(log);
    EXPECT_EQ(lineCount(text), 1u) << text;
    EXPECT_NE(text.find(",Free,5,5 bytes,"), std::string::npos) << text;
}

} // namespace
