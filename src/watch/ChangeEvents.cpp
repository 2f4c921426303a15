#include "watch/ChangeEvents.h"

#include "platform/fileEvents.h"
#include "platform/threads.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace watch {

using Clock = std::chrono::steady_clock;

struct ChangeEvents::Shared {
    std::function<void()> cycleWanted;
    EventTiming timing;
    std::mutex mutex;
    std::condition_variable changed;
    // What the GUI thread asks for, under the mutex.
    std::string path;
    bool newPath = false;
    bool retry = false;
    bool stopping = false;
    bool requestOutstanding = false;
    // The watch the thread waits on, so that it can be woken.
    std::shared_ptr<platform::FileEvents> events;
    std::atomic<bool> watching{false};

    void wakeThread() {
        if (events) {
            events->wake();
        }
        changed.notify_one();
    }
};

ChangeEvents::ChangeEvents(std::function<void()> cycleWanted, EventTiming timing)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->cycleWanted = std::move(cycleWanted);
    m_shared->timing = timing;
    std::thread([shared = m_shared] { run(shared); }).detach();
}

ChangeEvents::~ChangeEvents() {
    const std::lock_guard lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->wakeThread();
}

void ChangeEvents::follow(const std::string& path) {
    const std::lock_guard lock(m_shared->mutex);
    m_shared->path = path;
    m_shared->newPath = true;
    m_shared->wakeThread();
}

void ChangeEvents::retry() {
    if (m_shared->watching.load(std::memory_order_relaxed)) {
        return;
    }
    const std::lock_guard lock(m_shared->mutex);
    if (!m_shared->retry) {
        m_shared->retry = true;
        m_shared->wakeThread();
    }
}

void ChangeEvents::cycleStarted() {
    const std::lock_guard lock(m_shared->mutex);
    if (m_shared->requestOutstanding) {
        m_shared->requestOutstanding = false;
        m_shared->wakeThread(); // events may have come meanwhile
    }
}

bool ChangeEvents::watching() const noexcept {
    return m_shared->watching.load(std::memory_order_relaxed);
}

void ChangeEvents::run(const std::shared_ptr<Shared>& shared) {
    platform::keepSignalsFromThisThread();
    Shared& s = *shared;
    std::unique_lock lock(s.mutex);
    std::shared_ptr<platform::FileEvents> events;
    // Events came that no cycle has looked at yet, the newest at lastEvent.
    bool pending = false;
    Clock::time_point lastEvent;
    Clock::time_point lastRequest = Clock::now() - s.timing.gap;
    // Returns the watch it replaces, to be let go of with the mutex free:
    // closing a watch waits until the system has cancelled its read, which
    // on a share that stopped answering (or under Wine) can take long, and
    // the GUI thread takes the mutex.
    const auto setWatch = [&](std::shared_ptr<platform::FileEvents> fresh) {
        auto old = std::exchange(events, std::move(fresh));
        s.events = events;
        s.watching.store(events != nullptr, std::memory_order_relaxed);
        return old;
    };
    while (!s.stopping) {
        if (s.newPath || (s.retry && !events)) {
            const bool newPath = std::exchange(s.newPath, false);
            s.retry = false;
            if (newPath) {
                pending = false; // what happened to the old file is no news of the new one
            }
            auto old = setWatch(nullptr);
            const std::string path = s.path;
            lock.unlock();
            old.reset();
            std::shared_ptr<platform::FileEvents> fresh;
            if (!path.empty()) {
                fresh = platform::FileEvents::watch(path);
            }
            lock.lock();
            if (!s.newPath) {
                setWatch(std::move(fresh)); // else the path changed meanwhile: set the newer one
            }
            if (fresh) {
                lock.unlock();
                fresh.reset();
                lock.lock();
            }
            continue;
        }
        // When the request for the events so far is due; none while the
        // last one is outstanding (cycleStarted wakes the thread).
        std::optional<Clock::time_point> due;
        if (pending && !s.requestOutstanding) {
            due = std::max(lastEvent + s.timing.settle, lastRequest + s.timing.gap);
        }
        const auto now = Clock::now();
        if (due && now >= *due) {
            pending = false;
            s.requestOutstanding = true;
            lastRequest = now;
            const auto cycleWanted = s.cycleWanted;
            lock.unlock();
            cycleWanted();
            lock.lock();
            continue;
        }
        if (!events) {
            // Whatever wakes it is looked at again above; what is asked for
            // is notified under the mutex, so nothing slips in before the wait.
            if (due) {
                s.changed.wait_until(lock, *due);
            } else {
                s.changed.wait(lock);
            }
            continue;
        }
        std::optional<std::chrono::milliseconds> timeout;
        if (due) {
            timeout = std::chrono::ceil<std::chrono::milliseconds>(*due - now);
        }
        auto watched = events;
        lock.unlock();
        const auto event = watched->wait(timeout);
        lock.lock();
        if (event == platform::FileEvents::Event::None) {
            continue;
        }
        pending = true; // a lost folder is news too: the file went with it
        lastEvent = Clock::now();
        if (event == platform::FileEvents::Event::Lost && events == watched) {
            setWatch(nullptr); // set again by retry()
            lock.unlock();
            watched.reset();
            lock.lock();
        }
    }
    auto last = setWatch(nullptr);
    lock.unlock();
}

} // namespace watch
