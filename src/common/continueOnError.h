#pragma once
// The rule most handlers run by: each step runs on its own, and one that
// fails is skipped silently while the next one runs.

template <typename Step>
void continueOnError(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}
