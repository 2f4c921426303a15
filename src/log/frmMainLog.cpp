// The main window's log commands: clearing the change list and handing the
// user a copy of Log.csv.

#include "app/frmMain.h"
#include "common/continueOnError.h"
#include "common/modKorvel.h"

void frmMain::cmdClearLogView_Click() {
    continueOnError([&] { m_controls.lstLog.clear(); });
}

void frmMain::cmdOpenLog_Click() {
    if (m_copying) {
        m_waitingLogCopy = true; // opened once the running copy has ended
        return;
    }
    runLogCopy();
    afterCopy();
}

void frmMain::runLogCopy() {
    const auto folder = m_host.appFolder();
    if (!folder || !Copier) {
        return;
    }
    const std::string destination = *folder + "LogTemp.csv";
    // The viewer gets a copy, so it never holds Log.csv while ticks append to it.
    m_copying = true;
    Copier->Copy(*folder + "Log.csv", destination);
    m_copying = false;
    modKorvel::ShellOpen(destination, *folder, std::nullopt);
}
