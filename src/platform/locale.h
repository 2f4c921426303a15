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
};

DayHalfDesignators userDayHalfDesignators();

struct LocalDateTime;

// A date and time in the user's general date format: the short date, a blank
// and the long time; the date alone at exactly midnight.
std::string generalDateText(const LocalDateTime& time);

} // namespace platform
