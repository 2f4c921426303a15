#pragma once
// The user's locale settings that the core formats and parses numbers with.

#include <string>

namespace platform {

struct NumberFormat {
    std::string decimalSeparator = ".";
};

// The user's number format; "." when the locale cannot be read.
NumberFormat userNumberFormat();

// The locale's designators for times before and after noon ("AM" and "PM" in
// US English); either may be empty, as in many 24-hour locales.
struct DayHalfDesignators {
    std::string beforeNoon;
    std::string afterNoon;
    bool operator==(const DayHalfDesignators&) const = default;
};

DayHalfDesignators userDayHalfDesignators();

struct LocalDateTime;

// The user's general date format as it is at one moment, as a value: two
// equal values write every date alike, and a date written with a value taken
// earlier looks as it did then, whatever the user has changed since. The
// pictures are in the backend's own notation.
struct DateFormat {
    std::string locale; // the locale whose names of months and days the pictures use
    std::string shortDate;
    std::string longTime;
    DayHalfDesignators dayHalf;
    bool operator==(const DateFormat&) const = default;
};

DateFormat userDateFormat();

// A date and time in the general date format: the short date, a blank and
// the long time; the date alone at exactly midnight.
std::string generalDateText(const LocalDateTime& time, const DateFormat& format);
// The same in the user's format now.
std::string generalDateText(const LocalDateTime& time);

} // namespace platform
