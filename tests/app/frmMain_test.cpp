// The main window's logic against fake controls, a fake clock and tray, and
// real files: start-up, commands, the watch tick with its notifications,
// copies, the log commands and the tray wiring.

#include "app/frmMain.h"
#include "app/modKorvelIni.h"

#include "common/modKorvel.h"
#include "common/userMessage.h"
#include "support/fakeClock.h"
#include "support/fakeTray.h"
#include "support/fakeView.h"
#include "support/fileHolder.h"
#include "support/fileTimes.h"
#include "support/reserve.h"
#include "support/tempDir.h"
#include "tray/notifyIconProtocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

using testsupport::FakeTray;
using testsupport::TempDir;

namespace {

class FakeHost : public frmMainHost, public Shell, public Sound, public AppFolders {
public:
    explicit FakeHost(std::string folder) : m_folder(std::move(folder)) {}
    ~FakeHost() override { m_waker->close(); }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    Shell& shell() noexcept override { return *this; }
    Sound& sound() noexcept override { return *this; }
    AppFolders& folders() noexcept override { return *this; }
    std::unique_ptr<frmSysTray> createSysTray() override {
        return std::make_unique<frmSysTray>(tray, tray, [] { return 0x0A280105u; }); // NT 5.1
    }
    std::uint64_t stateIcon(int image) noexcept override { return 1000u + static_cast<std::uint64_t>(image); }
    std::uint64_t windowIcon() noexcept override { return 999; }
    void setWindowIcons() noexcept override { ++windowIconsSet; }
    std::optional<std::string> chooseFile(const std::string& title, const std::string& filter) noexcept override {
        dialogs.push_back(title + "|" + filter);
        return dialogAnswer;
    }
    void beep(std::int32_t frequency, std::int32_t milliseconds) noexcept override {
        beeps.push_back(std::to_string(frequency) + "/" + std::to_string(milliseconds));
    }
    void openDocument(const std::string& file, const std::string& folder) noexcept override {
        shown.push_back("open:" + file + "|" + folder);
    }
    void showFileInFolder(const std::string& path) noexcept override { shown.push_back("select:" + path); }
    void openFolder(const std::string& folder) noexcept override { shown.push_back("folder:" + folder); }
    void copyToClipboard(const std::string& text) noexcept override { shown.push_back("clipboard:" + text); }
    void showMessage(const UserMessage& message) noexcept override {
        messages.push_back(message.text);
        if (whileBoxIsOpen) {
            auto open = whileBoxIsOpen;
            open();
        }
    }
    void pumpMessages() noexcept override {
        ++pumps;
        for (;;) {
            std::function<void()> work;
            {
                const std::lock_guard lock(m_wakeMutex);
                if (m_posted.empty()) {
                    break;
                }
                work = std::move(m_posted.front());
                m_posted.pop_front();
            }
            work();
        }
        if (onPump) {
            auto pump = onPump;
            pump();
        }
    }
    void waitForMessages() noexcept override {
        pumpMessages();
        std::unique_lock lock(m_wakeMutex);
        m_wakeCondition.wait_for(lock, std::chrono::milliseconds(10), [this] { return m_woken || !m_posted.empty(); });
        m_woken = false;
    }
    void post(std::function<void()> work) noexcept override {
        const std::lock_guard lock(m_wakeMutex);
        m_posted.push_back(std::move(work));
        m_wakeCondition.notify_one();
    }
    std::shared_ptr<Waker> waker() noexcept override { return m_waker; }
    void quit() noexcept override { ++quits; }
    const Clock& clock() const noexcept override { return fakeClock; }
    std::optional<std::string> appFolder() noexcept override { return m_folder; }

    FakeTray tray;
    testsupport::FakeClock fakeClock;
    std::vector<std::string> messages;
    std::function<void()> whileBoxIsOpen;
    int windowIconsSet = 0;
    std::vector<std::string> dialogs;
    std::optional<std::string> dialogAnswer;
    std::vector<std::string> beeps;
    std::vector<std::string> shown;
    int pumps = 0;
    std::function<void()> onPump;
    int quits = 0;

private:
    std::string m_folder;
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeCondition;
    bool m_woken = false;
    std::deque<std::function<void()>> m_posted;
    std::shared_ptr<Waker> m_waker = std::make_shared<Waker>(
        [this] {
            const std::lock_guard lock(m_wakeMutex);
            m_woken = true;
            m_wakeCondition.notify_one();
        },
        [this](std::function<void()> work) { post(std::move(work)); });
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : host(*modKorvel::AddBackslash(app.path())) {}

