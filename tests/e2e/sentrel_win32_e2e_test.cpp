// The Windows program as a user runs it, under the real platform: sentrel.exe
// copied alone into a fresh folder with a Settings.ini that switches
// monitoring on, a real file changed and held open under it, the window
// closed as the user closes it, and what it leaves in Log.csv and Copies.

#include "platform/profile.h"
#include "platform/win32/text.h"
#include "support/childProcess.h"
#include "support/fileHolder.h"
#include "support/tempDir.h"
#include "support/waitFor.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::waitFor;

using testsupport::TempDir;

// The build gives the program's path in its own form: a Unix path under Wine.
std::filesystem::path builtProgram() {
    std::string path = SENTREL_EXECUTABLE;
    if (!path.empty() && path.front() == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
    return testsupport::nativePath(path);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        result.push_back(text.substr(start, end - start));
    }
    return result;
}

// sentrel.exe running from `folder`; ended at once if a test leaves it running.
class Program {
public:
    explicit Program(const TempDir& folder)
        : m_process(testsupport::ChildProcess::start({folder.path("sentrel.exe")})) {}

    bool started() const { return m_process.has_value(); }

    // Closes the program's visible windows as the user's close box does, and
    // waits for it to end; its exit code, or -1 when it did not end.
    int close() {
        const auto windows = visibleWindows();
        for (HWND window : windows) {
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return windows.empty() ? -1 : exitCode();
    }

    // Tells the program's visible windows that the session ends, as Windows
    // does at log-off, and waits for it to end; its exit code, or -1.
    int endSession() {
        const auto windows = visibleWindows();
        for (HWND window : windows) {
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
            if (answer == FALSE) {
                return -1; // the program refused to let the session end
            }
        }
        for (HWND window : windows) {
            ::PostMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        }
        const int code = windows.empty() ? -1 : exitCode();
        if (code == -1) {
            m_report = "told: " + describe(windows) + "; visible now: " + describe(visibleWindows());
        }
        return code;
    }

    // What a failed endSession() found, for the failure's message.
    const std::string& report() const { return m_report; }

private:
    std::vector<HWND> visibleWindows() const {
        struct Search {
            DWORD id;
            std::vector<HWND> found;
        } search{static_cast<DWORD>(m_process->id()), {}};
        ::EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& wanted = *reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == wanted.id && ::IsWindowVisible(window)) {
                    wanted.found.push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static std::string describe(const std::vector<HWND>& windows) {
        std::string text = std::to_string(windows.size()) + " window(s)";
        for (HWND window : windows) {
            wchar_t name[128] = {};
            wchar_t title[128] = {};
            ::GetClassNameW(window, name, 128);
            ::GetWindowTextW(window, title, 128);
            text += " [" + platform::win32::utf8FromWide(name) + " \"" + platform::win32::utf8FromWide(title) + "\"]";
        }
        return text;
    }

    int exitCode() { return m_process->waitFor(std::chrono::seconds(60)).value_or(-1); }

    std::optional<testsupport::ChildProcess> m_process;
    std::string m_report;
};

class Win32Program : public ::testing::Test {
protected:
    void SetUp() override {
        watched = data.write("current.csv", "a,b\r\n");
        std::filesystem::copy_file(builtProgram(), app.fsPath() / "sentrel.exe");
        app.write("Settings.ini",
                  "[Main]\r\nINTERVAL=100\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
        log = app.path("Log.csv");
    }
    std::vector<std::string> logLines() const { return lines(testsupport::readFile(log)); }
    bool waitForLogLines(std::size_t count) const {
        return waitFor([&] { return logLines().size() >= count; }, std::chrono::seconds(60));
    }
    bool hasCopyHolding(const std::string& bytes) const {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(app.fsPath() / "Copies", error)) {
            if (testsupport::readFile(testsupport::utf8(entry.path())) == bytes) {
                return true;
            }
        }
        return false;
    }

    TempDir app;
    TempDir data;
    std::string watched;
    std::string log;
};

TEST_F(Win32Program, WatchesLogsCopiesAndAppendsAfterARestart) {
    {
        Program program(app);
        ASSERT_TRUE(program.started());
        ASSERT_TRUE(waitForLogLines(1)) << "the first look at the file is logged";
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        data.write("current.csv", "a,b\r\nc,d\r\n");
        ASSERT_TRUE(waitForLogLines(2));
        ASSERT_TRUE(waitFor([&] { return hasCopyHolding("a,b\r\nc,d\r\n"); }, std::chrono::seconds(60)));
        EXPECT_EQ(program.close(), 0) << "the close box ends the program normally";
    }
    const auto first = logLines();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_NE(first[0].find(",Free,5,5 bytes,"), std::string::npos) << first[0];
    EXPECT_NE(first[1].find(",Free,10,10 bytes,"), std::string::npos) << first[1];
    const auto settings = testsupport::readFile(app.path("Settings.ini"));
    EXPECT_NE(settings.find("MONITOR=1"), std::string::npos);
    EXPECT_NE(settings.find("FOLLOWLOG=1"), std::string::npos) << "defaults reach the file before the end";

    Program again(app);
    ASSERT_TRUE(again.started());
    ASSERT_TRUE(waitForLogLines(3)) << "a restart logs the file again";
    EXPECT_EQ(again.close(), 0);
    const auto after = logLines();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0], first[0]) << "the log is appended to, never rewritten";
    EXPECT_EQ(after[1], first[1]);
    EXPECT_NE(after[2].find(",Free,10,10 bytes,"), std::string::npos) << after[2];
}

