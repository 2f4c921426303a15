#pragma once
// Waiting, from a test, for something another process or thread brings about.

#include <chrono>
#include <thread>

namespace testsupport {

// Polls `done` until it holds or `limit` has passed; whether it held.
template <typename Condition, typename Rep, typename Period>
bool waitFor(Condition done, std::chrono::duration<Rep, Period> limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace testsupport
