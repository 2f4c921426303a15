// The main window's copies: the copy request with its timestamped name, the
// button that asks for a manual copy, and the progress bar's timer. Requests
// go through the copy queue, which carries them out one at a time.

#include "app/frmMain.h"

#include "common/modKorvel.h"
#include "copies/DrawProgress.h"
#include "copies/copyName.h"
#include "log/logCopy.h"

void frmMain::MakeCopy(bool bManual) {
    m_copies.submit(bManual ? copies::CopyRequest::Manual : copies::CopyRequest::Automatic);
}

void frmMain::cmdMakeCopy_Click() {
    MakeCopy(true);
}

void frmMain::carryOut(copies::CopyRequest request, FileCopyClass& copier) {
    if (request == copies::CopyRequest::Log) {
        if (const auto folder = m_host.appFolder()) {
            m_host.openDocument(logview::copyLogForViewing(copier, *folder), *folder);
        }
        return;
    }
    copyWatchedFile(request == copies::CopyRequest::Manual, copier);
}

void frmMain::copyWatchedFile(bool bManual, FileCopyClass& copier) {
    const std::string path = m_controls.txtFileName.text();
    if (!modKorvel::FileExists(path)) {
        return;
    }
    const auto folder = m_host.appFolder();
    const std::string destination = folder ? copies::chooseCopyName(copies::copyNamePartsFor(*folder, path, bManual),
                                                                    m_host.clock(), modKorvel::FileExists)
                                           : std::string();
    copier.Sucessfull(false);
    m_controls.Timer2.setEnabled(true);
    if (!destination.empty()) {
        copier.Copy(path, destination);
    }
}

void frmMain::Timer2_Timer() {
    auto& c = m_controls;
    FileCopyClass& copier = m_copies.copier();
    if (copier.Sucessfull()) {
        c.picProgress.clear();
        c.Timer2.setEnabled(false);
        return;
    }
    DrawProgress(c.picProgress, copier.PercentREady(), 100);
}
