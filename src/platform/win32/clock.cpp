#include "platform/clock.h"

#include <windows.h>

namespace platform {

LocalDateTime localNow() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

} // namespace platform