    // Loads the window with `settings` as the content of Settings.ini (none when empty).
    frmMain& load(const std::string& settings = {}) {
        if (!settings.empty()) {
            app.write("Settings.ini", settings);
        }
        form = std::make_unique<frmMain>(view.controls(), host);
        // A tick hands the look at the file to another thread; the tests read
        // what the tick recorded once its answer has come back. A cycle that
        // the file's events began is let finish first: a tick that finds its
        // look still out records nothing, as for a file system that hangs.
        view.Timer1.beforeTick = [this] { waitForProbe(); };
        view.Timer1.afterTick = [this] { waitForProbe(); };
        form->Form_Load();
        return *form;
    }
    void waitForProbe() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (form->probeUnderWay() && std::chrono::steady_clock::now() < deadline) {
            host.waitForMessages();
        }
        EXPECT_FALSE(form->probeUnderWay()) << "the probe never answered";
    }
    // Settings writes return before they reach the file.
    std::string settingsText() const {
        EXPECT_TRUE(flushIniWrites(std::chrono::minutes(1)));
        return testsupport::readFile(app.path("Settings.ini"));
    }
    std::string logText() const { return testsupport::readFile(app.path("Log.csv")); }
    std::vector<std::filesystem::path> copies() const {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(app.fsPath() / "Copies")) {
            found.push_back(entry.path().filename());
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    // The newest icon handle the tray was given.
    std::uint64_t trayIcon() const { return form->sysTray() ? form->sysTray()->IconHandle() : 0; }

    TempDir app;   // the application folder
    TempDir files; // where the watched files live
    testsupport::FakeMainWindow view;
    FakeHost host;
    std::unique_ptr<frmMain> form;
};

// --- start-up ---------------------------------------------------------------

TEST_F(MainWindowTest, FirstStartWritesTheEightDefaultsInReadOrder) {
    load();
    EXPECT_EQ(settingsText(), "[Main]\r\nINTERVAL=500\r\nMONITOR=0\r\nBEEP=0\r\nNOTIFY=0\r\nCOPY=0\r\nBALLOON=1\r\n"
                              "FOLLOWLOG=1\r\nFILENAME=" +
                                  platform::defaultWatchedPath() + "\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(app.fsPath() / "Copies"));
    EXPECT_FALSE(view.Timer1.enabled());
    EXPECT_EQ(view.Timer1.interval(), 500);
    EXPECT_EQ(view.chkMonitor.value(), 0);
    EXPECT_EQ(view.chkBalloonTip.value(), 1);
    EXPECT_EQ(view.chkFollowLog.value(), 1);
    EXPECT_EQ(view.txtFileName.text(), platform::defaultWatchedPath());
    EXPECT_EQ(host.windowIconsSet, 1);

    const std::string version = modKorvel::VersionText();
    EXPECT_TRUE(view.window.caption.starts_with("Sentrel"));
    EXPECT_TRUE(view.window.caption.ends_with(" v" + version));
    EXPECT_EQ(view.lblSubTitle.text, "v" + version);
    ASSERT_NE(form->sysTray(), nullptr);
    EXPECT_EQ(form->sysTray()->ToolTip(), "Sentrel v" + version);
    EXPECT_EQ(trayIcon(), 999u);
    const auto& items = form->sysTray()->menuItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].caption, "&Open Sentrel");
    EXPECT_EQ(items[0].key, "open");
    EXPECT_EQ(items[1].caption, "-");
    EXPECT_EQ(items[2].key, "close");
    EXPECT_EQ(form->sysTray()->DefaultMenuIndex(), 0);
}

TEST_F(MainWindowTest, StartUpRemovesCopiesAKilledRunLeftUnfinished) {
    const std::string unfinished = ".sentrel-partial-0123456789abcdef";
    std::filesystem::create_directory(app.fsPath() / "Copies");
    app.write("Copies/" + unfinished, "half");
    app.write("Copies/kept - 2010-03-05 02-07-09 PM (0001).csv", "whole");
    app.write(unfinished, "half a LogTemp.csv");
    load();
    EXPECT_EQ(copies(), std::vector<std::filesystem::path>{"kept - 2010-03-05 02-07-09 PM (0001).csv"});
    EXPECT_FALSE(std::filesystem::exists(app.fsPath() / unfinished));
}

