#pragma once

#include "platform/trail.h"

#include <functional>
#include <mutex>
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
            platform::trailCurrentException();
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
