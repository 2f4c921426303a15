#pragma once
// The local wall clock, as the user sees it.

namespace platform {

struct LocalDateTime {
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // 1 to 31
    int hour = 0;  // 0 to 23
    int minute = 0;
    int second = 0;
    bool operator==(const LocalDateTime&) const = default;
};

// The current local date and time, to the second.
LocalDateTime localNow();

} // namespace platform
