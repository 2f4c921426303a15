#include "app/modKorvelIni.h"
#include "platform/paths.h"
#include "platform/wholeFile.h"

#include "platform/posix/uniqueFd.h"
#include "support/posix/scopedEnv.h"
#include "support/tempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Settings writes return before the file is written: this waits for them.
void flushWrites() {
    EXPECT_TRUE(flushIniWrites(std::chrono::minutes(1)));
}

std::string readFile(const std::string& path) {
    flushWrites();
    return testsupport::readFile(path);
}

class SettingsFileOnPosix : public ::testing::Test {
protected:
    mode_t modeOf(const std::string& path) const {
        struct stat info {};
        EXPECT_EQ(::stat(path.c_str(), &info), 0);
        return info.st_mode & 07777;
    }
    void setMode(const std::string& path, mode_t mode) const { ASSERT_EQ(::chmod(path.c_str(), mode), 0); }
    // Only the names given: no temporary file left beside them.
    void expectOnlyFiles(std::initializer_list<const char*> names) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_dir.fsPath())) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, std::vector<std::string>(names.begin(), names.end()));
    }

    testsupport::TempDir m_dir;
    const std::string m_content = "[Main]\r\nINTERVAL=250\r\n";
};

TEST_F(SettingsFileOnPosix, LongPathsReadBackWhole) {
    // A Linux path may be 4,096 bytes: no buffer of Windows' size cuts it.
    const auto file = m_dir.write("Settings.ini", "[Main]\r\nFILENAME=" + std::string(800, 'x') + "\r\n");
    EXPECT_EQ(modKorvel::ReadIniSetting("Main", "FileName", file, "d"), std::string(800, 'x'));
    const std::string path = "/" + std::string(4094, 'p') + " ";
    modKorvel::WriteIniSetting("Main", "FileName", path, file);
    EXPECT_EQ(modKorvel::ReadIniSetting("Main", "FileName", file, "d"), path);
}

TEST_F(SettingsFileOnPosix, RewriteKeepsThePermissions) {
    const auto file = m_dir.write("Settings.ini", m_content);
    setMode(file, 0640);
    modKorvel::WriteIniSetting("Main", "Interval", "300", file);
    EXPECT_EQ(readFile(file), "[Main]\r\nINTERVAL=300\r\n");
    EXPECT_EQ(modeOf(file), 0640U);
    expectOnlyFiles({"Settings.ini"});
}

TEST_F(SettingsFileOnPosix, NewFileFollowsTheUmask) {
    const auto previous = ::umask(027);
    const auto file = m_dir.path("Settings.ini");
    modKorvel::WriteIniSetting("Main", "Interval", "300", file);
    flushWrites(); // the file is made under the umask of that moment
    ::umask(previous);
    EXPECT_EQ(modeOf(file), 0640U);
}

TEST_F(SettingsFileOnPosix, WriteProtectedFileStaysUnchangedEvenForRoot) {
    const auto file = m_dir.write("Settings.ini", m_content);
    setMode(file, 0444);
    EXPECT_FALSE(platform::replaceWholeFile(file, "other"));
    modKorvel::WriteIniSetting("Main", "Interval", "300", file);
    EXPECT_EQ(modKorvel::ReadIniSetting("Main", "Beep", file, "0"), "0");
    EXPECT_EQ(readFile(file), m_content);
    EXPECT_EQ(modeOf(file), 0444U);
    expectOnlyFiles({"Settings.ini"});
}

// A folder that takes no new file: its settings file, which may be written,
// is written in place, and the start-up check says nothing against it.
TEST_F(SettingsFileOnPosix, AFolderThatTakesNoNewFileHasItsFileWrittenInPlace) {
    const auto file = m_dir.write("Settings.ini", m_content);
    setMode(m_dir.path(), 0555);
    EXPECT_EQ(settings::fileProblem(file), std::nullopt);
    modKorvel::WriteIniSetting("Main", "Interval", "300", file);
    const auto missing = m_dir.path("New.ini");
    EXPECT_EQ(modKorvel::ReadIniSetting("Main", "Interval", missing, "500"), "500");
    EXPECT_EQ(readFile(file), "[Main]\r\nINTERVAL=300\r\n");
    setMode(m_dir.path(), 0755);
    expectOnlyFiles({"Settings.ini"});
}

TEST_F(SettingsFileOnPosix, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    const auto file = m_dir.write("Settings.ini", m_content);
    // A file size limit makes the write of the new file fail halfway, as a full disk would.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = platform::replaceWholeFile(file, std::string(4096, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(file), m_content);
    expectOnlyFiles({"Settings.ini"});
}