TEST_F(MainWindowTest, StoredSettingsRunTheirHandlersWhileLoading) {
    load("[Main]\r\nINTERVAL=250\r\nMONITOR=1\r\nBEEP=1\r\nFILENAME=" + files.path("a.csv") + "\r\n");
    EXPECT_TRUE(view.Timer1.enabled());
    EXPECT_EQ(view.Timer1.interval(), 250);
    EXPECT_EQ(view.chkBeep.value(), 1);
    EXPECT_EQ(view.txtFileName.text(), files.path("a.csv"));
    EXPECT_NE(settingsText().find("MONITOR=1\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, UnusableStoredValuesLeaveTheDesignedOnes) {
    load("[Main]\r\nINTERVAL=abc\r\nMONITOR=1\r\nNOTIFY=7\r\nCOPY=x\r\n");
    EXPECT_EQ(view.txtInterval.text(), "abc");
    EXPECT_EQ(view.Timer1.interval(), 500);
    EXPECT_TRUE(view.Timer1.enabled());
    EXPECT_EQ(view.chkNotify.value(), 0);
    EXPECT_EQ(view.chkMakeCopy.value(), 0);
}

TEST_F(MainWindowTest, ASettingsFileThatCannotBeKeptIsToldOnceAndTheDefaultsRun) {
    std::filesystem::create_directory(app.fsPath() / "Settings.ini");
    load();
    view.chkBeep.setValue(1); // a write that cannot be kept says nothing more
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(app.path("Settings.ini") + " cannot be read"), std::string::npos)
        << host.messages[0];
    EXPECT_EQ(view.Timer1.interval(), 500);
}

TEST_F(MainWindowTest, AGreyedMonitorSwitchLeavesWatchingOff) {
    load("[Main]\r\nMONITOR=2\r\n");
    EXPECT_EQ(view.chkMonitor.value(), 2);
    EXPECT_FALSE(view.Timer1.enabled());
    EXPECT_EQ(trayIcon(), 999u) << "the tray did not exist yet when the switch was set";
}

// --- commands -----------------------------------------------------------------

TEST_F(MainWindowTest, CheckBoxesWriteTheirStateAndTheMonitorSwitchesWatching) {
    load();
    view.chkBeep.setValue(1);
    EXPECT_NE(settingsText().find("BEEP=1\r\n"), std::string::npos);
    view.chkBeep.setValue(0);
    EXPECT_NE(settingsText().find("BEEP=0\r\n"), std::string::npos);

    view.chkMonitor.setValue(1);
    EXPECT_TRUE(view.Timer1.enabled());
    EXPECT_EQ(view.picAni.image, 0) << "the animation starts only with the first tick";
    view.Timer1.tick();
    EXPECT_EQ(view.picAni.image, 1);
    view.chkMonitor.setValue(0);
    EXPECT_FALSE(view.Timer1.enabled());
    EXPECT_EQ(view.picAni.image, 0);
    EXPECT_EQ(trayIcon(), 1005u) << "the monitoring-off icon";
    EXPECT_NE(settingsText().find("MONITOR=0\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, IntervalBoxTakesEachUsableTextAndStoresEveryText) {
    load();
    view.chkMonitor.setValue(1);
    // Typing 70000 into an emptied box: 7, 70, 700, 7000 are taken, 70000 is not.
    for (const char* typed : {"", "7", "70", "700", "7000", "70000"}) {
        view.txtInterval.setText(typed);
    }
    EXPECT_EQ(view.Timer1.interval(), 7000);
    EXPECT_NE(settingsText().find("INTERVAL=70000\r\n"), std::string::npos);
    view.txtInterval.setText("250");
    view.txtInterval.setText("70000"); // pasted over the whole text
    EXPECT_EQ(view.Timer1.interval(), 250);
    EXPECT_NE(settingsText().find("INTERVAL=70000\r\n"), std::string::npos);
    view.txtInterval.setText("abc");
    EXPECT_EQ(view.Timer1.interval(), 250);
    EXPECT_NE(settingsText().find("INTERVAL=abc\r\n"), std::string::npos);
    view.txtInterval.setText("300.5"); // half to even
    EXPECT_EQ(view.Timer1.interval(), 300);
    view.txtInterval.setText("0");
    EXPECT_EQ(view.Timer1.interval(), 0);
    EXPECT_FALSE(view.Timer1.tick()) << "an interval of 0 gives no ticks";
    EXPECT_TRUE(view.Timer1.enabled());
}

TEST_F(MainWindowTest, FileChooserSetsThePathAndACancelChangesNothing) {
    load();
    host.dialogAnswer = files.path("report.csv");
    view.cmdFileOpen.click();
    EXPECT_EQ(host.dialogs.back(), "Select a file to monitor|All Files|*.*");
    EXPECT_EQ(view.txtFileName.text(), files.path("report.csv"));
    EXPECT_NE(settingsText().find("FILENAME=" + files.path("report.csv") + "\r\n"), std::string::npos);

    host.dialogAnswer.reset();
    view.cmdFileOpen.click();
    EXPECT_EQ(view.txtFileName.text(), files.path("report.csv"));
    EXPECT_NE(settingsText().find("FILENAME=" + files.path("report.csv") + "\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, FolderButtonsShowTheFileAndTheCopiesFolder) {
    load();
    view.txtFileName.setText(files.path("current.csv"));
    view.cmdOpenFolder.click();
    view.cmdFolderCopiesOpen.click();
    view.txtFileName.setText("");
    view.cmdOpenFolder.click(); // an empty path shows nothing
    ASSERT_EQ(host.shown.size(), 2u);
    EXPECT_EQ(host.shown[0], "select:" + files.path("current.csv"));
    EXPECT_EQ(host.shown[1], "folder:" + app.path("Copies"));
}

// --- the watch tick -------------------------------------------------------------

class WatchTickTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        watched = files.write("current.csv", std::string(1536, 'x'));
        load("[Main]\r\nMONITOR=1\r\nFILENAME=" + watched + "\r\n");
    }
    void setModified(int hoursAgo) {
        std::filesystem::last_write_time(files.fsPath() / "current.csv",
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
    }
    std::string watched;
};

TEST_F(WatchTickTest, RecordsTheFirstStateThenOnlyChanges) {
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 1u);
    const auto first = view.lstLog.shown(0);
    EXPECT_EQ(first.time, "06/12/2026 06:41:39");
    EXPECT_EQ(first.icon, 1);
    EXPECT_EQ(first.record.state, "Free");
    EXPECT_EQ(first.record.sizeText, "1.5 kb");
    EXPECT_EQ(first.record.sizeInBytes, "1536");
    EXPECT_FALSE(first.record.dateModified.empty());
    // Fields 3 and 4 of the log line are in the opposite order to the columns.
    EXPECT_EQ(logText(), "06/12/2026 06:41:39,Free,1536,1.5 kb," + first.record.dateModified + "\r\n");

    view.Timer1.tick();
    view.Timer1.tick();
    EXPECT_EQ(view.lstLog.rows.size(), 1u) << "no change, no row";

    files.write("current.csv", std::string(2048, 'y'));
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 2u);
    EXPECT_EQ(view.lstLog.shown(1).record.sizeInBytes, "2048");
    EXPECT_EQ(view.lstLog.shown(1).record.sizeText, "2 kb");

    setModified(5); // same length, other date
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 3u);
    EXPECT_NE(view.lstLog.shown(2).record.dateModified, view.lstLog.shown(1).record.dateModified);
    EXPECT_EQ(view.lstLog.lastEnsured, 3) << "Follow Log brings the newest row into view";

    // Three changes, three CR LF lines of five fields.
    const auto log = logText();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
    EXPECT_EQ(std::count(log.begin(), log.end(), ','), 12);
}

TEST_F(WatchTickTest, AnotherDateFormatIsAChangeAndEarlierRowsKeepTheirs) {
    using testsupport::FakeFormats;
    auto& clock = host.fakeClock;
    view.Timer1.tick();
    const auto before = view.lstLog.shown(0);
    ASSERT_NE(before.record.dateModified.find('/'), std::string::npos);

    // Another decimal separator alone: the size text is not compared.
    clock.textFormats = std::make_shared<FakeFormats>('/', ",");
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 1u);
    EXPECT_EQ(view.lstLog.shown(0).record.sizeText, "1.5 kb") << "shown as recorded";

    // The same instant in another date format reads as another date.
    clock.textFormats = std::make_shared<FakeFormats>('.', ",");
    view.Timer1.tick();
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 2u);
    const auto after = view.lstLog.shown(1);
    EXPECT_EQ(after.time, "06.12.2026 06:41:39");
    EXPECT_EQ(after.record.sizeText, "1,5 kb");
    auto dotted = before.record.dateModified;
    std::replace(dotted.begin(), dotted.end(), '/', '.');
    EXPECT_EQ(after.record.dateModified, dotted);
    const auto first = view.lstLog.shown(0);
    EXPECT_EQ(first.time, before.time);
    EXPECT_EQ(first.record.dateModified, before.record.dateModified);
    EXPECT_EQ(first.record.sizeText, before.record.sizeText);
    EXPECT_EQ(logText(), "06/12/2026 06:41:39,Free,1536,1.5 kb," + before.record.dateModified +
                             "\r\n06.12.2026 06:41:39,Free,1536,1,5 kb," + dotted + "\r\n");

    // The first formats again, in an object of their own: one more row.
    clock.textFormats = std::make_shared<FakeFormats>();
    view.Timer1.tick();
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 3u);
    EXPECT_EQ(view.lstLog.subItem(3, ChangeColumn::DateModified), before.record.dateModified);
    EXPECT_EQ(view.lstLog.subItem(2, ChangeColumn::DateModified), dotted);
}

