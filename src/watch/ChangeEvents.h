#pragma once
// When to look at the watched file besides the timer's ticks: the file
// system's change events for the file, turned into requests for a watch
// cycle. Events only decide *when* a cycle runs; the cycle is the timer's own.
//
// A burst of events is one request, made once the file has been quiet for the
// settle time: a file written without such a pause (a fast download) makes no
// request until it pauses, while every pause is a version someone could have
// read. Requests never follow each other closer than the gap, and there is
// never more than one outstanding: the next waits until the cycle asked for
// has started, so events during a cycle make one more cycle after it.
//
// The events are waited for on a thread of its own, which also sets the watch
// (a lookup that can hang on a file system that stopped answering). A watch
// that cannot be set leaves only the timer, without a word; it is tried again
// when the path changes and whenever retry() is called.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace watch {

struct EventTiming {
    std::chrono::milliseconds settle{20};
    std::chrono::milliseconds gap{25};
};

class ChangeEvents {
public:
    // `cycleWanted` is called on the events' thread; it must only hand the
    // request to the GUI thread.
    explicit ChangeEvents(std::function<void()> cycleWanted, EventTiming timing = {});
    // Returns at once; a thread still setting a watch on a hung file system
    // ends when that returns.
    ~ChangeEvents();
    ChangeEvents(const ChangeEvents&) = delete;
    ChangeEvents& operator=(const ChangeEvents&) = delete;

    // Watches `path` from now on; an empty path watches nothing.
    void follow(const std::string& path);
    // Sets the watch again if it could not be set or has been lost (the
    // folder did not exist, or was deleted or renamed).
    void retry();
    // The cycle last asked for has started: events from now on ask for another.
    void cycleStarted();
    // Whether a watch is set at this moment.
    bool watching() const noexcept;

private:
    struct Shared;
    static void run(const std::shared_ptr<Shared>& shared);
    std::shared_ptr<Shared> m_shared;
};

} // namespace watch
