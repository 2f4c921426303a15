#pragma once
// A trail for whoever maintains the program: the failures it handles or
// skips without a word to the user, each with the place in the code. Off
// until a front end hands it a sink (Linux: the "sentrel.trail" logging
// category, turned on by --verbose or QT_LOGGING_RULES; Windows: the
// debugger's output), and then cheap to leave in any path.

#include <source_location>
#include <string_view>

namespace platform {

// Receives one line of the trail, from any thread; must not throw.
using TrailSink = void (*)(std::string_view line);

// Starts (or, with nullptr, stops) writing the trail to `sink`.
void setTrailSink(TrailSink sink) noexcept;

// Writes `what` happened at `at`.
void trail(std::string_view what, std::source_location at = std::source_location::current()) noexcept;

// Inside a catch block: writes what the exception being handled says.
void trailCurrentException(std::source_location at = std::source_location::current()) noexcept;

} // namespace platform
