// The program as a user runs it: build/sentrel copied alone into a fresh
// folder with a Settings.ini that switches monitoring on, a real file changed
// under it, and what it leaves in Log.csv and Copies; where it keeps those
// when it cannot write beside itself; one program per folder; its options.

#include "copies/unfinishedCopies.h"
#include "support/childProcess.h"
#include "support/posix/scopedEnv.h"
#include "support/tempDir.h"
#include "support/unprivileged.h"
#include "support/waitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::waitFor;

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

bool logReaches(const std::string& log, std::size_t lines) {
    return waitFor([&] { return lineCount(testsupport::readFile(log)) >= lines; }, std::chrono::seconds(30));
}

std::string settingsWatching(const std::string& interval, const std::string& watched) {
    return "[Main]\r\nINTERVAL=" + interval + "\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n";
}

// The program copied alone into `app`.
std::string copyProgram(const testsupport::TempDir& app) {
    std::filesystem::copy_file(SENTREL_EXECUTABLE, app.fsPath() / "sentrel");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return app.path("sentrel");
}

// Copies the program alone into `app` with settings that watch `watched`, and starts it.
std::optional<testsupport::ChildProcess> startAlone(const testsupport::TempDir& app, const std::string& interval,
                                                    const std::string& watched) {
    const auto program = copyProgram(app);
    app.write("Settings.ini", settingsWatching(interval, watched));
    return testsupport::ChildProcess::start({program});
}

std::string madeFolder(const testsupport::TempDir& parent, const char* name) {
    fs::create_directory(parent.fsPath() / name);
    return parent.path(name);
}

// The user's folders of every program started here lie in a folder of the
// test's own, and so do the sockets that the programs the test kills leave.
class EndToEnd : public ::testing::Test {
protected:
    testsupport::TempDir m_user;
    const testsupport::ScopedEnv m_dataHome{"XDG_DATA_HOME", m_user.path("data")};
    const testsupport::ScopedEnv m_configHome{"XDG_CONFIG_HOME", m_user.path("config")};
    const testsupport::ScopedEnv m_runtime{"XDG_RUNTIME_DIR", madeFolder(m_user, "run")};

    // The program alone in `app`, watching current.csv of `data`, once it has logged its first look.
    static std::optional<testsupport::ChildProcess> startWatching(const testsupport::TempDir& app,
                                                                  const testsupport::TempDir& data) {
        auto child = startAlone(app, "100", data.write("current.csv", "a,b\r\n"));
        if (child && !logReaches(app.path("Log.csv"), 1)) {
            child.reset();
        }
        return child;
    }
};

TEST_F(EndToEnd, WatchesLogsAndCopiesFromItsOwnFolder) {
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
    EXPECT_FALSE(fs::exists(m_user.fsPath() / "data"));
    EXPECT_FALSE(fs::exists(m_user.fsPath() / "config"));
}

TEST_F(EndToEnd, TheSessionEndingDuringACopyLetsTheCopyFinish) {
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

TEST_F(EndToEnd, ACopyInAFolderTheUserCannotWriteKeepsItsFilesInTheUsersFolders) {
    testsupport::TempDir app;
    testsupport::TempDir data;
    const auto watched = data.write("current.csv", "a,b\r\n");
    const auto program = copyProgram(app);
    fs::create_directories(m_user.fsPath() / "config" / "sentrel");
    const auto settings = m_user.write("config/sentrel/Settings.ini", settingsWatching("100", watched));
    fs::permissions(app.fsPath(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::optional<testsupport::ChildProcess> child;
    testsupport::runUnprivileged([&] {
        if (auto started = testsupport::ChildProcess::start({program})) {
            child.emplace(std::move(*started));
        }
    });
    ASSERT_TRUE(child.has_value());

    ASSERT_TRUE(logReaches(m_user.path("data/sentrel/Log.csv"), 1));
    ASSERT_TRUE(waitFor([&] { return !fs::is_empty(m_user.fsPath() / "data" / "sentrel" / "Copies"); },
                        std::chrono::seconds(30)));
    child.reset();
    EXPECT_NE(testsupport::readFile(settings).find("FOLLOWLOG=1"), std::string::npos) << "defaults are written back";
    std::vector<fs::path> beside;
    for (const auto& entry : fs::directory_iterator(app.fsPath())) {
        beside.push_back(entry.path().filename());
    }
    EXPECT_EQ(beside, std::vector<fs::path>{"sentrel"});
}

TEST_F(EndToEnd, ASecondStartOnTheSameFolderEndsAndLeavesItToTheFirst) {
    testsupport::TempDir app;
    testsupport::TempDir other;
    testsupport::TempDir data;
    auto first = startWatching(app, data);
    ASSERT_TRUE(first.has_value());

    // Qt's own options are Qt's: the start goes on to find the first.
    auto second = testsupport::ChildProcess::start({app.path("sentrel"), "-platform", "offscreen"});
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->wait(), 0);

    // A copy in another folder runs beside the first, each watching a file of its own.
    auto beside = startAlone(other, "100", data.write("other.csv", "x\r\n"));
    ASSERT_TRUE(beside.has_value());
    ASSERT_TRUE(logReaches(other.path("Log.csv"), 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    data.write("current.csv", "a,b\r\nc,d\r\n");
    const auto log = app.path("Log.csv");
    ASSERT_TRUE(logReaches(log, 2)) << "the first still watches";
    first.reset();
    EXPECT_EQ(lineCount(testsupport::readFile(log)), 2u) << "nothing of the second start's own";
}

TEST_F(EndToEnd, AProgramKilledOnAFolderDoesNotKeepTheNextStartFromIt) {
    testsupport::TempDir app;
    testsupport::TempDir data;
    auto first = startWatching(app, data);
    ASSERT_TRUE(first.has_value());
    first->kill(); // its socket stays behind

    auto next = testsupport::ChildProcess::start({app.path("sentrel")});
    ASSERT_TRUE(next.has_value());
    ASSERT_TRUE(logReaches(app.path("Log.csv"), 2)) << "the next start watches: its first look is a line of its own";
    auto third = testsupport::ChildProcess::start({app.path("sentrel")});
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->wait(), 0) << "the next start has the folder now";
}

struct Answer {
    int status = -1;
    std::string out;
    std::string err;
};

// The program run with `arguments` where there is no display at all.
Answer runWithoutDisplay(const std::string& arguments) {
    const testsupport::TempDir output;
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" SENTREL_EXECUTABLE "' " +
                                arguments + " >'" + output.path("out") + "' 2>'" + output.path("err") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testsupport::readFile(output.path("out")),
            testsupport::readFile(output.path("err"))};
}

TEST(CommandLine, HelpAndVersionNeedNoDisplayAndAnUnknownOptionIsRefused) {
    const auto help = runWithoutDisplay("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: sentrel")) << help.out;
    EXPECT_EQ(help.err, "");

    const auto version = runWithoutDisplay("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Sentrel " SENTREL_VERSION "\n");

    const auto unknown = runWithoutDisplay("--frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_NE(unknown.err.find("unknown option '--frobnicate'"), std::string::npos) << unknown.err;
}

} // namespace
