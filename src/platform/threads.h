#pragma once
// Threads of the program's own, besides the GUI thread.

namespace platform {

// Keeps the signals that end the program (and every other asynchronous one)
// away from the calling worker thread, so they reach the GUI thread's handler
// and never interrupt the worker's file system call half-way (a stat that
// fails with EINTR would read as a missing file). Nothing to do where the
// platform has no such signals.
void keepSignalsFromThisThread() noexcept;

} // namespace platform
