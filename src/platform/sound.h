#pragma once
// A plain tone through the sound device.

#include <cstdint>

namespace platform {

// Plays a sine tone and returns when it has ended: true when it was played,
// false when there is no sound device (or nothing to play it with). It may
// wait seconds for the player; any thread may call it.
bool playTone(std::int32_t frequency, std::int32_t milliseconds);

} // namespace platform
