#pragma once

#include "common/messageLoop.h"
#include "common/workerThread.h"
#include "platform/threads.h"
#include "platform/trail.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

// Work started on a thread of its own (or on a worker thread's queue). Nothing but the result is shared with
// it: a caller that stops waiting (the window closed, the file system never
// answers) leaves the work to finish unseen, and the thread ends with it.
template <typename Result>
class OffThread {
public:
    OffThread(MessageLoop& loop, std::function<Result()> work, WorkerThread* worker = nullptr)
        : m_loop(loop), m_state(std::make_shared<State>()) {
        auto job = [state = m_state, work = std::move(work), waker = loop.waker()] {
            try {
                state->result = work();
            } catch (...) {
                platform::trailCurrentException();
                // No result: the waiter sees the work finished without one.
            }
            state->done.store(true, std::memory_order_release);
            if (waker) {
                waker->wake();
            }
        };
        if (worker != nullptr) {
            worker->post(std::move(job));
        } else {
            std::thread([job = std::move(job)] {
                platform::keepSignalsFromThisThread();
                job();
            }).detach();
        }
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
    // the result when it finished with one. `giveUp` is asked again after
    // every message; with `recheck`, also at least that often.
    std::optional<Result> wait(const std::function<bool()>& giveUp = {},
                               std::optional<std::chrono::milliseconds> recheck = std::nullopt) {
        while (!finished()) {
            if (giveUp && giveUp()) {
                return std::nullopt;
            }
            if (recheck) {
                m_loop.waitForMessagesAtMost(*recheck);
            } else {
                m_loop.waitForMessages();
            }
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
