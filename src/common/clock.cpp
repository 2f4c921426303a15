#include "common/clock.h"

platform::LocalDateTime Clock::now() const {
    return platform::localNow();
}

std::string Clock::generalDate(const platform::LocalDateTime& time) const {
    return platform::generalDateText(time);
}

platform::DayHalfDesignators Clock::dayHalfDesignators() const {
    return platform::userDayHalfDesignators();
}
