#pragma once
// The wall clock and the user's date formats, as the program reads them: one
// object that the window, the watch tick and the copy names share. The base
// reads the platform; tests derive from it and set the time.

#include "platform/clock.h"
#include "platform/locale.h"

#include <string>

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time, to the second.
    virtual platform::LocalDateTime now() const;
    // A date and time in the user's general date format.
    virtual std::string generalDate(const platform::LocalDateTime& time) const;
    // The user's designators for before and after noon.
    virtual platform::DayHalfDesignators dayHalfDesignators() const;
};
