#pragma once
// Tones played on a thread of their own, so that the GUI thread never waits
// for the audio system (which can take seconds to start, or never answer).

#include "common/waker.h"
#include "common/workerThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class TonePlayer {
public:
    using Play = std::function<bool(std::int32_t frequency, std::int32_t milliseconds)>;

    // `play` plays a tone on the tone's thread and says whether it could;
    // when it could not, `noSound` (if any) runs on the loop that `loop`
    // wakes, after what that loop runs now.
    TonePlayer(Play play, std::function<void()> noSound, const std::shared_ptr<Waker>& loop);
    // A tone still playing ends unseen: `noSound` no longer runs for it.
    ~TonePlayer();
    TonePlayer(const TonePlayer&) = delete;
    TonePlayer& operator=(const TonePlayer&) = delete;

    // Starts a tone and returns at once. One plays at a time: while one
    // still plays, the next is dropped (false), since the one playing
    // already says what a beep says.
    bool start(std::int32_t frequency, std::int32_t milliseconds) noexcept;

private:
    Play m_play;
    std::shared_ptr<std::atomic<bool>> m_playing = std::make_shared<std::atomic<bool>>(false);
    // The closable hand-over from the tone's thread back to the loop.
    std::shared_ptr<Waker> m_noSound;
    WorkerThread m_thread;
};
