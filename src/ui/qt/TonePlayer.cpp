#include "ui/qt/TonePlayer.h"

#include <thread>

namespace ui {

TonePlayer::TonePlayer(Play play, std::function<void()> noSound) : m_play(std::move(play)) {
    m_noSound = std::make_shared<Waker>([context = &m_context, noSound = std::move(noSound)] {
        QMetaObject::invokeMethod(context, noSound, Qt::QueuedConnection);
    });
}

TonePlayer::~TonePlayer() {
    // Before m_context goes: a tone thread inside wake() holds the waker's lock until it has posted.
    m_noSound->close();
}

bool TonePlayer::start(std::int32_t frequency, std::int32_t milliseconds) noexcept {
    if (m_playing->exchange(true)) {
        return false;
    }
    try {
        std::thread([play = m_play, playing = m_playing, noSound = m_noSound, frequency, milliseconds] {
            bool played = false;
            try {
                played = play(frequency, milliseconds);
            } catch (...) {
                // Not played, as without a sound device.
            }
            playing->store(false);
            if (!played) {
                noSound->wake();
            }
        }).detach();
    } catch (...) {
        // No thread to be had: no tone either.
        m_playing->store(false);
        m_noSound->wake();
    }
    return true;
}

} // namespace ui
