#pragma once
// The GUI thread's message loop, as the core uses it to wait for work that
// can block (a probe of a file system that stopped answering, a copy's I/O)
// without ever blocking the loop: the work runs on another thread (see
// offThread.h), and the GUI thread keeps turning the loop until the work has
// finished or the caller gives up on it.

#include "common/waker.h"

#include <chrono>
#include <memory>

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    // Runs the pending messages, timer ticks and input among them, waiting
    // until at least one has arrived or the loop was woken.
    virtual void waitForMessages() noexcept = 0;
    // The same, but returns after `atMost` even when nothing came, for a
    // waiter whose reason to give up can change without a message.
    virtual void waitForMessagesAtMost(std::chrono::milliseconds atMost) noexcept {
        static_cast<void>(atMost);
        waitForMessages();
    }
    // What wakes this loop from another thread.
    virtual std::shared_ptr<Waker> waker() noexcept = 0;
};
