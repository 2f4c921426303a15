#pragma once
// This process's own read handles (the copier's source) and the probe's
// exclusive test open take turns. Windows refuses an open without sharing
// while any handle is open, ours included, so a test made while our copier
// reads the file would take our own read for another program's.

#include <chrono>

namespace platform::win32 {

// Around each read handle's life: entering waits while a test open is under
// way, at most `kOwnReadWait`.
void enterOwnRead();
void leaveOwnRead() noexcept;

// For the life of the object: waits at most `limit` for our open reads to
// close, and keeps new ones waiting until it ends.
class TestOpenTurn {
public:
    explicit TestOpenTurn(std::chrono::milliseconds limit);
    ~TestOpenTurn();
    TestOpenTurn(const TestOpenTurn&) = delete;
    TestOpenTurn& operator=(const TestOpenTurn&) = delete;
};

// Bounded on both sides: a read or a test open held up by a file system that
// stopped answering delays the other one this long at most.
inline constexpr std::chrono::milliseconds kOwnReadWait{2000};

} // namespace platform::win32
