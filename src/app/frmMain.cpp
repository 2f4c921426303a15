#include "app/frmMain.h"

#include "app/modKorvelIni.h"
#include "common/continueOnError.h"
#include "common/convert.h"
#include "common/modKorvel.h"
#include "common/version.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/shell.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kSection = "Main";

// Every step of a handler runs on its own: one that fails is skipped and the
// next one runs.
} // namespace

platform::LocalDateTime frmMainHost::now() {
    return platform::localNow();
}

std::string frmMainHost::generalDate(const platform::LocalDateTime& time) {
    return platform::generalDateText(time);
}

std::optional<std::string> frmMainHost::appFolder() {
    return modKorvel::AppFolder();
}

frmMain::frmMain(const frmMainControls& controls, frmMainHost& host) : m_controls(controls), m_host(host) {
    wireControls();
}

frmMain::~frmMain() = default;

void frmMain::wireControls() {
    auto& c = m_controls;
    c.window.onResize = [this] { Form_Resize(); };
    c.chkMonitor.onClick = [this] { chkMonitor_Click(); };
    c.chkBeep.onClick = [this] { chkBeep_Click(); };
    c.chkNotify.onClick = [this] { chkNotify_Click(); };
    c.chkMakeCopy.onClick = [this] { chkMakeCopy_Click(); };
    c.chkBalloonTip.onClick = [this] { chkBalloonTip_Click(); };
    c.chkFollowLog.onClick = [this] { chkFollowLog_Click(); };
    c.txtInterval.onChange = [this] { txtInterval_Change(); };
    c.cmdFileOpen.onClick = [this] { cmdFileOpen_Click(); };
    c.cmdMonitorOpen.onClick = [this] { cmdMonitorOpen_Click(); };
    c.cmdOpenFolder.onClick = [this] { cmdOpenFolder_Click(); };
    c.cmdFolderCopiesOpen.onClick = [this] { cmdFolderCopiesOpen_Click(); };
    c.cmdMakeCopy.onClick = [this] { cmdMakeCopy_Click(); };
    c.cmdOpenLog.onClick = [this] { cmdOpenLog_Click(); };
    c.cmdClearLogView.onClick = [this] { cmdClearLogView_Click(); };
    c.Timer1.onTick = [this] { Timer1_Timer(); };
    c.Timer2.onTick = [this] { Timer2_Timer(); };
}

// Settings.ini beside the executable, named through the host so that a test's
// window keeps its settings in its own folder.
std::string frmMain::settingsFile() {
    const auto folder = m_host.appFolder();
    return folder ? *folder + "Settings.ini" : std::string();
}

std::string frmMain::readSetting(const char* key, const std::string& defaultValue) {
    return modKorvel::ReadIniSetting(kSection, key, settingsFile(), defaultValue);
}

void frmMain::writeSetting(const char* key, const std::string& value) {
    modKorvel::WriteIniSetting(kSection, key, value, settingsFile());
}

void frmMain::loadCheckBox(view::CheckBox& box, const char* key, const char* defaultValue) {
    continueOnError([&] {
        const auto value = convert::TextToInt16(readSetting(key, defaultValue));
        if (value && *value >= 0 && *value <= 2) {
            box.setValue(*value); // runs the box's click handler when the value changes
        }
    });
}

void frmMain::Form_Load() {
    auto& c = m_controls;
    const std::string version = modKorvel::VersionText();
    continueOnError([&] { c.window.setCaption(std::string(kAppTitle) + " - file change monitor v" + version); });
    continueOnError([&] { m_host.setWindowIcons(); });
    continueOnError([&] { c.lblSubTitle.setCaption("v" + version); });
    continueOnError([&] { c.txtInterval.setText(readSetting("Interval", "500")); });
    continueOnError([&] {
        const auto interval = convert::TextToInt32(c.txtInterval.text());
        if (interval && *interval >= 0 && *interval <= 65535) {
            c.Timer1.setInterval(*interval);
        }
    });
    continueOnError([&] { c.Timer1.setEnabled(c.chkMonitor.value() == 1); });
    loadCheckBox(c.chkMonitor, "Monitor", "0");
    loadCheckBox(c.chkBeep, "Beep", "0");
    loadCheckBox(c.chkNotify, "Notify", "0");
    loadCheckBox(c.chkMakeCopy, "Copy", "0");
    loadCheckBox(c.chkBalloonTip, "Balloon", "1");
    loadCheckBox(c.chkFollowLog, "FollowLog", "1");
    continueOnError([&] { c.txtFileName.setText(readSetting("FileName", platform::defaultWatchedPath())); });
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
    continueOnError([&] {
        if (const auto folder = m_host.appFolder()) {
            std::error_code exists;
            std::filesystem::create_directory(
                std::filesystem::path(std::u8string(folder->begin(), folder->end())) / u8"Copies", exists);
        }
    });
    continueOnError([&] {
        Copier = std::make_unique<FileCopyClass>();
        Copier->setYield([this] { m_host.pumpMessages(); });
    });
}

