#pragma once
// The GUI thread's message loop, as the core uses it to wait for work that
// can block (a probe of a file system that stopped answering, a copy's I/O)
// without ever blocking the loop: the work runs on a thread of its own, and
// the GUI thread keeps turning the loop until the work has finished or the
// caller gives up on it.

#include "platform/threads.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

// Wakes a waiting message loop from any thread, and hands it work to run on
// its own thread. The loop's owner closes it before the loop goes away; a
// worker that finishes later then wakes nothing and its work is dropped.
class Waker {
public:
    using Post = std::function<void(std::function<void()>)>;
    explicit Waker(std::function<void()> wake, Post post = {}) : m_wake(std::move(wake)), m_post(std::move(post)) {}
    void wake() noexcept {
        const std::lock_guard lock(m_mutex);
        if (m_wake) {
            m_wake();
        }
    }
    // Queues `work` to run from the loop, after what it runs now; false when
    // the loop has gone (or takes no work), and the work is dropped.
    bool post(std::function<void()> work) noexcept {
        const std::lock_guard lock(m_mutex);
        if (!m_post) {
            return false;
        }
        try {
            m_post(std::move(work));
            return true;
        } catch (...) {
            return false; // out of memory
        }
    }
    void close() noexcept {
        const std::lock_guard lock(m_mutex);
        m_wake = nullptr;
        m_post = nullptr;
    }

private:
    std::mutex m_mutex;
    std::function<void()> m_wake;
    Post m_post;
};

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

// One thread of its own that runs jobs one after another, so that work done
// often (a probe every tick) does not start a thread each time. A job that
// hangs holds up only the jobs behind it; the thread and its queue outlive
// the object when it is destroyed while a job still runs.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() {
        if (!m_shared) {
            return;
        }
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->stopping = true;
        }
        m_shared->wake.notify_one();
    }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void post(std::function<void()> job) {
        if (!m_shared) {
            m_shared = std::make_shared<Shared>();
            std::thread([shared = m_shared] { run(*shared); }).detach();
        }
        {
            const std::lock_guard lock(m_shared->mutex);
            m_shared->jobs.push_back(std::move(job));
        }
        m_shared->wake.notify_one();
    }

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::function<void()>> jobs;
        bool stopping = false;
    };
    static void run(Shared& shared) {
        platform::keepSignalsFromThisThread();
        std::unique_lock lock(shared.mutex);
        for (;;) {
            shared.wake.wait(lock, [&] { return shared.stopping || !shared.jobs.empty(); });
            if (shared.jobs.empty()) {
                return; // stopping, and nothing left to do
            }
            auto job = std::move(shared.jobs.front());
            shared.jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
    }
    std::shared_ptr<Shared> m_shared;
};

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