TEST_F(Win32Program, AFileHeldByAnotherProgramIsLoggedOpenThenFree) {
    Program program(app);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(waitForLogLines(1));
    {
        testsupport::FileHolder holder(watched, "w");
        ASSERT_TRUE(holder.holding());
        ASSERT_TRUE(waitForLogLines(2));
    }
    ASSERT_TRUE(waitForLogLines(3));
    EXPECT_EQ(program.close(), 0);
    const auto text = logLines();
    ASSERT_EQ(text.size(), 3u);
    EXPECT_NE(text[1].find(",Open,5,5 bytes,"), std::string::npos) << text[1];
    EXPECT_NE(text[2].find(",Free,5,5 bytes,"), std::string::npos) << text[2];
}

// A name the ANSI code page cannot hold is watched, logged and copied under its own name, and still named in
// the settings after the end.
TEST_F(Win32Program, WatchesAFileNamedOutsideTheCodePage) {
    const std::string name = "\xC3\x9C"
                             "n\xC3\xAF"
                             "c\xC3\xB8"
                             "d\xC3\xA9 \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC"; // Ünïcødé – 日本
    watched = data.write(name + ".csv", "a,b\r\n");
    const std::wstring settings = platform::win32::wideFromUtf8(
        "[Main]\r\nINTERVAL=100\r\nMONITOR=1\r\nCOPY=1\r\nBALLOON=0\r\nFILENAME=" + watched + "\r\n");
    std::string utf16 = "\xFF\xFE";
    for (const wchar_t unit : settings) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    app.write("Settings.ini", utf16);

    Program program(app);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(waitForLogLines(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    data.write(name + ".csv", "a,b\r\nc,d\r\n");
    ASSERT_TRUE(waitForLogLines(2));
    ASSERT_TRUE(waitFor([&] { return hasCopyHolding("a,b\r\nc,d\r\n"); }, std::chrono::seconds(60)));
    EXPECT_EQ(program.close(), 0);
    bool named = false;
    for (const auto& entry : std::filesystem::directory_iterator(app.fsPath() / "Copies")) {
        named = named || testsupport::utf8(entry.path().filename()).rfind(name, 0) == 0;
    }
    EXPECT_TRUE(named) << "the copy is named after the file";
    EXPECT_EQ(platform::getProfileString("Main", "filename", "", 750, app.path("Settings.ini")), watched);
}

TEST_F(Win32Program, TheSessionEndingClosesItAsTheUserWould) {
    Program program(app);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(waitForLogLines(1));
    EXPECT_EQ(program.endSession(), 0) << "the program ends by itself, its unload done; " << program.report();
    const auto settings = testsupport::readFile(app.path("Settings.ini"));
    EXPECT_NE(settings.find("FOLLOWLOG=1"), std::string::npos) << "the settings reach the file first";
    EXPECT_EQ(logLines().size(), 1u);
}

} // namespace
