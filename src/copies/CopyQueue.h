#pragma once
// The program's one copier and the requests waiting for it. Copies never run
// nested on the copier: a request that arrives while one is carried out (from
// inside the copier's yield to the message loop) waits until it has ended,
// and is then carried out with the file as it is at that moment. One copy and
// one log copy can wait; further requests of a kind join the waiting one.

#include "copies/FileCopyClass.h"

#include <functional>
#include <optional>

namespace copies {

enum class CopyRequest { Automatic, Manual, Log };

class CopyQueue {
public:
    // `carryOut` does what a request asks with the copier; it may yield to
    // the message loop, where further requests arrive.
    explicit CopyQueue(std::function<void(CopyRequest, FileCopyClass&)> carryOut);

    FileCopyClass& copier() noexcept { return m_copier; }
    bool busy() const noexcept { return m_busy; }

    // Carries the request out now, or once the running one has ended. A
    // waiting copy is manual when any of the requests it stands for was.
    void submit(CopyRequest request) noexcept;

    // Nothing more is carried out: waiting requests are dropped, later ones
    // ignored. `whenIdle` runs once no request is running any more (at once
    // when none is).
    void close(std::function<void()> whenIdle) noexcept;

private:
    void carryOut(CopyRequest request) noexcept;
    std::optional<CopyRequest> takeWaiting() noexcept;

    FileCopyClass m_copier;
    std::function<void(CopyRequest, FileCopyClass&)> m_carryOut;
    bool m_busy = false;
    std::optional<CopyRequest> m_waitingCopy;
    bool m_waitingLog = false;
    bool m_closed = false;
    std::function<void()> m_whenIdle;
};

} // namespace copies
