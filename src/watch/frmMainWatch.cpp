// The watch tick of the main window: probe the watched file, compare it with
// the newest row of the change list, record a change as a row and a log line,
// and raise the notifications the user has ticked.

#include "app/frmMain.h"
#include "common/continueOnError.h"
#include "common/modKorvel.h"
#include "log/changeLog.h"
#include "platform/files.h"
#include "watch/changeRecord.h"
#include "watch/modSentrel.h"

void frmMain::StepAnimation() {
    AnimationFrame = static_cast<std::int16_t>(AnimationFrame + 1);
    if (AnimationFrame == 19) {
        AnimationFrame = 1;
    }
    m_controls.picAni.showImage(AnimationFrame);
}

void frmMain::Timer1_Timer() {
    auto& c = m_controls;
    continueOnError([&] { StepAnimation(); });

    std::string previousBytes;
    std::string previousState;
    std::string previousDate;
    continueOnError([&] {
        const auto rows = c.lstLog.rowCount();
        previousBytes = c.lstLog.subItem(rows, 3).value_or("");
        previousState = c.lstLog.subItem(rows, 1).value_or("");
        previousDate = c.lstLog.subItem(rows, 4).value_or("");
    });

    const std::string path = c.txtFileName.text();
    const auto code = modSentrel::GetFileState(path);
    ChangeRecord record;
    record.state = std::string(modSentrel::FileStateText(code));
    continueOnError([&] {
        if (m_frmSysTray) {
            m_frmSysTray->IconHandle(m_host.stateIcon(code + 1));
        }
    });
    if (code == modSentrel::fsNoFile) {
        record.sizeInBytes = record.sizeText = record.dateModified = "Unknown";
    } else {
        continueOnError([&] {
            if (const auto length = platform::fileLength(path)) {
                record.sizeInBytes = std::to_string(*length);
            }
            record.sizeText = modSentrel::FormatFileSize(record.sizeInBytes);
        });
        continueOnError([&] {
            if (const auto modified = platform::fileModifiedLocal(path)) {
                record.dateModified = m_host.generalDate(*modified);
            }
        });
    }

    const bool changed =
        record.state != previousState || record.dateModified != previousDate || record.sizeInBytes != previousBytes;
    if (changed) {
        continueOnError([&] {
            c.lstLog.appendRow({m_host.generalDate(m_host.now()), code + 1, record.state, record.sizeText,
                                record.sizeInBytes, record.dateModified});
        });
        continueOnError([&] {
            // The clock is read again: the line's time may be a second later than the row's.
            const auto line = buildLogLine(record, m_host.generalDate(m_host.now()));
            if (const auto folder = m_host.appFolder()) {
                modKorvel::AppendLogLine(line, *folder + "Log.csv");
            }
        });
        notifyChange(code, record);
    }

    continueOnError([&] {
        if (c.chkFollowLog.value() == 1) {
            c.lstLog.ensureVisible(c.lstLog.rowCount());
        }
    });
}

void frmMain::notifyChange(std::int32_t code, const ChangeRecord& record) {
    auto& c = m_controls;
    continueOnError([&] {
        if (c.chkBalloonTip.value() != 1 || !m_frmSysTray) {
            return;
        }
        const std::string message = "File: " + modKorvel::GetFileName(c.txtFileName.text(), false) + "\r\n" +
                                    "State: " + record.state + "\r\n" + "Size: " + record.sizeText + "\r\n" +
                                    "Date Modified: " + record.dateModified;
        const bool gone = code == modSentrel::fsError || code == modSentrel::fsNoFile;
        m_frmSysTray->ShowBalloonTip(message, gone ? "File Removed" : "File Changed", gone ? 2 : 1, 100);
    });
    continueOnError([&] {
        if (c.chkBeep.value() == 1) {
            m_host.beep(500, 100);
        }
    });
    continueOnError([&] {
        if (c.chkNotify.value() == 1) {
            bringBackMainWindow();
        }
    });
    continueOnError([&] {
        if (c.chkMakeCopy.value() == 1) {
            MakeCopy(false);
        }
    });
}
