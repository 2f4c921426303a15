// The main window's copies: the copy request with its timestamped name, the
// button that asks for a manual copy, and the progress bar's timer. Requests
// go through the copy queue, which carries them out one at a time; the
// copier's I/O runs on a thread of its own while the window keeps working.

#include "app/frmMain.h"

#include "common/modKorvel.h"
#include "common/offThread.h"
#include "copies/DrawProgress.h"
#include "copies/copyName.h"
#include "log/logCopy.h"
#include "tray/notifyIconProtocol.h"

namespace {

// How often in a row a version that changed under its copy is followed by a
// copy of the next one, before the file is reported as never holding still.
constexpr int kChangedCopiesInARow = 5;

// The watched file as a copy request sees it, looked at off the GUI thread.
struct SourceLook {
    bool exists = false;
    std::optional<platform::FileStatus> status;
};

// Refused, or stopped, to keep the disk's reserve free; a disk that filled up
// under the copy is short of space just the same.
bool shortOfSpace(const FileCopyClass& copier) {
    return copier.LastError() && copier.LastError()->number == rterr::DiskFull;
}

// A file system that renumbers its files gives the same version a new
// identity now and then: that alone makes no new version to copy.
bool sameVersion(const std::optional<platform::FileStatus>& a, const std::optional<platform::FileStatus>& b) {
    return a && b && a->identity && b->identity && a->length == b->length && a->modifiedTicks == b->modifiedTicks &&
           !platform::anotherFile(a->identity, a->changeTicks, b->identity, b->changeTicks);
}

} // namespace

void frmMain::MakeCopy(bool bManual) {
    m_copies.submit(bManual ? copies::CopyRequest::Manual : copies::CopyRequest::Automatic);
}

void frmMain::cmdMakeCopy_Click() {
    MakeCopy(true);
}

void frmMain::carryOut(copies::CopyRequest request, FileCopyClass& copier) {
    if (request == copies::CopyRequest::Log) {
        if (const auto folder = m_host.folders().appFolder()) {
            const std::string copy = logview::copyLogForViewing(copier, *folder);
            // Asked for by a click, so told at every one; what opens is the
            // older copy, if any.
            if (copier.LastOutcome() == CopyOutcome::Failed && shortOfSpace(copier)) {
                notifyCopyFailed("Log.csv", copier.LastError()->text());
            }
            m_host.shell().openDocument(copy, *folder);
        }
        return;
    }
    copyWatchedFile(request, copier);
}

