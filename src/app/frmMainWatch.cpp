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
#include "platform/trail.h"
#include "tray/notifyIconProtocol.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

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

// A probe on the prober's thread. An answer that is exactly the window's
// quiet baseline ends it there, without waking the window: the window would
// record nothing and show nothing new. Unless the window has asked for the
// answer meanwhile (a file event came while the probe was under way).
struct frmMain::ProbeTicket {
    enum : int { Running, EndedQuietly, AnswerWanted };
    std::atomic<int> state{Running};
    // A probe that keeps the interval itself sleeps here between its looks.
    std::mutex mutex;
    std::condition_variable wake;

    void wantAnswer() {
        int running = Running;
        if (state.compare_exchange_strong(running, AnswerWanted, std::memory_order_acq_rel)) {
            // Taken and let go at once, so that a sleeper cannot miss the change.
            const std::lock_guard lock(mutex);
        }
        wake.notify_all();
    }
    // True once `until` has come with no answer wanted; false as soon as one is.
    bool sleepUntil(std::chrono::steady_clock::time_point until) {
        std::unique_lock lock(mutex);
        return !wake.wait_until(lock, until, [this] { return state.load(std::memory_order_acquire) != Running; });
    }
};

bool frmMain::probeUnderWay() const {
    return m_probe && m_probe->state.load(std::memory_order_acquire) != ProbeTicket::EndedQuietly;
}

// The probe under way ended without an answer for the window: its cycle is over.
bool frmMain::probeEndedQuietly() {
    if (!m_probe || m_probe->state.load(std::memory_order_acquire) != ProbeTicket::EndedQuietly) {
        return false;
    }
    finishCycle(std::nullopt);
    return true;
}

void frmMain::Timer1_Timer() {
    auto& c = m_controls;
    const std::string path = followWatchedFile();
    StepAnimation();
    // On every tick, whether or not its probe brings news.
    if (c.chkFollowLog.value() == 1) {
        c.lstLog.ensureVisible(c.lstLog.rowCount());
    }
    if (m_probe && (!probeEndedQuietly() || m_probe)) {
        // Unanswered: the file system is slow or hangs, and this tick records
        // nothing. (Or the cycle that the quiet end let run has its own probe.)
        return;
    }
    std::optional<watch::FileProbe> quietIf;
    if (m_quietBaseline && !m_eventCycleRunning && m_quietBaseline->path == path &&
        m_quietBaseline->rows == c.lstLog.rowCount() && m_quietBaseline->formats == m_host.clock().formats()) {
        quietIf = m_quietBaseline->probe;
    }
    // While nothing of the window shows a tick and the file's events are
    // heard, the timer rests and the prober keeps the interval itself: a
    // quiet file then costs one wake-up a tick instead of two. It answers the
    // window at news, when asked to, and at least every kCheckIn, so that
    // what it cannot see (the date formats, a lost watch) waits no longer.
    std::chrono::milliseconds keep{0};
    if (quietIf && m_outOfSight && listeningForEvents() && c.Timer1.interval() > 0) {
        keep = std::chrono::milliseconds(c.Timer1.interval());
        m_restingInterval = c.Timer1.interval();
        c.Timer1.setInterval(0);
    }
    // The file is looked at on the prober's thread, and the answer comes back
    // as a message: the GUI thread never waits for the file system.
    auto ticket = std::make_shared<ProbeTicket>();
    auto finish = [self = std::weak_ptr<frmMain*>(m_self)](const watch::FileProbe& answer) {
        if (const auto form = self.lock()) {
            (*form)->finishCycle(answer);
        }
    };
    m_prober.post([path, quietIf = std::move(quietIf), keep, ticket, waker = m_host.waker(),
                   finish = std::move(finish)] {
        try {
            constexpr auto kCheckIn = std::chrono::seconds(30);
            auto next = std::chrono::steady_clock::now();
            const auto checkIn = next + kCheckIn;
            for (;;) {
                auto answer = watch::probeFile(path);
                if (quietIf && answer == *quietIf) {
                    int running = ProbeTicket::Running;
                    if (keep.count() == 0 && ticket->state.compare_exchange_strong(running, ProbeTicket::EndedQuietly,
                                                                                   std::memory_order_acq_rel)) {
                        return;
                    }
                    next = std::max(next + keep, std::chrono::steady_clock::now());
                    if (keep.count() > 0 && next < checkIn && ticket->sleepUntil(next)) {
                        continue;
                    }
                }
                waker->post([answer = std::move(answer), finish] { finish(answer); });
                return;
            }
        } catch (...) {
            platform::trailCurrentException();
            // Out of memory: no answer, and the ticks go on finding the probe under way.
        }
    });
    m_probe = std::move(ticket);
    ++m_cycles;
}

