#include "platform/trail.h"

#include <atomic>
#include <exception>
#include <string>

namespace platform {

namespace {

std::atomic<TrailSink> g_sink{nullptr};

} // namespace

void setTrailSink(TrailSink sink) noexcept {
    g_sink.store(sink, std::memory_order_release);
}

void trail(std::string_view what, CodePlace at) noexcept {
    const TrailSink sink = g_sink.load(std::memory_order_acquire);
    if (sink == nullptr) {
        return;
    }
    try {
        std::string_view file = at.file;
        if (const auto slash = file.find_last_of("/\\"); slash != std::string_view::npos) {
            file.remove_prefix(slash + 1);
        }
        std::string line(file);
        line += ':';
        line += std::to_string(at.line);
        line += ": ";
        line += what;
        sink(line);
    } catch (...) {
        // Out of memory: this line of the trail is lost.
    }
}

void trailCurrentException(CodePlace at) noexcept {
    const auto current = std::current_exception();
    if (current == nullptr || g_sink.load(std::memory_order_acquire) == nullptr) {
        return;
    }
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& error) {
        trail(std::string("skipped after an exception: ") + error.what(), at);
    } catch (...) {
        trail("skipped after an exception", at);
    }
}

} // namespace platform
