#pragma once
// The wall clock and the user's date formats, as the program reads them: one
// object that the window, the watch tick and the copy names share. The base
// reads the platform; tests derive from it and set the time and the formats.

#include "platform/clock.h"
#include "platform/locale.h"

#include <memory>
#include <string>
#include <string_view>

// The user's formats at one moment: how a date and time and a size's decimal
// separator look. A row of the change list keeps the formats it was recorded
// with, so that what it shows never changes when the user changes them, and a
// date written with them compares as it did when it was recorded.
class TextFormats {
public:
    virtual ~TextFormats() = default;
    // A date and time in the general date format.
    virtual std::string generalDate(const platform::LocalDateTime& time) const = 0;
    virtual std::string_view decimalSeparator() const = 0;
    // Whether `other` writes every date and size as these do.
    virtual bool sameAs(const TextFormats& other) const = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time, to the second.
    virtual platform::LocalDateTime now() const;
    // The user's formats now; the same object comes back for as long as they
    // stay the same, so a caller can tell a change by the pointer alone.
    virtual std::shared_ptr<const TextFormats> formats() const;
    // A date and time in the user's general date format now.
    std::string generalDate(const platform::LocalDateTime& time) const { return formats()->generalDate(time); }
    // The user's designators for before and after noon.
    virtual platform::DayHalfDesignators dayHalfDesignators() const;
};

// The platform's clock and formats, for a program that replaces neither.
const Clock& platformClock() noexcept;