TEST_F(WatchTickTest, SavesWithinOneSecondAndAFileRenamedOverTheOldOneAreChanges) {
    using namespace std::chrono_literals;
    const auto second = testsupport::wholeSecondNow() - std::chrono::hours(1);
    const auto save = [&](const std::string& name, const std::string& content, std::chrono::milliseconds within) {
        ASSERT_TRUE(testsupport::setModified(files.write(name, content), second + within));
    };
    view.chkMakeCopy.setValue(1);
    save("current.csv", "value=A", 100ms);
    view.Timer1.tick();
    save("current.csv", "value=B", 400ms);
    view.Timer1.tick();
    save("current.csv", "value=C", 800ms);
    view.Timer1.tick();
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 3u);
    EXPECT_EQ(copies().size(), 3u) << "same size, same second: each save is a version of its own";
    EXPECT_EQ(view.lstLog.shown(1).record.dateModified, view.lstLog.shown(2).record.dateModified)
        << "the texts stay to the second";

    // Same size, same date, but another file: a new version renamed into place.
    save("next.csv", "value=D", 800ms);
    const auto current = platform::fileStatus(watched);
    ASSERT_TRUE(current);
    ASSERT_TRUE(testsupport::untilChangeTimeDiffers(files.path("next.csv"), current->changeTicks, [&] {
        return testsupport::setModified(files.path("next.csv"), second + 800ms);
    }));
    std::filesystem::rename(files.fsPath() / "next.csv", files.fsPath() / "current.csv");
    view.Timer1.tick();
    view.Timer1.tick();
    EXPECT_EQ(view.lstLog.rows.size(), 4u);
    EXPECT_EQ(copies().size(), 4u) << "another file is another version";
    const auto log = logText();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4);
}

TEST_F(WatchTickTest, MissingReappearingAndOpenFiles) {
    view.Timer1.tick();
    std::filesystem::remove(files.fsPath() / "current.csv");
    view.Timer1.tick();
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 2u);
    const auto gone = view.lstLog.shown(1);
    EXPECT_EQ(gone.record.state, "No File");
    EXPECT_EQ(gone.icon, 4);
    EXPECT_EQ(gone.record.sizeText, "Unknown");
    EXPECT_EQ(gone.record.sizeInBytes, "Unknown");
    EXPECT_EQ(gone.record.dateModified, "Unknown");
    EXPECT_EQ(trayIcon(), 1004u);
    EXPECT_NE(logText().find(",No File,Unknown,Unknown,Unknown\r\n"), std::string::npos);

    files.write("current.csv", "back");
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 3u);
    EXPECT_EQ(view.lstLog.shown(2).record.state, "Free");
    EXPECT_EQ(view.lstLog.shown(2).record.sizeInBytes, "4");

    {
        testsupport::FileHolder holder(watched, "r");
        ASSERT_TRUE(holder.holding());
        view.Timer1.tick();
        EXPECT_EQ(trayIcon(), 1002u);
        EXPECT_EQ(holder.release(), 0);
    }
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 5u);
    EXPECT_EQ(view.lstLog.shown(3).record.state, "Open");
    EXPECT_EQ(view.lstLog.shown(3).icon, 2);
    EXPECT_EQ(view.lstLog.shown(4).record.state, "Free");
}

