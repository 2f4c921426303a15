// The watch tick of the main window: probe the watched file, compare it with
// the newest row of the change list, record a change as a row and a log line,
// and raise the notifications the user has ticked.
//
// The probe runs on a thread of its own while the tick keeps the message loop
// turning, so a file system that stops answering never stops the window.

#include "app/frmMain.h"

#include "common/continueOnError.h"
#include "common/modKorvel.h"
#include "log/changeLog.h"
#include "tray/notifyIconProtocol.h"

#include <utility>

struct frmMain::PendingProbe {
    OffThread<watch::FileProbe> task;
};

void frmMain::StepAnimation() {
    AnimationFrame = static_cast<std::int16_t>(AnimationFrame + 1);
    if (AnimationFrame == 19) {
        AnimationFrame = 1;
    }
    m_controls.picAni.showImage(AnimationFrame);
}

// The newest row's state, size in bytes and date modified; empty texts when
// the list is empty.
ChangeRecord frmMain::previousRecord() const {
    const auto& list = m_controls.lstLog;
    const auto newest = list.rowCount();
    ChangeRecord previous;
    previous.sizeInBytes = list.subItem(newest, ChangeColumn::SizeInBytes).value_or("");
    previous.state = list.subItem(newest, ChangeColumn::State).value_or("");
    previous.dateModified = list.subItem(newest, ChangeColumn::DateModified).value_or("");
    return previous;
}

void frmMain::Timer1_Timer() {
    StepAnimation();
    if (m_probe) {
        // Answered, but the tick that asked waits lower on the stack (under a
        // copy, a dialog): this tick takes the answer over. Unanswered: the
        // file system is slow or hangs, and this tick records nothing.
        if (m_probe->task.finished()) {
            const auto answer = std::exchange(m_probe, nullptr)->task.take();
            if (answer) {
                takeProbeResult(*answer);
            }
        }
        return;
    }
    const std::string path = m_controls.txtFileName.text();
    auto probe = std::make_shared<PendingProbe>(PendingProbe{OffThread<watch::FileProbe>(
        m_host, [path] { return watch::probeFile(path); }, &m_prober)});
    m_probe = probe;
    const auto answer = probe->task.wait([&] { return m_unloaded || m_probe != probe; });
    if (m_probe != probe || m_unloaded) {
        return; // taken over by a later tick, or the window has gone
    }
    m_probe.reset(); // answered, or failed without an answer: the next tick probes afresh
    if (answer) {
        takeProbeResult(*answer);
    }
}

void frmMain::takeProbeResult(const watch::FileProbe& probe) {
    auto& c = m_controls;
    if (m_unloaded) {
        return;
    }
    const auto seen = watch::describe(probe, m_host.clock());
    continueOnError([&] {
        if (m_frmSysTray) {
            m_frmSysTray->IconHandle(m_host.stateIcon(seen.state + 1));
        }
    });
    const bool stampBelongsToNewest = m_newestStampRow == c.lstLog.rowCount() && m_newestStampRow > 0;
    if (watch::differs(seen, previousRecord(), stampBelongsToNewest ? m_newestStamp : std::nullopt)) {
        recordChange(seen);
        notifyChange(seen.state, seen.record);
    }
    if (c.chkFollowLog.value() == 1) {
        c.lstLog.ensureVisible(c.lstLog.rowCount());
    }
}

void frmMain::recordChange(const watch::Observation& seen) {
    const Clock& clock = m_host.clock();
    auto& list = m_controls.lstLog;
    // A row that cannot be stored is skipped; the log line still follows.
    continueOnError([&] {
        // The row keeps the formats its texts were compared in; its time is
        // written in them too.
        list.appendRow({clock.now(), seen.state, seen.values, seen.formats});
        m_newestStamp = seen.stamp;
        m_newestStampRow = list.rowCount();
    });
    // The clock is read again: the line's time may be a second later than the row's.
    const auto line = buildLogLine(seen.record, clock.generalDate(clock.now()));
    if (const auto folder = m_host.appFolder()) {
        modKorvel::AppendLogLine(line, *folder + "Log.csv");
    }
}

void frmMain::notifyChange(modSentrel::FileState state, const ChangeRecord& record) {
    auto& c = m_controls;
    if (c.chkBalloonTip.value() == 1 && m_frmSysTray) {
        continueOnError([&] {
            const bool gone = state == modSentrel::fsError || state == modSentrel::fsNoFile;
            m_frmSysTray->ShowBalloonTip(
                watch::balloonMessage(modKorvel::GetFileName(c.txtFileName.text(), false), record),
                gone ? "File Removed" : "File Changed", gone ? tray::balloonIcon::Warning : tray::balloonIcon::Info,
                100);
        });
    }
    if (c.chkBeep.value() == 1) {
        m_host.beep(500, 100);
    }
    if (c.chkNotify.value() == 1) {
        bringBackMainWindow();
    }
    if (c.chkMakeCopy.value() == 1) {
        MakeCopy(false);
    }
}
