#pragma once
// The main window's logic: start-up, layout rules, shutdown, its commands, the
// watch tick with its notifications, the copy request and the progress bar,
// the log commands and the tray wiring. It drives the window's controls
// through the view interfaces and never sees the toolkit behind them.
//
// The members are defined where their subsystem lives: app/ (start-up and
// commands), watch/ (the tick), copies/ (copies and progress), log/ (log
// commands) and tray/ (tray events).

#include "app/view.h"
#include "copies/FileCopyClass.h"
#include "platform/clock.h"
#include "tray/frmSysTray.h"
#include "watch/changeRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The window's controls, by the names the program gives them.
struct frmMainControls {
    view::Window& window;
    view::Label& lblSubTitle;
    view::PictureBox& picAni;
    view::PictureBox& picProgress;
    view::Button& cmdMonitorOpen;
    view::Button& cmdOpenFolder;
    view::Button& cmdMakeCopy;
    view::Button& cmdFolderCopiesOpen;
    view::Button& cmdOpenLog;
    view::Button& cmdClearLogView;
    view::Button& cmdFileOpen;
    view::CheckBox& chkMonitor;
    view::CheckBox& chkMakeCopy;
    view::CheckBox& chkBalloonTip;
    view::CheckBox& chkNotify;
    view::CheckBox& chkBeep;
    view::CheckBox& chkFollowLog;
    view::TextBox& txtInterval;
    view::TextBox& txtFileName;
    view::ListView& lstLog;
    view::Timer& Timer1;
    view::Timer& Timer2;
};

// What the window needs from its front end and the desktop beyond its
// controls. The clock and date members default to the platform's own; tests
// replace them.
class frmMainHost {
public:
    virtual ~frmMainHost() = default;

    // A new tray component for the window (its shell and hidden window belong to the front end).
    virtual std::unique_ptr<frmSysTray> createSysTray() = 0;
    // The icon handle of picture `image` (1 to 5) of the state image list.
    virtual std::uint64_t stateIcon(int image) = 0;
    // The icon handle of the window's own small icon.
    virtual std::uint64_t windowIcon() = 0;
    // Gives the window its large and small icons.
    virtual void setWindowIcons() = 0;
    // The open-file dialog; nullopt when the user cancelled it.
    virtual std::optional<std::string> chooseFile(const std::string& title, const std::string& filter) = 0;
    // A tone; returns when it has ended.
    virtual void beep(std::int32_t frequency, std::int32_t milliseconds) = 0;
    // The file manager showing `path` selected, and the file manager on `folder`.
    virtual void showFileInFolder(const std::string& path) = 0;
    virtual void openFolder(const std::string& folder) = 0;
    // One pass over the pending messages: timer ticks and input run inside it.
    virtual void pumpMessages() = 0;
    // The program may end now (the window has unloaded and no copy is running).
    virtual void quit() = 0;

    virtual platform::LocalDateTime now();
    virtual std::string generalDate(const platform::LocalDateTime& time);
    // The folder beside the executable, ending in the separator.
    virtual std::optional<std::string> appFolder();
};

class frmMain {
public:
    frmMain(const frmMainControls& controls, frmMainHost& host);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Start-up, layout and shutdown.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();

    // Commands.
    void chkMonitor_Click();
    void chkBeep_Click();
    void chkNotify_Click();
    void chkMakeCopy_Click();
    void chkBalloonTip_Click();
    void chkFollowLog_Click();
    void txtInterval_Change();
    void cmdFileOpen_Click();
    void cmdMonitorOpen_Click();
    void cmdOpenFolder_Click();
    void cmdFolderCopiesOpen_Click();

    // The watch tick.
    void Timer1_Timer();

    // Copies and their progress.
    void MakeCopy(bool bManual);
    void cmdMakeCopy_Click();
    void Timer2_Timer();

    // The change log.
    void cmdClearLogView_Click();
    void cmdOpenLog_Click();

    // Tray events.
    void m_frmSysTray_SysTrayMouseUp(std::int32_t eButton);
    void m_frmSysTray_SysTrayMouseDown(std::int32_t eButton);
    void m_frmSysTray_SysTrayDoubleClick(std::int32_t eButton);
    void m_frmSysTray_MenuClick(std::int32_t lIndex, const std::string& sKey);

    // For the front end and tests.
    frmSysTray* sysTray() const { return m_frmSysTray.get(); }
    bool copyRunning() const { return m_copying; }
    bool unloaded() const { return m_unloaded; }

private:
    void StepAnimation();
    std::string settingsFile();
    std::string readSetting(const char* key, const std::string& defaultValue);
    void writeSetting(const char* key, const std::string& value);
    void writeCheckBox(const char* key, const view::CheckBox& box);
    void loadCheckBox(view::CheckBox& box, const char* key, const char* defaultValue);
    void bringBackMainWindow();
    void notifyChange(std::int32_t code, const ChangeRecord& record);
    // Runs `copy` on the copier now, or after the running copy has ended.
    void runCopyRequest(bool bManual);
    void runLogCopy();
    void afterCopy();
    void wireControls();
    void wireSysTray();

    frmMainControls m_controls;
    frmMainHost& m_host;
    std::int16_t AnimationFrame = 0;
    std::unique_ptr<frmSysTray> m_frmSysTray;
    std::unique_ptr<FileCopyClass> Copier;

    // Copies never run nested on the one copier: a request that arrives while
    // one runs waits for it (one waiting request of each kind is enough).
    bool m_copying = false;
    std::optional<bool> m_waitingCopy; // the waiting copy request: manual or not
    bool m_waitingLogCopy = false;
    bool m_unloaded = false;
};
