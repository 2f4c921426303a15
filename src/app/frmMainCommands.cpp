// The main window's commands: the monitor switch and the option boxes, the
// interval box, the file chooser and the buttons that open the watched file,
// its folder and the Copies folder.

#include "app/frmMain.h"

#include "common/continueOnError.h"
#include "common/modKorvel.h"

void frmMain::writeCheckBox(const char* key, const view::CheckBox& box) {
    writeSetting(key, std::to_string(box.value()));
}

void frmMain::chkMonitor_Click() {
    auto& c = m_controls;
    endResting();
    if (c.chkMonitor.value() == 1) {
        c.Timer1.setEnabled(true);
    } else {
        c.Timer1.setEnabled(false);
        c.picAni.clear();
        continueOnError([&] {
            if (m_frmSysTray) {
                m_frmSysTray->IconHandle(m_host.stateIcon(5));
            }
        });
    }
    m_quietBaseline.reset(); // the tray shows the state again on the next answer
    followWatchedFile();
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
    applyInterval();
    writeSetting("Interval", m_controls.txtInterval.text());
}

void frmMain::cmdFileOpen_Click() {
    const auto chosen = [this] {
        const NestedLoop dialog(*this);
        return m_host.shell().chooseFile("Select a file to monitor", "All Files|*.*");
    }();
    // A cancelled dialog leaves the watched path and its setting alone.
    if (chosen) {
        m_controls.txtFileName.setText(*chosen);
        followWatchedFile();
        writeSetting("FileName", m_controls.txtFileName.text());
    }
}

void frmMain::cmdMonitorOpen_Click() {
    const auto path = m_controls.txtFileName.text();
    m_host.shell().openDocument(path, modKorvel::GetFolder(path));
}

void frmMain::cmdOpenFolder_Click() {
    const auto path = m_controls.txtFileName.text();
    if (modKorvel::AddBackslash(path)) { // an empty path names nothing to show
        m_host.shell().showFileInFolder(path);
    }
}

void frmMain::cmdFolderCopiesOpen_Click() {
    if (const auto folder = m_host.folders().appFolder()) {
        m_host.shell().openFolder(*folder + "Copies");
    }
}