TEST_F(WatchTickTest, AnUnwritableLogGivesOneBoxAtATimeAndLosesNoLine) {
    const auto log = app.fsPath() / "Log.csv";
    std::filesystem::create_directory(log); // appending fails, for root too
    int size = 100;
    host.whileBoxIsOpen = [&] {
        // The user leaves the first box open while the file changes three times.
        for (int i = 0; host.messages.size() == 1 && i < 3; ++i) {
            files.write("current.csv", std::string(++size, 'z'));
            view.Timer1.tick();
        }
    };
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 4u);
    const std::string error = "Error saving to log: 75 - Path/File access error";
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{error, error + "\n\nThis happened 3 more times while the message was open."}));

    std::filesystem::remove(log);
    files.write("current.csv", std::string(++size, 'z'));
    view.Timer1.tick();
    const auto lines = logText();
    ASSERT_EQ(std::count(lines.begin(), lines.end(), '\n'), 5) << lines;
    std::size_t at = 0;
    for (std::size_t row = 0; row < view.lstLog.rows.size(); ++row) {
        const auto sizeInBytes = view.lstLog.shown(row).record.sizeInBytes;
        at = lines.find("," + sizeInBytes + ",", at);
        EXPECT_NE(at, std::string::npos) << "every change, in order: " << sizeInBytes;
    }
    EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(WatchTickTest, ClearLogViewMakesTheNextTickRecordAgain) {
    view.Timer1.tick();
    const auto logBefore = logText();
    view.cmdClearLogView.click();
    EXPECT_TRUE(view.lstLog.rows.empty());
    EXPECT_EQ(logText(), logBefore);
    view.Timer1.tick();
    EXPECT_EQ(view.lstLog.rows.size(), 1u);
    const auto log = logText();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST_F(WatchTickTest, MonitoringOffAndOnAgainPutsTheStateIconBackWithoutARow) {
    view.Timer1.tick();
    view.Timer1.tick(); // an unchanged file: the probe ends without waking the window
    EXPECT_EQ(trayIcon(), 1001u);
    view.chkMonitor.setValue(0);
    EXPECT_EQ(trayIcon(), 1005u);
    view.chkMonitor.setValue(1);
    view.Timer1.tick();
    EXPECT_EQ(trayIcon(), 1001u);
    EXPECT_EQ(view.lstLog.rows.size(), 1u);
}

TEST_F(WatchTickTest, AnimationRunsOneToEighteen) {
    for (int tick = 1; tick <= 19; ++tick) {
        view.Timer1.tick();
        EXPECT_EQ(view.picAni.image, tick == 19 ? 1 : tick);
    }
}

TEST_F(WatchTickTest, NotificationsFollowTheTickedBoxes) {
    view.chkBeep.setValue(1);
    view.chkNotify.setValue(1);
    view.window.setState(view::WindowState::Minimized);
    EXPECT_FALSE(view.window.visible);
    const auto callsBefore = host.tray.calls.size();

    view.Timer1.tick();
    ASSERT_GT(host.tray.calls.size(), callsBefore);
    const auto& balloon = host.tray.calls.back();
    EXPECT_EQ(balloon.w.uFlags, 16u);
    EXPECT_EQ(balloon.w.dwInfoFlags, 1u) << "information icon";
    EXPECT_EQ(tray::wideFieldText(balloon.w.szInfoTitle), "File Changed");
    EXPECT_EQ(tray::wideFieldText(balloon.w.szInfo),
              "File: current.csv\r\nState: Free\r\nSize: 1.5 kb\r\nDate Modified: " +
                  view.lstLog.shown(0).record.dateModified);
    EXPECT_EQ(balloon.w.uTimeout, 100u);
    EXPECT_EQ(host.beeps, std::vector<std::string>{"500/100"});
    EXPECT_TRUE(view.window.visible);
    EXPECT_EQ(view.window.state(), view::WindowState::Normal);
    EXPECT_EQ(view.window.broughtToFront, 1);

    std::filesystem::remove(files.fsPath() / "current.csv");
    view.Timer1.tick();
    EXPECT_EQ(host.tray.calls.back().w.dwInfoFlags, 2u) << "warning icon for a removed file";
    EXPECT_EQ(tray::wideFieldText(host.tray.calls.back().w.szInfoTitle), "File Removed");
    EXPECT_EQ(tray::wideFieldText(host.tray.calls.back().w.szInfo),
              "File: current.csv\r\nState: No File\r\nSize: Unknown\r\nDate Modified: Unknown");

    // A tick without a change raises nothing.
    const auto calls = host.tray.calls.size();
    view.Timer1.tick();
    EXPECT_EQ(host.beeps.size(), 2u);
    EXPECT_EQ(host.tray.calls.size(), calls);
}

// --- copies ---------------------------------------------------------------------

TEST_F(WatchTickTest, CopiesAreNamedAndMarkedManual) {
    host.fakeClock.time = {2010, 3, 5, 14, 7, 9};
    view.chkMakeCopy.setValue(1);
    view.Timer1.tick();
    view.cmdMakeCopy.click();
    view.cmdMakeCopy.click();
    const auto made = copies();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0], "current - 2010-03-05 02-07-09 PM (0001).csv");
    EXPECT_EQ(made[1], "current - 2010-03-05 02-07-09 PM - Manual (0001).csv");
    EXPECT_EQ(made[2], "current - 2010-03-05 02-07-09 PM - Manual (0002).csv");
    EXPECT_EQ(testsupport::readFile(app.path("Copies/" + made[0].string())), std::string(1536, 'x'));
    EXPECT_TRUE(view.Timer2.enabled());
    view.Timer2.tick();
    EXPECT_FALSE(view.Timer2.enabled()) << "the first tick after a completed copy clears the bar";
    EXPECT_EQ(view.picProgress.clears, 1);
}

TEST_F(WatchTickTest, AReaderOpeningTheFileGivesRowsButNoCopyOfTheSameVersion) {
    view.chkMakeCopy.setValue(1);
    view.Timer1.tick();
    {
        testsupport::FileHolder reader(watched, "r");
        ASSERT_TRUE(reader.holding());
        view.Timer1.tick();
        EXPECT_EQ(reader.release(), 0);
    }
    view.Timer1.tick();
    ASSERT_EQ(view.lstLog.rows.size(), 3u) << "Free, Open, Free";
    EXPECT_EQ(copies().size(), 1u) << "the content never changed";
    view.cmdMakeCopy.click();
    EXPECT_EQ(copies().size(), 2u) << "a manual copy always copies";
    files.write("current.csv", "new");
    view.Timer1.tick();
    EXPECT_EQ(copies().size(), 3u);
}

TEST_F(WatchTickTest, AFailedCopyIsShownInTheBarAndANotificationUntilTheNextCopy) {
    std::filesystem::remove_all(app.fsPath() / "Copies");
    app.write("Copies", "a file where the folder should be");
    view.cmdMakeCopy.click();
    view.Timer2.tick();
    ASSERT_FALSE(view.picProgress.rectangles.empty());
    EXPECT_EQ(view.picProgress.rectangles.back().colour.red, 160) << "the bar shows the failure";
    EXPECT_FALSE(view.Timer2.enabled()) << "nothing more to poll";
    const auto& balloon = host.tray.calls.back();
    EXPECT_EQ(tray::wideFieldText(balloon.w.szInfoTitle), "Copy Failed");
    EXPECT_NE(tray::wideFieldText(balloon.w.szInfo).find("No copy was made: 76 - Path not found"), std::string::npos)
        << tray::wideFieldText(balloon.w.szInfo);
    EXPECT_TRUE(host.messages.empty()) << "no box to click away";

    std::filesystem::remove(app.fsPath() / "Copies");
    std::filesystem::create_directory(app.fsPath() / "Copies");
    view.cmdMakeCopy.click();
    view.Timer2.tick();
    EXPECT_FALSE(view.Timer2.enabled());
    EXPECT_EQ(view.picProgress.clears, 1) << "the next copy clears it";
    EXPECT_EQ(copies().size(), 1u);
}