void frmMain::copyWatchedFile(copies::CopyRequest request, FileCopyClass& copier) {
    const bool bManual = request == copies::CopyRequest::Manual;
    const std::string path = m_controls.txtFileName.text();
    endResting(); // its look waits behind the prober's
    // The watched file's file system may not answer: it is looked at off the GUI thread.
    OffThread<SourceLook> look(
        m_host,
        [path] {
            return SourceLook{modKorvel::FileExists(path), platform::fileStatus(path)};
        },
        &m_prober);
    const auto source = look.wait([this] { return m_unloaded; });
    if (!source || m_unloaded) {
        return;
    }
    // The rows recorded so far are what this copy settles; whether it holds
    // the newest one's version is told by the look it is made from.
    const auto newest = m_rowCopies.newest(m_controls.lstLog.rowCount());
    const bool holdsNewest = sameVersion(source->status, newestRowVersion());
    if (!source->exists) {
        m_rowCopies.failed(newest, makeRtError(rterr::FileNotFound).text());
        return;
    }
    if (!bManual && sameVersion(source->status, m_newestCopySource)) {
        m_rowCopies.copiedBefore(newest, holdsNewest);
        return; // read, not changed: its newest copy holds this version already
    }
    const auto folder = m_host.folders().appFolder();
    const std::string destination = folder ? copies::chooseCopyName(copies::copyNamePartsFor(*folder, path, bManual),
                                                                    m_host.clock(), modKorvel::FileExists)
                                           : std::string();
    copier.Sucessfull(false);
    m_copyFailed = false;
    m_controls.Timer2.setEnabled(true);
    if (destination.empty()) {
        m_rowCopies.failed(newest, "the program's folder is not known");
        return;
    }
    copier.Copy(path, destination);
    const auto failed = [&](const std::string& reason) {
        m_rowCopies.failed(newest, reason);
        return reason;
    };
    switch (copier.LastOutcome()) {
    case CopyOutcome::Copied:
        m_rowCopies.copied(newest, holdsNewest, destination);
        m_newestCopySource = source->status;
        m_changedDuringCopy = 0;
        m_toldShortOfSpace = false;
        break;
    case CopyOutcome::SourceChanged:
        // Rewritten under the copy: nothing was kept, and the version that
        // follows is copied once this request has ended.
        if (++m_changedDuringCopy < kChangedCopiesInARow) {
            m_copies.submit(request);
        } else {
            m_changedDuringCopy = 0;
            showCopyFailed(failed("the file changed every time it was being copied"));
        }
        break;
    case CopyOutcome::Failed: {
        const std::string reason =
            failed(copier.LastError() ? copier.LastError()->text() : "the copy could not be written");
        if (shortOfSpace(copier)) {
            if (m_toldShortOfSpace) {
                showCopyFailed({}); // the bar only
                break;
            }
            m_toldShortOfSpace = true;
        }
        showCopyFailed(reason);
        break;
    }
    case CopyOutcome::SourceMissing:
        showCopyFailed(failed(makeRtError(rterr::FileNotFound).text()));
        break;
    case CopyOutcome::Abandoned:
        break; // the window has gone
    }
}

// The newest row's version as a copy's look would see it; none when the list
// has been cleared since it was recorded or the probe could not tell it.
std::optional<platform::FileStatus> frmMain::newestRowVersion() const {
    if (m_newestStampRow != m_controls.lstLog.rowCount() || !m_newestStamp || !m_newestLength ||
        !m_newestStamp->modifiedTicks) {
        return std::nullopt;
    }
    platform::FileStatus version;
    version.length = *m_newestLength;
    version.modifiedTicks = *m_newestStamp->modifiedTicks;
    version.identity = m_newestStamp->identity;
    version.changeTicks = m_newestStamp->changeTicks;
    return version;
}

// Once the window has gone, a copy under way is still waited for, but only
// while it moves: a file system that stopped answering must not keep the
// program from ending.
bool frmMain::copyGivenUp() {
    if (!m_unloaded) {
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    const std::int64_t written = m_copies.copier().BytesWritten();
    if (written != m_lastCopyBytes) {
        m_lastCopyBytes = written;
        m_lastCopyProgress = now;
        return false;
    }
    return now - m_lastCopyProgress > std::chrono::seconds(2);
}

// The failure in the bar, where it stays until the next copy, and in a
// notification that asks nothing of the user (none for an empty reason).
void frmMain::showCopyFailed(const std::string& reason) {
    m_copyFailed = true;
    m_controls.Timer2.setEnabled(true);
    if (!reason.empty()) {
        notifyCopyFailed(modKorvel::GetFileName(m_controls.txtFileName.text(), false), reason);
    }
}

void frmMain::notifyCopyFailed(const std::string& file, const std::string& reason) {
    showBalloon("File: " + file + "\r\nNo copy was made: " + reason, "Copy Failed", tray::balloonIcon::Error);
}

void frmMain::Timer2_Timer() {
    auto& c = m_controls;
    FileCopyClass& copier = m_copies.copier();
    if (copier.Sucessfull()) {
        c.picProgress.clear();
        c.Timer2.setEnabled(false);
        return;
    }
    if (m_copyFailed) {
        drawFailedProgress(c.picProgress); // kept by the box; nothing more to poll
        c.Timer2.setEnabled(false);
        return;
    }
    DrawProgress(c.picProgress, copier.PercentREady(), 100);
}
