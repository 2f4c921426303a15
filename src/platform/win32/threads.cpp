#include "platform/threads.h"

namespace platform {

void keepSignalsFromThisThread() noexcept {
    // Windows delivers console and session-end events on threads of their own.
}

} // namespace platform
