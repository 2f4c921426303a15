#pragma once
// The GUI thread's message loop, as the core uses it to wait for work that
// can block (a probe of a file system that stopped answering, a copy's I/O)
// without ever blocking the loop: the work runs on a thread of its own, and
// the GUI thread keeps turning the loop until the work has finished or the
// caller gives up on it.

#include "platform/threads.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

// Wakes a waiting message loop from any thread. The loop's owner closes it
// before the loop goes away; a worker that finishes later then wakes nothing.
class Waker {
public:
    explicit Waker(std::function<void()> wake) : m_wake(std::move(wake)) {}
    void wake() noexcept {
        const std::lock_guard lock(m_mutex);
        if (m_wake) {
            m_wake();
        }
    }
    void close() noexcept {
        const std::lock_guard lock(m_mutex);
        m_wake = nullptr;
    }

private:
    std::mutex m_mutex;
    std::function<void()> m_wake;
};

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    // Runs the pending messages, timer ticks and input among them, waiting
    // until at least one has arrived or the loop was woken; returns after a
    // fifth of a second at the latest even when nothing came, so that a
    // waiter can look again whether to give up.
    virtual void waitForMessages() noexcept = 0;
    // What wakes this loop from another thread.
    virtual std::shared_ptr<Waker> waker() noexcept = 0;
};

// Work started on a thread of its own. Nothing but the result is shared with
// it: a caller that stops waiting (the window closed, the file system never
// answers) leaves the work to finish unseen, and the thread ends with it.
template <typename Result>
class OffThread {
public:
    OffThread(MessageLoop& loop, std::function<Result()> work) : m_loop(loop), m_state(std::make_shared<State>()) {
        std::thread([state = m_state, work = std::move(work), waker = loop.waker()] {
            platform::keepSignalsFromThisThread();
            try {
                state->result = work();
            } catch (...) {
                // No result: the waiter sees the work finished without one.
            }
            state->done.store(true, std::memory_order_release);
            if (waker) {
                waker->wake();
            }
        }).detach();
    }

    bool finished() const noexcept { return m_state->done.load(std::memory_order_acquire); }

    // The result, once the work has finished with one; taken only once.
    std::optional<Result> take() {
        if (!finished()) {
            return std::nullopt;
        }
        return std::exchange(m_state->result, std::nullopt);
    }

    // Turns the message loop until the work has finished or `giveUp` says so;
    // the result when it finished with one.
    std::optional<Result> wait(const std::function<bool()>& giveUp = {}) {
        while (!finished()) {
            if (giveUp && giveUp()) {
                return std::nullopt;
            }
            m_loop.waitForMessages();
        }
        return take();
    }

private:
    struct State {
        std::atomic<bool> done{false};
        std::optional<Result> result;
    };
    MessageLoop& m_loop;
    std::shared_ptr<State> m_state;
};