TEST_F(SettingsFileOnPosix, LinkedFileIsUpdatedThroughTheLink) {
    fs::create_directory(m_dir.fsPath() / "real");
    const auto target = m_dir.write("real/Settings.ini", m_content);
    fs::create_symlink(target, m_dir.fsPath() / "Settings.ini");
    modKorvel::WriteIniSetting("Main", "Interval", "300", m_dir.path("Settings.ini"));
    flushWrites();
    EXPECT_TRUE(fs::is_symlink(m_dir.fsPath() / "Settings.ini"));
    EXPECT_EQ(readFile(target), "[Main]\r\nINTERVAL=300\r\n");
}

TEST_F(SettingsFileOnPosix, WritesReturnWhileTheWriterWaitsForTheDisk) {
    // A named pipe as the settings file: the writer's open waits until the
    // pipe's other end is opened, as on a file system that stopped answering.
    const auto stuck = m_dir.path("Settings.ini");
    ASSERT_EQ(::mkfifo(stuck.c_str(), 0600), 0);
    const auto other = m_dir.path("Other.ini");
    modKorvel::WriteIniSetting("Main", "Interval", "300", stuck);
    modKorvel::WriteIniSetting("Main", "Interval", "400", other);
    modKorvel::WriteIniSetting("Main", "Beep", "1", other);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(flushIniWrites(std::chrono::milliseconds(50)));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("3 setting(s) could not be saved"), std::string::npos);
    EXPECT_FALSE(fs::exists(other)) << "written in the order asked for, after the one that waits";

    // The writer reads the pipe, finds no plain file and leaves it alone.
    { const platform::UniqueFd end(::open(stuck.c_str(), O_WRONLY | O_CLOEXEC)); }
    EXPECT_EQ(readFile(other), "[Main]\r\nINTERVAL=400\r\nBEEP=1\r\n");
    EXPECT_TRUE(fs::is_fifo(stuck));
}

TEST_F(SettingsFileOnPosix, ReplacementIsANewFileRenamedIntoPlace) {
    // A reader holding the old file keeps seeing the old content, never a half-written one.
    const auto file = m_dir.write("Settings.ini", m_content);
    std::ifstream reader(file, std::ios::binary);
    ASSERT_TRUE(platform::replaceWholeFile(file, "[Main]\r\nINTERVAL=1\r\n"));
    std::string old((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    EXPECT_EQ(old, m_content);
    EXPECT_EQ(readFile(file), "[Main]\r\nINTERVAL=1\r\n");
}

// Where the settings and the data go, decided on the real file system. (A
// copy in a folder the user cannot write is the end-to-end tests' case.)
TEST_F(SettingsFileOnPosix, AnInstalledProgramKeepsItsFilesInTheUsersFoldersWhoeverRunsIt) {
    const testsupport::ScopedEnv home("HOME", m_dir.path());
    const testsupport::ScopedEnv data("XDG_DATA_HOME", "relative/data"); // not absolute: ignored
    const testsupport::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);

    // Root may write to /usr/bin; an installed program's files belong to the user all the same.
    const auto installed = platform::programFoldersFor("/usr/bin");
    EXPECT_EQ(installed.data, m_dir.path() + "/.local/share/sentrel");
    EXPECT_EQ(installed.settings, m_dir.path() + "/.config/sentrel");
    EXPECT_EQ(modeOf(installed.data), 0700u);
    EXPECT_EQ(modeOf(installed.settings), 0700u);
    fs::create_directories(m_dir.fsPath() / ".local" / "bin");
    EXPECT_EQ(platform::programFoldersFor(m_dir.path() + "/.local/bin").data, installed.data)
        << "installed for this user alone";

    const testsupport::TempDir portable;
    const auto beside = platform::programFoldersFor(portable.path());
    EXPECT_EQ(beside.data, portable.path());
    EXPECT_EQ(beside.settings, portable.path());
}

// A Settings.ini prepared beside a program that keeps its files in the
// user's folders starts the user's own settings; once the user has them,
// the user's own file wins.
TEST_F(SettingsFileOnPosix, SettingsBesideAnInstalledProgramStartTheUsersOwn) {
    const testsupport::ScopedEnv home("HOME", m_dir.path());
    const testsupport::ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    const testsupport::ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    fs::create_directories(m_dir.fsPath() / ".local" / "bin");
    const auto installed = m_dir.path(".local/bin");
    m_dir.write(".local/bin/Settings.ini", "[Main]\r\nINTERVAL=300\r\nMONITOR=1\r\n");
    const auto own = platform::programFoldersFor(installed).settings + "/Settings.ini";
    EXPECT_EQ(readFile(own), "[Main]\r\nINTERVAL=300\r\nMONITOR=1\r\n");

    modKorvel::WriteIniSetting("Main", "Interval", "750", own);
    m_dir.write(".local/bin/Settings.ini", "[Main]\r\nINTERVAL=100\r\n");
    EXPECT_EQ(platform::programFoldersFor(installed).settings + "/Settings.ini", own);
    EXPECT_EQ(readFile(own), "[Main]\r\nINTERVAL=750\r\nMONITOR=1\r\n");
}

} // namespace
