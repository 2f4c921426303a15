// The main window's start-up, layout rules and shutdown, and how it reads and
// writes its settings.

#include "app/frmMain.h"
#include "log/changeLog.h"

#include "app/modKorvelIni.h"
#include "common/continueOnError.h"
#include "common/convert.h"
#include "common/modKorvel.h"
#include "common/version.h"
#include "copies/unfinishedCopies.h"
#include "platform/paths.h"
#include "platform/trail.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kSection = "Main";

} // namespace

frmMain::NestedLoop::NestedLoop(frmMain& form) noexcept : m_form(form) {
    ++m_form.m_nestedLoops;
}

frmMain::NestedLoop::~NestedLoop() {
    if (--m_form.m_nestedLoops == 0 && m_form.m_unloadPending) {
        m_form.unloadWhenLoopsHaveReturned();
    }
}

frmMain::frmMain(const frmMainControls& controls, frmMainHost& host)
    : m_controls(controls), m_host(host),
      m_copies([this](copies::CopyRequest request, FileCopyClass& copier) { carryOut(request, copier); }) {
    m_previousMessageSink = setUserMessageSink([this](const UserMessage& message) {
        m_boxes.show(
            message,
            [this](const UserMessage& shown) {
                const NestedLoop box(*this);
                m_host.shell().showMessage(shown);
            },
            [this] { return !m_unloadPending && !m_unloaded; });
    });
    wireControls();
    m_events = std::make_unique<watch::ChangeEvents>([waker = m_host.waker(), self = std::weak_ptr<frmMain*>(m_self)] {
        waker->post([self] {
            if (const auto form = self.lock()) {
                (*form)->runEventCycle();
            }
        });
    });
}

frmMain::~frmMain() {
    setUserMessageSink(std::move(m_previousMessageSink));
}

void frmMain::wireControls() {
    // Each handler is where an event enters the window: whatever a step lets
    // escape ends there, never in the toolkit.
    const auto handler = [this](void (frmMain::*member)()) {
        return [this, member] { continueOnError([&] { (this->*member)(); }); };
    };
    auto& c = m_controls;
    c.window.onResize = handler(&frmMain::Form_Resize);
    c.chkMonitor.onClick = handler(&frmMain::chkMonitor_Click);
    c.chkBeep.onClick = handler(&frmMain::chkBeep_Click);
    c.chkNotify.onClick = handler(&frmMain::chkNotify_Click);
    c.chkMakeCopy.onClick = handler(&frmMain::chkMakeCopy_Click);
    c.chkBalloonTip.onClick = handler(&frmMain::chkBalloonTip_Click);
    c.chkFollowLog.onClick = handler(&frmMain::chkFollowLog_Click);
    c.txtInterval.onChange = handler(&frmMain::txtInterval_Change);
    c.cmdFileOpen.onClick = handler(&frmMain::cmdFileOpen_Click);
    c.cmdMonitorOpen.onClick = handler(&frmMain::cmdMonitorOpen_Click);
    c.cmdOpenFolder.onClick = handler(&frmMain::cmdOpenFolder_Click);
    c.cmdFolderCopiesOpen.onClick = handler(&frmMain::cmdFolderCopiesOpen_Click);
    c.cmdMakeCopy.onClick = handler(&frmMain::cmdMakeCopy_Click);
    c.cmdOpenLog.onClick = handler(&frmMain::cmdOpenLog_Click);
    c.cmdClearLogView.onClick = handler(&frmMain::cmdClearLogView_Click);
    c.Timer1.onTick = handler(&frmMain::Timer1_Timer);
    c.Timer2.onTick = handler(&frmMain::Timer2_Timer);
    c.lstLog.copyOffer = [this](std::int64_t row) { return lstLog_CopyOffer(row); };
    c.lstLog.onRowCommand = [this](std::int64_t row, view::RowCommand command) {
        continueOnError([&] { lstLog_RowCommand(row, command); });
    };
    c.lstLog.onRowMenu = [this](std::int64_t row) { continueOnError([&] { lstLog_RowMenu(row); }); };
}

// Settings.ini in the folder the host names, so that a test's window keeps
// its settings in its own folder. The store never throws.
std::string frmMain::readSetting(const char* key, const std::string& defaultValue) {
    const auto folder = m_host.folders().settingsFolder();
    return folder ? modKorvel::ReadIniSetting(kSection, key, *folder + "Settings.ini", defaultValue) : defaultValue;
}

void frmMain::writeSetting(const char* key, const std::string& value) {
    if (const auto folder = m_host.folders().settingsFolder()) {
        modKorvel::WriteIniSetting(kSection, key, value, *folder + "Settings.ini");
    }
}

void frmMain::loadCheckBox(view::CheckBox& box, const char* key, const char* defaultValue) {
    const auto value = convert::textToInt16(readSetting(key, defaultValue));
    if (value && *value >= 0 && *value <= 2) {
        box.setValue(*value); // runs the box's click handler when the value changes
    }
}

