#pragma once

#include "platform/threads.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

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
            // Kept only once its thread runs: a post that could not start
            // one throws, and the next post tries again.
            auto shared = std::make_shared<Shared>();
            std::thread([shared] { run(*shared); }).detach();
            m_shared = std::move(shared);
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
