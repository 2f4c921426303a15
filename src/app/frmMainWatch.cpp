// The watch tick of the main window: probe the watched file, compare it with
// the newest row of the change list, record a change as a row and a log line,
// and raise the notifications the user has ticked.

#include "app/frmMain.h"

#include "common/continueOnError.h"
#include "common/modKorvel.h"
#include "log/changeLog.h"
#include "tray/notifyIconProtocol.h"
#include "watch/observeFile.h"

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
    auto& c = m_controls;
    StepAnimation();
    const ChangeRecord previous = previousRecord();
    const auto seen = watch::observeFile(c.txtFileName.text(), m_host.clock());
    continueOnError([&] {
        if (m_frmSysTray) {
            m_frmSysTray->IconHandle(m_host.stateIcon(seen.state + 1));
        }
    });
    if (watch::differs(seen.record, previous)) {
        recordChange(seen.state, seen.record);
        notifyChange(seen.state, seen.record);
    }
    if (c.chkFollowLog.value() == 1) {
        c.lstLog.ensureVisible(c.lstLog.rowCount());
    }
}

void frmMain::recordChange(modSentrel::FileState state, const ChangeRecord& record) {
    const Clock& clock = m_host.clock();
    // A row that cannot be stored is skipped; the log line still follows.
    continueOnError([&] { m_controls.lstLog.appendRow({clock.generalDate(clock.now()), state + 1, record}); });
    // The clock is read again: the line's time may be a second later than the row's.
    const auto line = buildLogLine(record, clock.generalDate(clock.now()));
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