// A disk short of space: every change still gets its row and log line, the
// bar shows the failure, and the user is told once until a copy is made again.
// "Open Log File" is told at every click and opens the older copy.
TEST_F(WatchTickTest, ADiskShortOfSpaceIsToldOnceWhileItStaysShort) {
    std::vector<std::string> failures; // the texts of "Copy Failed" notifications
    const auto told = [&] {
        failures.clear();
        for (const auto& call : host.tray.calls) {
            if (tray::wideFieldText(call.w.szInfoTitle) == "Copy Failed") {
                failures.push_back(tray::wideFieldText(call.w.szInfo));
            }
        }
        return failures.size();
    };
    view.Timer1.tick();
    view.cmdOpenLog.click();
    view.chkMakeCopy.setValue(1);
    testsupport::Reserve reserve(testsupport::Reserve::beyondFreeSpaceOf(app.path()));
    for (int change = 1; change <= 3; ++change) {
        files.write("current.csv", std::string(static_cast<std::size_t>(change), 'y'));
        view.Timer1.tick();
        view.Timer2.tick();
        if (!copies().empty()) {
            GTEST_SKIP() << "the temp folder's file system clones: a copy there takes no space";
        }
        EXPECT_EQ(view.lstLog.rows.size(), static_cast<std::size_t>(change) + 1);
        const auto log = logText();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), change + 1);
        ASSERT_FALSE(view.picProgress.rectangles.empty());
        EXPECT_EQ(view.picProgress.rectangles.back().colour.red, 160) << "the bar shows the failure";
    }
    ASSERT_EQ(told(), 1u);
    EXPECT_NE(failures[0].find("No copy was made: 61 - not enough free space: "), std::string::npos) << failures[0];

    const std::string olderLog = testsupport::readFile(app.path("LogTemp.csv"));
    view.cmdOpenLog.click();
    ASSERT_EQ(told(), 2u);
    EXPECT_NE(failures[1].find("File: Log.csv"), std::string::npos) << failures[1];
    EXPECT_EQ(testsupport::readFile(app.path("LogTemp.csv")), olderLog);
    EXPECT_EQ(host.shown.size(), 2u) << "the older copy opens";

    testsupport::Reserve::set(0); // space has come back
    files.write("current.csv", "back");
    view.Timer1.tick();
    EXPECT_EQ(copies().size(), 1u);
    testsupport::Reserve::set(testsupport::Reserve::beyondFreeSpaceOf(app.path()));
    files.write("current.csv", "short again");
    view.Timer1.tick();
    EXPECT_EQ(told(), 3u) << "told again after a copy was made";
}

// Each row leads to the copy of its version: its own, or the earlier copy of
// the same version it skipped; a row without one says why and offers nothing.
TEST_F(WatchTickTest, RowsLeadToTheCopyOfTheirVersion) {
    const auto offer = [&](std::int64_t row) { return view.lstLog.rowOffer(row); };
    view.chkMakeCopy.setValue(1);
    view.Timer1.tick();
    {
        testsupport::FileHolder reader(watched, "r");
        ASSERT_TRUE(reader.holding());
        view.Timer1.tick(); // "Open": the same version, not copied again
        EXPECT_EQ(reader.release(), 0);
    }
    ASSERT_EQ(copies().size(), 1u);
    const std::string first = (app.fsPath() / "Copies" / copies()[0]).string();
    EXPECT_EQ(offer(1).tip, "Copy: " + copies()[0].string());
    EXPECT_TRUE(offer(2).hasCopy);
    EXPECT_EQ(offer(2).tip, offer(1).tip) << "the skipped copy's row leads to the earlier copy";

    view.chkMakeCopy.setValue(0);
    files.write("current.csv", "second");
    view.Timer1.tick();
    EXPECT_FALSE(offer(3).hasCopy);
    EXPECT_EQ(offer(3).tip, "No copy: Make Copy on Change was off");
    view.cmdMakeCopy.click();
    EXPECT_TRUE(offer(3).hasCopy) << "a manual copy of the newest version belongs to its row";
    EXPECT_NE(offer(3).tip.find(" - Manual (0001)"), std::string::npos) << offer(3).tip;

    std::filesystem::remove_all(app.fsPath() / "Copies");
    app.write("Copies", "a file where the folder should be");
    view.chkMakeCopy.setValue(1);
    files.write("current.csv", "third"); // another size: a rewrite within the clock's tick is no change
    view.Timer1.tick();
    EXPECT_FALSE(offer(4).hasCopy);
    EXPECT_EQ(offer(4).tip, "No copy: 76 - Path not found");
    host.shown.clear();
    view.lstLog.runRowCommand(4, view::RowCommand::OpenCopy);
    view.lstLog.runRowMenu(4);
    EXPECT_EQ(view.lstLog.menusShown, std::vector<bool>{false}) << "its menu's commands are greyed";
    EXPECT_TRUE(host.shown.empty()) << "a row without a copy opens nothing";

    // The first copy was in the folder just removed: the command says so,
    // with no box to click away, and the row's tooltip keeps it.
    const std::size_t balloons = host.tray.calls.size();
    view.lstLog.runRowCommand(1, view::RowCommand::OpenCopy);
    EXPECT_TRUE(host.shown.empty());
    ASSERT_GT(host.tray.calls.size(), balloons);
    EXPECT_EQ(tray::wideFieldText(host.tray.calls.back().w.szInfoTitle), "Copy Not Found");
    EXPECT_EQ(offer(1).tip.rfind("Copy deleted or moved: ", 0), 0u) << offer(1).tip;
    EXPECT_TRUE(host.messages.empty());

    std::filesystem::remove(app.fsPath() / "Copies");
    std::filesystem::create_directory(app.fsPath() / "Copies");
    std::ofstream(first) << "put back";
    view.lstLog.runRowCommand(2, view::RowCommand::OpenCopy);
    for (const auto command : {view::RowCommand::ShowCopyInFolder, view::RowCommand::CopyPath}) {
        view.lstLog.menuChoice = command;
        view.lstLog.runRowMenu(2);
    }
    EXPECT_EQ(view.lstLog.menusShown, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(host.shown, (std::vector<std::string>{"open:" + first + "|" + modKorvel::GetFolder(first),
                                                    "select:" + first, "clipboard:" + first}));
    EXPECT_EQ(offer(1).tip.rfind("Copy: ", 0), 0u) << "found again";

    view.cmdClearLogView.click();
    EXPECT_FALSE(offer(1).hasCopy) << "the rows' links go with them";
    EXPECT_TRUE(std::filesystem::exists(first)) << "the copies stay";
}

TEST_F(WatchTickTest, RequestsDuringARunningCopyWaitForIt) {
    files.write("current.csv", std::string(200000, 'a')); // several chunks: the copier yields
    int pumpsWithRequests = 0;
    host.onPump = [&] {
        // Two requests while the copy runs: an automatic one waits, and the
        // manual one after it makes the waiting copy manual.
        if (form->copyRunning()) {
            if (pumpsWithRequests++ < 2) {
                if (pumpsWithRequests == 1) {
                    form->MakeCopy(false);
                } else {
                    view.cmdMakeCopy.click();
                }
            }
            view.Timer2.tick();
        }
    };
    view.cmdMakeCopy.click();
    host.onPump = nullptr;
    const auto made = copies();
    ASSERT_EQ(made.size(), 2u) << "the version is copied already, but a manual copy always copies";
    for (const auto& name : made) {
        EXPECT_EQ(std::filesystem::file_size(app.fsPath() / "Copies" / name), 200000u);
    }
    EXPECT_EQ(view.picProgress.rectangles.size() % 2, 0u);
    ASSERT_FALSE(view.picProgress.rectangles.empty());
    EXPECT_EQ(view.picProgress.rectangles.back().colour.blue, 127);
}

TEST_F(WatchTickTest, ClosingDuringACopyEndsTheProgramWhenItHasFinished) {
    files.write("current.csv", std::string(64 << 20, 'b'));
    host.onPump = [&] {
        // Once the copy is being written: its unfinished file is in Copies.
        if (!form->unloaded() && !std::filesystem::is_empty(app.fsPath() / "Copies")) {
            form->Form_Unload();
            EXPECT_EQ(host.quits, 0) << "not while the copy still runs";
            view.cmdMakeCopy.click(); // abandoned: the window has gone
        }
    };
    view.cmdMakeCopy.click();
    EXPECT_EQ(host.quits, 1);
    EXPECT_EQ(form->sysTray(), nullptr);
    ASSERT_EQ(copies().size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(app.fsPath() / "Copies" / copies()[0]), 64u << 20);
}

// --- the file's change events -----------------------------------------------------

// The timer is never ticked here (its interval is 10 s): every row comes from
// the file system's events.
class FileEventsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        std::filesystem::create_directory(files.fsPath() / "exports");
        files.write("exports/current.csv", "first");
        watched = testsupport::utf8(files.fsPath() / "exports" / "current.csv"); // the platform's separators
        load("[Main]\r\nMONITOR=1\r\nCOPY=1\r\nINTERVAL=10000\r\nFILENAME=" + watched + "\r\n");
        ASSERT_TRUE(pumpUntil([&] { return form->listeningForEvents(); }));
    }
    // Turns the message loop until `done` says so; false after 10 s.
    bool pumpUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            host.waitForMessages();
        }
        return true;
    }
    void pumpFor(std::chrono::milliseconds time) {
        const auto until = std::chrono::steady_clock::now() + time;
        pumpUntil([&] { return std::chrono::steady_clock::now() >= until; });
    }
    std::size_t rows() const { return view.lstLog.rows.size(); }
    std::string watched;
};

