#pragma once
// The main window's logic. It drives the window's controls through the view
// interfaces and the desktop through its host, and never sees the toolkit
// behind them. Its members, by file:
//   frmMain.cpp          start-up, layout rules, shutdown, and its settings
//   frmMainCommands.cpp  the check boxes, the interval box and the open buttons
//   frmMainWatch.cpp     the watch tick and the notifications of a change
//   frmMainCopies.cpp    copies of the watched file and the progress bar
//   frmMainLog.cpp       clearing the change list and opening the log
//   frmMainTray.cpp      the tray icon's events

#include "app/frmMainHost.h"
#include "common/workerThread.h"
#include "copies/CopyQueue.h"
#include "log/rowCopies.h"
#include "tray/frmSysTray.h"
#include "view/binder.h"
#include "watch/ChangeEvents.h"
#include "watch/changeRecord.h"
#include "watch/modSentrel.h"
#include "watch/observeFile.h"

#include "platform/files.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The window's controls, by the names the program gives them.
using frmMainControls = view::MainWindowControls;

class frmMain {
public:
    // Wires the controls' handlers to this window and routes error messages
    // to the host's message box while the window lives.
    frmMain(const frmMainControls& controls, frmMainHost& host);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Start-up, layout and shutdown (frmMain.cpp).
    void Form_Load();
    void Form_Resize();
    // The window's whole life, for a front end's main(): loaded, shown with
    // `show`, the message loop turned by `turnLoop` until the program may end,
    // and the settings written last on the disk before it does. `turnLoop`'s
    // exit code.
    int run(const std::function<void()>& show, const std::function<int()>& turnLoop);
    void Form_Unload();

    // Commands (frmMainCommands.cpp).
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

    // The watch tick (frmMainWatch.cpp).
    void Timer1_Timer();

    // Copies and their progress (frmMainCopies.cpp).
    void MakeCopy(bool bManual);
    void cmdMakeCopy_Click();
    void Timer2_Timer();

    // The change log (frmMainLog.cpp).
    void cmdClearLogView_Click();
    void cmdOpenLog_Click();
    // A row's copy: what its tooltip and menu offer, and a command on it.
    view::RowCopyOffer lstLog_CopyOffer(std::int64_t row) const;
    void lstLog_RowCommand(std::int64_t row, view::RowCommand command);
    void lstLog_RowMenu(std::int64_t row);

    // Tray events (frmMainTray.cpp).
    void m_frmSysTray_SysTrayMouseUp(std::int32_t eButton);
    void m_frmSysTray_SysTrayMouseDown(std::int32_t eButton);
    void m_frmSysTray_SysTrayDoubleClick(std::int32_t eButton);
    void m_frmSysTray_MenuClick(std::int32_t lIndex, const std::string& sKey);

    // Held while a nested message loop runs for the window: the tray menu,
    // the file dialog, a message box, a wait that turns the loop. An unload
    // asked for meanwhile ends the front end's loops and is carried out from
    // the message loop once the outermost has returned, because whatever
    // opened a loop may use the tray when the loop returns to it.
    class NestedLoop {
    public:
        explicit NestedLoop(frmMain& form) noexcept;
        ~NestedLoop();
        NestedLoop(const NestedLoop&) = delete;
        NestedLoop& operator=(const NestedLoop&) = delete;

    private:
        frmMain& m_form;
    };

    // Another start of the program asked for this window: it comes back as
    // the tray's "open" brings it. False once the window is unloading, when
    // there is no window left to show.
    bool bringForward() noexcept;

