#include "common/tonePlayer.h"
#include "platform/trail.h"

#include <utility>

TonePlayer::TonePlayer(Play play, std::function<void()> noSound, const std::shared_ptr<Waker>& loop)
    : m_play(std::move(play)) {
    m_noSound = std::make_shared<Waker>([loop, noSound = std::move(noSound)] {
        if (loop && noSound) {
            loop->post(noSound);
        }
    });
}

TonePlayer::~TonePlayer() {
    m_noSound->close();
}

bool TonePlayer::start(std::int32_t frequency, std::int32_t milliseconds) noexcept {
    if (m_playing->exchange(true)) {
        return false;
    }
    try {
        m_thread.post([play = m_play, playing = m_playing, noSound = m_noSound, frequency, milliseconds] {
            bool played = false;
            try {
                played = play(frequency, milliseconds);
            } catch (...) {
                platform::trailCurrentException();
                // Not played, as without a sound device.
            }
            playing->store(false);
            if (!played) {
                noSound->wake();
            }
        });
    } catch (...) {
        platform::trailCurrentException();
        // No thread to be had: no tone either.
        m_playing->store(false);
        m_noSound->wake();
    }
    return true;
}