// The interval box's text as the watch timer's interval. A text that is no
// whole number of milliseconds from 0 to 65535 leaves the interval as it was.
void frmMain::applyInterval() {
    const auto interval = convert::textToInt32(m_controls.txtInterval.text());
    if (interval && *interval >= 0 && *interval <= 65535) {
        endResting();
        m_controls.Timer1.setInterval(*interval);
    }
}

void frmMain::Form_Load() {
    auto& c = m_controls;
    const std::string version = modKorvel::VersionText();
    c.window.setCaption(std::string(kAppTitle) + " - file change monitor v" + version);
    m_host.setWindowIcons();
    c.lblSubTitle.setCaption("v" + version);
    if (const auto folder = m_host.folders().settingsFolder()) {
        // Told once, here: the settings read and written from now on fail quietly.
        if (const auto problem = settings::fileProblem(*folder + "Settings.ini")) {
            showErrorMessage(*problem);
        }
    }
    c.txtInterval.setText(readSetting("Interval", "500"));
    applyInterval();
    c.Timer1.setEnabled(c.chkMonitor.value() == 1);
    loadCheckBox(c.chkMonitor, "Monitor", "0");
    loadCheckBox(c.chkBeep, "Beep", "0");
    loadCheckBox(c.chkNotify, "Notify", "0");
    loadCheckBox(c.chkMakeCopy, "Copy", "0");
    loadCheckBox(c.chkBalloonTip, "Balloon", "1");
    loadCheckBox(c.chkFollowLog, "FollowLog", "1");
    c.txtFileName.setText(readSetting("FileName", platform::defaultWatchedPath()));
    // The tray's steps can fail (no hidden window, a shell that refuses); the
    // window starts all the same.
    continueOnError([&] {
        m_frmSysTray = m_host.createSysTray();
        wireSysTray();
    });
    continueOnError([&] {
        if (m_frmSysTray) {
            m_frmSysTray->AddMenuItem("&Open " + std::string(kAppTitle), "open", true);
            m_frmSysTray->AddMenuItem("-", "", false);
            m_frmSysTray->AddMenuItem("&Close", "close", false);
        }
    });
    continueOnError([&] {
        if (m_frmSysTray) {
            m_frmSysTray->ToolTip(std::string(kAppTitle) + " v" + version);
            m_frmSysTray->IconHandle(m_host.windowIcon());
        }
    });
    if (const auto folder = m_host.folders().appFolder()) {
        std::error_code exists; // an existing folder is fine
        std::filesystem::create_directory(
            std::filesystem::path(std::u8string(folder->begin(), folder->end())) / u8"Copies", exists);
        // Copies a killed run left unfinished (LogTemp.csv is made beside the log).
        copies::removeUnfinishedCopies(*folder + "Copies");
        copies::removeUnfinishedCopies(*folder);
    }
    m_copies.copier().setMessageLoop(&m_host, [this] { return copyGivenUp(); });
    followWatchedFile();
}

int frmMain::run(const std::function<void()>& show, const std::function<int()>& turnLoop) {
    Form_Load();
    show();
    const int status = turnLoop();
    // The settings store writes in the background: what it was asked to
    // write last reaches the file before the program ends.
    flushIniWrites(kSettingsFlushLimit);
    return status;
}

void frmMain::Form_Resize() {
    // Hidden only where the tray icon can bring it back; elsewhere the window
    // stays minimised in the task bar.
    m_outOfSight = m_controls.window.state() == view::WindowState::Minimized;
    if (m_outOfSight && m_controls.window.canHideToTray()) {
        m_controls.window.hide();
    }
    if (!m_outOfSight) {
        endResting(); // the ticks show again
    }
}

void frmMain::Form_Unload() {
    // Nothing is recorded after the window has gone; a running copy finishes
    // and the program ends after it.
    endResting();
    m_controls.Timer1.setEnabled(false);
    followWatchedFile();
    if (m_nestedLoops > 0) {
        // A menu, dialog or box is still on the stack, and what it returns
        // to may use the tray: it is asked to end, and the unload follows.
        m_unloadPending = true;
        m_host.endNestedLoops();
        return;
    }
    m_unloadPending = false;
    m_unloaded = true;
    m_lastCopyBytes = m_copies.copier().BytesWritten();
    m_lastCopyProgress = std::chrono::steady_clock::now();
    continueOnError([&] { m_frmSysTray.reset(); });
    m_copies.close([this] {
        changeLog::writeUnwrittenLines(); // the last try; what fails goes to standard error
        m_host.quit();
    });
}

// From the message loop rather than here: the outermost loop has returned,
// but whatever opened it is still on the stack.
void frmMain::unloadWhenLoopsHaveReturned() noexcept {
    try {
        m_host.post([self = std::weak_ptr<frmMain*>(m_self)] {
            const auto form = self.lock();
            if (form && (*form)->m_unloadPending) {
                (*form)->Form_Unload();
            }
        });
    } catch (...) {
        platform::trailCurrentException();
        Form_Unload(); // out of memory: better here than never
    }
}
