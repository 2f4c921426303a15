#pragma once
// The one place where operating-system error codes become the program's
// classic runtime error numbers and descriptions.

#include "platform/rtError.h"

namespace platform {

// errno on POSIX, GetLastError() on Windows.
RtError rtErrorFromOs(int osError);

// The calling thread's most recent operating-system error, mapped.
RtError lastRtError();

} // namespace platform