TEST_F(FileEventsTest, AVersionThatLivesFiftyMillisecondsGetsItsRowAndItsCopy) {
    using namespace std::chrono_literals;
    // Saved in place, then written beside the file and renamed over it.
    files.write("exports/current.csv", "version A, saved in place");
    pumpFor(50ms);
    files.write("exports/next.tmp", "version B, renamed over the file");
    std::filesystem::rename(files.fsPath() / "exports/next.tmp", files.fsPath() / "exports/current.csv");
    ASSERT_TRUE(pumpUntil([&] { return rows() >= 2 && copies().size() >= 2 && !form->copyRunning(); }))
        << rows() << " rows, " << copies().size() << " copies";
    EXPECT_EQ(rows(), 2u);
    EXPECT_EQ(view.lstLog.shown(0).record.sizeInBytes, "25");
    EXPECT_EQ(view.lstLog.shown(1).record.sizeInBytes, "32");
    std::multiset<std::string> kept;
    for (const auto& name : copies()) {
        kept.insert(testsupport::readFile(testsupport::utf8(app.fsPath() / "Copies" / name)));
    }
    EXPECT_EQ(kept, (std::multiset<std::string>{"version A, saved in place", "version B, renamed over the file"}));
}

TEST_F(FileEventsTest, AWriterThatNeverPausesGivesARowOnlyWhenItStops) {
    using namespace std::chrono_literals;
    // Appends every 2 ms for a second and a half; its own pauses longer than
    // the settle time (a loaded machine) are versions too, and are counted.
    int pauses = 0;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        std::ofstream out(testsupport::nativePath(watched), std::ios::binary | std::ios::app);
        auto last = std::chrono::steady_clock::now();
        for (const auto end = last + 1500ms; last < end;) {
            out << "0123456789\n" << std::flush;
            std::this_thread::sleep_for(2ms);
            const auto now = std::chrono::steady_clock::now();
            pauses += now - last > 15ms ? 1 : 0;
            last = now;
        }
        writing = false;
    });
    pumpUntil([&] { return !writing; });
    writer.join();
    pumpFor(300ms);
    EXPECT_GE(rows(), 1u) << "the end of the writing is a version";
    EXPECT_LE(rows(), 1u + static_cast<std::size_t>(pauses)) << pauses << " pauses of the writer";
}

