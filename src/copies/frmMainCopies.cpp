// The main window's copies: the copy request with its timestamped name, the
// button that asks for a manual copy, and the progress bar's timer.

#include "app/frmMain.h"
#include "common/continueOnError.h"
#include "common/modKorvel.h"
#include "copies/DrawProgress.h"
#include "copies/copyName.h"
#include "platform/locale.h"

void frmMain::MakeCopy(bool bManual) {
    if (m_copying) {
        // Never nested on the one copier: this request runs when the running
        // copy has ended, with the file as it is then.
        m_waitingCopy = m_waitingCopy.value_or(false) || bManual;
        return;
    }
    runCopyRequest(bManual);
    afterCopy();
}

void frmMain::runCopyRequest(bool bManual) {
    const std::string path = m_controls.txtFileName.text();
    if (!modKorvel::FileExists(path) || !Copier) {
        return;
    }
    std::string destination;
    continueOnError([&] {
        const auto folder = m_host.appFolder();
        if (!folder) {
            return;
        }
        copies::CopyNameServices services;
        services.now = [this] { return m_host.now(); };
        services.designators = platform::userDayHalfDesignators;
        services.exists = modKorvel::FileExists;
        destination = copies::ChooseCopyName(copies::CopyNamePartsFor(*folder, path, bManual), services);
    });
    continueOnError([&] { Copier->Sucessfull(false); });
    continueOnError([&] { m_controls.Timer2.setEnabled(true); });
    if (destination.empty()) {
        return;
    }
    m_copying = true;
    Copier->Copy(path, destination);
    m_copying = false;
}

void frmMain::afterCopy() {
    if (m_unloaded) {
        // The window has gone: what waits is abandoned and the program ends.
        m_waitingCopy.reset();
        m_waitingLogCopy = false;
        m_host.quit();
        return;
    }
    while (!m_copying && (m_waitingCopy || m_waitingLogCopy)) {
        if (m_waitingCopy) {
            const bool manual = *m_waitingCopy;
            m_waitingCopy.reset();
            runCopyRequest(manual);
        } else {
            m_waitingLogCopy = false;
            runLogCopy();
        }
        if (m_unloaded) {
            afterCopy();
            return;
        }
    }
}

void frmMain::cmdMakeCopy_Click() {
    MakeCopy(true);
}

void frmMain::Timer2_Timer() {
    auto& c = m_controls;
    if (!Copier) {
        return;
    }
    if (Copier->Sucessfull()) {
        continueOnError([&] { c.picProgress.clear(); });
        continueOnError([&] { c.Timer2.setEnabled(false); });
        return;
    }
    continueOnError([&] { DrawProgress(c.picProgress, Copier->PercentREady(), 100); });
}