void frmMain::Form_Resize() {
    continueOnError([&] {
        // Hidden only where the tray icon can bring it back; elsewhere the
        // window stays minimised in the task bar.
        if (m_controls.window.state() == view::WindowState::Minimized && m_controls.window.canHideToTray()) {
            m_controls.window.hide();
        }
    });
}

void frmMain::Form_Unload() {
    m_unloaded = true;
    // Nothing is recorded after the window has gone; a running copy finishes
    // and the program ends after it.
    continueOnError([&] { m_controls.Timer1.setEnabled(false); });
    continueOnError([&] { m_frmSysTray.reset(); });
    if (!m_copying) {
        m_host.quit();
    }
}

void frmMain::writeCheckBox(const char* key, const view::CheckBox& box) {
    continueOnError([&] { writeSetting(key, std::to_string(box.value())); });
}

void frmMain::chkMonitor_Click() {
    auto& c = m_controls;
    if (c.chkMonitor.value() == 1) {
        continueOnError([&] { c.Timer1.setEnabled(true); });
    } else {
        continueOnError([&] { c.Timer1.setEnabled(false); });
        continueOnError([&] { c.picAni.clear(); });
        continueOnError([&] {
            if (m_frmSysTray) {
                m_frmSysTray->IconHandle(m_host.stateIcon(5));
            }
        });
    }
    writeCheckBox("Monitor", c.chkMonitor);
}

void frmMain::chkBeep_Click() {
    writeCheckBox("Beep", m_controls.chkBeep);
}

void frmMain::chkNotify_Click() {
    writeCheckBox("Notify", m_controls.chkNotify);
}

void frmMain::chkMakeCopy_Click() {
    writeCheckBox("Copy", m_controls.chkMakeCopy);
}

void frmMain::chkBalloonTip_Click() {
    writeCheckBox("Balloon", m_controls.chkBalloonTip);
}

void frmMain::chkFollowLog_Click() {
    writeCheckBox("FollowLog", m_controls.chkFollowLog);
}

void frmMain::txtInterval_Change() {
    auto& c = m_controls;
    continueOnError([&] {
        const auto interval = convert::TextToInt32(c.txtInterval.text());
        if (interval && *interval >= 0 && *interval <= 65535) {
            c.Timer1.setInterval(*interval);
        }
    });
    continueOnError([&] { writeSetting("Interval", c.txtInterval.text()); });
}

void frmMain::cmdFileOpen_Click() {
    auto& c = m_controls;
    continueOnError([&] {
        // A cancelled dialog leaves the watched path and its setting alone.
        const auto chosen = m_host.chooseFile("Select a file to monitor", "All Files|*.*");
        if (chosen) {
            c.txtFileName.setText(*chosen);
            writeSetting("FileName", c.txtFileName.text());
        }
    });
}

void frmMain::cmdMonitorOpen_Click() {
    continueOnError([&] {
        const auto path = m_controls.txtFileName.text();
        modKorvel::ShellOpen(path, modKorvel::GetFolder(path), std::nullopt);
    });
}

void frmMain::cmdOpenFolder_Click() {
    continueOnError([&] {
        const auto path = m_controls.txtFileName.text();
        if (modKorvel::AddBackslash(path)) { // an empty path names nothing to show
            m_host.showFileInFolder(path);
        }
    });
}

void frmMain::cmdFolderCopiesOpen_Click() {
    continueOnError([&] {
        if (const auto folder = m_host.appFolder()) {
            m_host.openFolder(*folder + "Copies");
        }
    });
}
