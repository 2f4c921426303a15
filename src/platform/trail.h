#pragma once
// A trail for whoever maintains the program: the failures it handles or
// skips without a word to the user, each with the place in the code. Off
// until a front end hands it a sink (Linux: the "sentrel.trail" logging
// category, turned on by --verbose or QT_LOGGING_RULES; Windows: the
// debugger's output), and then cheap to leave in any path.

#include <string_view>

namespace platform {

// A place in the code, taken where here() is called (also as a default
// argument): the compilers' builtins, since not every standard library this
// builds with has std::source_location.
struct CodePlace {
    const char* file = "";
    unsigned line = 0;
    static constexpr CodePlace here(const char* file = __builtin_FILE(), unsigned line = __builtin_LINE()) noexcept {
        return {file, line};
    }
};

// Receives one line of the trail, from any thread; must not throw.
using TrailSink = void (*)(std::string_view line);

// Starts (or, with nullptr, stops) writing the trail to `sink`.
void setTrailSink(TrailSink sink) noexcept;

// Writes `what` happened at `at`.
void trail(std::string_view what, CodePlace at = CodePlace::here()) noexcept;

// Inside a catch block: writes what the exception being handled says.
void trailCurrentException(CodePlace at = CodePlace::here()) noexcept;

} // namespace platform