TEST_F(FileEventsTest, AFolderMadeAgainIsWatchedAgainAndMonitoringOffRecordsNothing) {
    using namespace std::chrono_literals;
    std::filesystem::remove_all(files.fsPath() / "exports");
    ASSERT_TRUE(pumpUntil([&] { return rows() == 1; })) << "the file went with its folder";
    EXPECT_EQ(view.lstLog.shown(0).record.state, "No File");

    std::filesystem::create_directory(files.fsPath() / "exports");
    view.Timer1.tick(); // a tick sets the watch again
    ASSERT_TRUE(pumpUntil([&] { return form->listeningForEvents(); }));
    files.write("exports/current.csv", "back again");
    ASSERT_TRUE(pumpUntil([&] { return rows() == 2; }));
    EXPECT_EQ(view.lstLog.shown(1).record.sizeInBytes, "10");

    view.chkMonitor.setValue(0);
    files.write("exports/current.csv", "changed while not monitored");
    pumpFor(200ms);
    EXPECT_EQ(rows(), 2u);
    EXPECT_FALSE(form->listeningForEvents());
}

TEST_F(FileEventsTest, OutOfSightTheProberKeepsTheIntervalAndGivesItBack) {
    view.Timer1.tick();
    ASSERT_TRUE(pumpUntil([&] { return rows() == 1 && !form->probeUnderWay(); }));
    view.Timer1.afterTick = nullptr; // a resting tick's probe answers only at news
    view.window.setState(view::WindowState::Minimized);
    view.Timer1.tick();
    EXPECT_EQ(view.Timer1.interval(), 0) << "the window's timer rests";

    files.write("exports/current.csv", "saved while minimised");
    ASSERT_TRUE(
        pumpUntil([&] { return !form->probeUnderWay() && view.lstLog.shown(rows() - 1).record.sizeInBytes == "21"; }));
    EXPECT_EQ(view.Timer1.interval(), 10000) << "news gives the ticks back";
    const auto rowsAfterTheSave = rows(); // the save may have been seen half-way too

    for (const auto& wakeUp : std::vector<std::function<void()>>{
             [&] { host.tray.deliver(tray::callback::LeftButtonUp); }, [&] { view.chkMonitor.setValue(0); }}) {
        view.window.setState(view::WindowState::Minimized);
        view.chkMonitor.setValue(1);
        view.Timer1.tick(); // rests at once where the quiet file's answer still stands
        ASSERT_TRUE(pumpUntil([&] { return !form->probeUnderWay() || view.Timer1.interval() == 0; }));
        view.Timer1.tick();
        ASSERT_EQ(view.Timer1.interval(), 0);
        wakeUp();
        EXPECT_EQ(view.Timer1.interval(), 10000);
        EXPECT_TRUE(pumpUntil([&] { return !form->probeUnderWay(); }));
    }
    EXPECT_EQ(rows(), rowsAfterTheSave) << [&] {
        std::string shown;
        for (std::size_t i = 0; i < rows(); ++i) {
            shown += view.lstLog.shown(i).record.state + " " + view.lstLog.shown(i).record.sizeInBytes + " " +
                     view.lstLog.shown(i).record.dateModified + "; ";
        }
        return shown;
    }();
}

// --- log commands -----------------------------------------------------------------

TEST_F(WatchTickTest, OpenLogFileHandsOverACopy) {
    view.Timer1.tick();
    view.cmdOpenLog.click();
    EXPECT_EQ(testsupport::readFile(app.path("LogTemp.csv")), logText());
    files.write("current.csv", "changed");
    view.Timer1.tick();
    view.cmdOpenLog.click();
    EXPECT_EQ(testsupport::readFile(app.path("LogTemp.csv")), logText()) << "replaced by a fresh copy";
    const std::string opened = "open:" + app.path("LogTemp.csv") + "|" + *modKorvel::AddBackslash(app.path());
    EXPECT_EQ(host.shown, (std::vector<std::string>{opened, opened}));
    EXPECT_TRUE(host.messages.empty());
}

// --- tray ---------------------------------------------------------------------------

TEST_F(MainWindowTest, TrayBringsTheWindowBackAndItsMenuKeysAreExact) {
    load();
    view.window.setState(view::WindowState::Minimized);
    EXPECT_FALSE(view.window.visible);

    host.tray.deliver(tray::callback::RightButtonUp); // right button released: not a way back
    EXPECT_FALSE(view.window.visible);
    host.tray.deliver(tray::callback::LeftButtonUp); // left button released
    EXPECT_TRUE(view.window.visible);
    EXPECT_EQ(view.window.state(), view::WindowState::Normal);

    view.window.setState(view::WindowState::Minimized);
    host.tray.deliver(tray::callback::RightDoubleClick); // right double click
    EXPECT_TRUE(view.window.visible);

    host.tray.deliver(tray::callback::LeftButtonDown); // left press: no menu
    EXPECT_EQ(host.tray.popups, 0);
    host.tray.choice = 0;
    host.tray.deliver(tray::callback::RightButtonDown); // right press: the menu, whose first item is "open"
    EXPECT_EQ(host.tray.popups, 1);

    form->m_frmSysTray_MenuClick(2, "Close");
    EXPECT_EQ(view.window.closeRequests, 0) << "keys are compared exactly";
    form->m_frmSysTray_MenuClick(0, "close");
    EXPECT_EQ(view.window.closeRequests, 1);
}

TEST_F(MainWindowTest, MinimisingHidesOnlyWhereATrayCanBringItBack) {
    load();
    view.window.show();
    view.window.trayAvailable = false;
    view.window.setState(view::WindowState::Minimized);
    EXPECT_TRUE(view.window.visible);
    view.window.setState(view::WindowState::Normal);
    view.window.trayAvailable = true;
    view.window.setState(view::WindowState::Minimized);
    EXPECT_FALSE(view.window.visible);
}

TEST_F(MainWindowTest, UnloadRemovesTheIconAndEnds) {
    load();
    form->Form_Unload();
    EXPECT_EQ(form->sysTray(), nullptr);
    EXPECT_EQ(host.tray.calls.back().message, platform::NotifyMessage::Delete);
    EXPECT_EQ(host.quits, 1);
}

} // namespace
