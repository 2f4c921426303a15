#include "platform/sound.h"

#include <windows.h>

namespace platform {

bool playTone(std::int32_t frequency, std::int32_t milliseconds) {
    return ::Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(milliseconds)) != 0;
}

} // namespace platform
