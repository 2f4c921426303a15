#pragma once
// The rule most handlers run by: each step runs on its own, and one that
// fails is skipped without a word to the user (but with one in the trail)
// while the next one runs.

#include "platform/trail.h"

template <typename Step>
void continueOnError(Step&& step, platform::CodePlace at = platform::CodePlace::here()) {
    try {
        step();
    } catch (...) {
        platform::trailCurrentException(at);
    }
}
