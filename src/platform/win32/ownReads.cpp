#include "platform/win32/ownReads.h"

#include <condition_variable>
#include <mutex>

namespace platform::win32 {

namespace {

struct Turns {
    std::mutex mutex;
    std::condition_variable changed;
    int openReads = 0;
    int testOpens = 0;
};

Turns& turns() {
    static Turns shared;
    return shared;
}

} // namespace

void enterOwnRead() {
    auto& t = turns();
    std::unique_lock lock(t.mutex);
    t.changed.wait_for(lock, kOwnReadWait, [&] { return t.testOpens == 0; });
    ++t.openReads;
}

void leaveOwnRead() noexcept {
    auto& t = turns();
    {
        std::lock_guard lock(t.mutex);
        --t.openReads;
    }
    t.changed.notify_all();
}

TestOpenTurn::TestOpenTurn(std::chrono::milliseconds limit) {
    auto& t = turns();
    std::unique_lock lock(t.mutex);
    ++t.testOpens; // from here no new read starts
    t.changed.wait_for(lock, limit, [&] { return t.openReads == 0; });
}

TestOpenTurn::~TestOpenTurn() {
    auto& t = turns();
    {
        std::lock_guard lock(t.mutex);
        --t.testOpens;
    }
    t.changed.notify_all();
}

} // namespace platform::win32