// The prober hands the interval back to the watch timer, answering at once.
void frmMain::endResting() {
    if (const auto interval = std::exchange(m_restingInterval, std::nullopt)) {
        m_controls.Timer1.setInterval(*interval);
        if (m_probe) {
            m_probe->wantAnswer();
        }
    }
}

void frmMain::finishCycle(const std::optional<watch::FileProbe>& probe) {
    endResting();
    m_probe.reset();
    struct Finished {
        frmMain& form;
        ~Finished() {
            if (--form.m_cycles == 0 && std::exchange(form.m_eventCycleWanted, false)) {
                form.runEventCycle();
            }
        }
    } finished{*this};
    if (probe) {
        continueOnError([&] { takeProbeResult(*probe); });
    }
}

// Events while monitoring is on make the file be looked at; a watch that
// could not be set (the folder is missing) is tried again on every tick.
std::string frmMain::followWatchedFile() {
    const std::string path = m_controls.txtFileName.text();
    const std::string followed = m_controls.Timer1.enabled() && !m_unloaded ? path : std::string();
    if (followed != m_eventsPath) {
        m_eventsPath = followed;
        m_events->follow(followed);
    } else if (!followed.empty()) {
        m_events->retry();
    }
    return path;
}

// The file's events asked for a cycle: the timer's own, once no other is
// under way.
void frmMain::runEventCycle() {
    if (m_probe) {
        // The probe under way must answer the window after all: the cycle
        // asked for follows once it has.
        endResting();
        m_probe->wantAnswer();
        probeEndedQuietly();
    }
    if (m_cycles > 0) {
        m_eventCycleWanted = true;
        return;
    }
    m_events->cycleStarted();
    if (m_controls.Timer1.enabled() && !m_unloaded) {
        // Something happened to the file: its probe always answers.
        m_eventCycleRunning = true;
        Timer1_Timer();
        m_eventCycleRunning = false;
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
    } else if (stampBelongsToNewest && seen.stamp) {
        // The same version, seen anew: a status change alone (permissions, a
        // link) or a file system that renumbered its files. Compared with
        // the stamp from now on, so that the two never add up to a change.
        m_newestStamp = seen.stamp;
    }
    if (c.chkFollowLog.value() == 1) {
        c.lstLog.ensureVisible(c.lstLog.rowCount());
    }
    m_quietBaseline = QuietBaseline{probe, c.txtFileName.text(), c.lstLog.rowCount(), m_host.clock().formats()};
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
        m_newestLength = seen.values.sizeInBytes;
        m_newestStampRow = list.rowCount();
        using enum logview::RowCopyState;
        m_rowCopies.recorded(m_newestStampRow, m_controls.chkMakeCopy.value() != 1  ? CopiesOff
                                               : seen.state == modSentrel::fsNoFile ? NothingToCopy
                                                                                    : Copying);
    });
    // The clock is read again: the line's time may be a second later than the row's.
    const auto line = buildLogLine(seen.record, clock.generalDate(clock.now()));
    if (const auto folder = m_host.folders().appFolder()) {
        modKorvel::AppendLogLine(line, *folder + "Log.csv");
    }
}

void frmMain::notifyChange(modSentrel::FileState state, const ChangeRecord& record) {
    auto& c = m_controls;
    if (c.chkBalloonTip.value() == 1) {
        // A message that cannot be made still lets the beep and the copy follow.
        continueOnError([&] {
            const bool gone = state == modSentrel::fsError || state == modSentrel::fsNoFile;
            showBalloon(watch::balloonMessage(modKorvel::GetFileName(c.txtFileName.text(), false), record),
                        gone ? "File Removed" : "File Changed",
                        gone ? tray::balloonIcon::Warning : tray::balloonIcon::Info);
        });
    }
    if (c.chkBeep.value() == 1) {
        m_host.sound().beep(500, 100);
    }
    if (c.chkNotify.value() == 1) {
        bringBackMainWindow();
    }
    if (c.chkMakeCopy.value() == 1) {
        MakeCopy(false);
    }
}