    // For the front end and tests.
    frmSysTray* sysTray() const { return m_frmSysTray.get(); }
    bool copyRunning() const { return m_copies.busy(); }
    bool unloaded() const { return m_unloaded; }
    bool unloadPending() const { return m_unloadPending; }
    // A watch cycle has asked about the file and waits for the answer.
    bool probeUnderWay() const;
    // Whether the file system's events for the watched file are being listened to.
    bool listeningForEvents() const { return m_events && m_events->watching(); }

private:
    // frmMain.cpp
    void wireControls();
    void unloadWhenLoopsHaveReturned() noexcept;
    std::string readSetting(const char* key, const std::string& defaultValue);
    void writeSetting(const char* key, const std::string& value);
    void loadCheckBox(view::CheckBox& box, const char* key, const char* defaultValue);
    void applyInterval();
    // frmMainCommands.cpp
    void writeCheckBox(const char* key, const view::CheckBox& box);
    // frmMainWatch.cpp
    void StepAnimation();
    std::string followWatchedFile();
    void runEventCycle();
    bool probeEndedQuietly();
    void finishCycle(const std::optional<watch::FileProbe>& probe);
    void endResting();
    void takeProbeResult(const watch::FileProbe& probe);
    ChangeRecord previousRecord() const;
    void recordChange(const watch::Observation& seen);
    void notifyChange(modSentrel::FileState state, const ChangeRecord& record);
    // frmMainCopies.cpp
    void carryOut(copies::CopyRequest request, FileCopyClass& copier);
    void copyWatchedFile(copies::CopyRequest request, FileCopyClass& copier);
    bool copyGivenUp();
    void showCopyFailed(const std::string& reason);
    std::optional<platform::FileStatus> newestRowVersion() const;
    void notifyCopyFailed(const std::string& file, const std::string& reason);
    // frmMainTray.cpp
    void showBalloon(const std::string& message, const std::string& title, std::int32_t icon);
    void wireSysTray();
    void bringBackMainWindow();

    frmMainControls m_controls;
    frmMainHost& m_host;
    UserMessageSink m_previousMessageSink;
    OneBoxPerKind m_boxes;
    std::int16_t AnimationFrame = 0;
    // The one probe of the watched file that may be outstanding; a tick that
    // finds it unanswered records nothing.
    struct ProbeTicket;
    std::shared_ptr<ProbeTicket> m_probe;
    // The newest answer the window has taken, while nothing it would do with
    // that same answer again has changed since (the path, the rows, the date
    // formats, the tray's picture): a probe that finds exactly this ends
    // without waking the window.
    struct QuietBaseline {
        watch::FileProbe probe;
        std::string path;
        std::int64_t rows = 0;
        std::shared_ptr<const TextFormats> formats;
    };
    std::optional<QuietBaseline> m_quietBaseline;
    // Watch cycles begun and not yet finished (a copy or a dialog can hold
    // one open while ticks run nested in it).
    int m_cycles = 0;
    // The file's events asked for a cycle while one was under way: it runs
    // once that has finished.
    bool m_eventCycleWanted = false;
    bool m_eventCycleRunning = false;
    // Minimised or hidden in the tray: nothing of the window shows a tick.
    bool m_outOfSight = false;
    // The watch timer's interval while it rests: the prober keeps it instead
    // (see Timer1_Timer).
    std::optional<std::int32_t> m_restingInterval;
    // The file system's events for the watched file, and the path they follow
    // (empty while monitoring is off).
    std::unique_ptr<watch::ChangeEvents> m_events;
    std::string m_eventsPath;
    // Where the watched file is looked at; after the window it goes on alone
    // as long as a look at a hung file system takes.
    WorkerThread m_prober;
    // The stamp of the newest row, and the row count when it was recorded
    // (the list may have been cleared since).
    std::optional<watch::FileStamp> m_newestStamp;
    std::int64_t m_newestStampRow = 0;
    // The newest row's length, which with its stamp tells its version.
    std::optional<std::int64_t> m_newestLength;
    // Which copy holds each row's version.
    logview::RowCopies m_rowCopies;
    std::unique_ptr<frmSysTray> m_frmSysTray;
    // Owns Copier, the program's one FileCopyClass, and the requests waiting for it.
    copies::CopyQueue m_copies;
    // The version the newest copy of this run was made of: an automatic copy
    // of the same version again is skipped.
    std::optional<platform::FileStatus> m_newestCopySource;
    // The last copy of the watched file failed: the bar says so until the next copy.
    bool m_copyFailed = false;
    // A copy failed for lack of space and the user was told: while the disk
    // stays short every change would tell again, so only the bar does until
    // a copy is made.
    bool m_toldShortOfSpace = false;
    int m_changedDuringCopy = 0;
    // After the window has gone, a copy is waited for only while it moves.
    std::int64_t m_lastCopyBytes = 0;
    std::chrono::steady_clock::time_point m_lastCopyProgress;
    bool m_unloaded = false;
    int m_nestedLoops = 0;
    bool m_unloadPending = false;
    // What posted work holds instead of the window, which may be gone by the time it runs.
    std::shared_ptr<frmMain*> m_self = std::make_shared<frmMain*>(this);
};
