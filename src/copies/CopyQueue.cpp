#include "copies/CopyQueue.h"
#include "platform/trail.h"

#include <utility>

namespace copies {

CopyQueue::CopyQueue(std::function<void(CopyRequest, FileCopyClass&)> carryOut) : m_carryOut(std::move(carryOut)) {}

void CopyQueue::submit(CopyRequest request) noexcept {
    if (m_closed) {
        return;
    }
    if (m_busy) {
        if (request == CopyRequest::Log) {
            m_waitingLog = true;
        } else if (request == CopyRequest::Manual || !m_waitingCopy) {
            m_waitingCopy = request;
        }
        return;
    }
    for (std::optional<CopyRequest> next = request; next && !m_closed; next = takeWaiting()) {
        carryOut(*next);
    }
    if (m_closed && m_whenIdle) {
        std::exchange(m_whenIdle, nullptr)();
    }
}

void CopyQueue::carryOut(CopyRequest request) noexcept {
    m_busy = true;
    try {
        m_carryOut(request, m_copier);
    } catch (...) {
        platform::trailCurrentException();
        // A request that fails is over; what waits still runs.
    }
    m_busy = false;
}

std::optional<CopyRequest> CopyQueue::takeWaiting() noexcept {
    if (m_waitingCopy) {
        return std::exchange(m_waitingCopy, std::nullopt);
    }
    if (m_waitingLog) {
        m_waitingLog = false;
        return CopyRequest::Log;
    }
    return std::nullopt;
}

void CopyQueue::close(std::function<void()> whenIdle) noexcept {
    m_closed = true;
    m_waitingCopy.reset();
    m_waitingLog = false;
    if (m_busy) {
        m_whenIdle = std::move(whenIdle);
    } else if (whenIdle) {
        whenIdle();
    }
}

} // namespace copies
