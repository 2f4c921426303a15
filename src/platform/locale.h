#pragma once
// The user's locale settings that the core formats and parses numbers with.

#include <string>

namespace platform {

struct NumberFormat {
    std::string decimalSeparator = ".";
};

// The user's number format; "." when the locale cannot be read.
NumberFormat userNumberFormat();

} // namespace platform
