#include "support/childProcess.h"

#include <utility>

namespace testsupport {

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_handle(std::exchange(other.m_handle, 0)), m_id(std::exchange(other.m_id, 0)), m_status(other.m_status) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        finish();
        m_handle = std::exchange(other.m_handle, 0);
        m_id = std::exchange(other.m_id, 0);
        m_status = other.m_status;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    finish();
}

void ChildProcess::finish() noexcept {
    if (m_id != 0) {
        kill();
        release();
        m_id = 0;
    }
}

int ChildProcess::terminate() {
    if (running()) {
        end(false);
    }
    return wait();
}

int ChildProcess::kill() {
    if (running()) {
        end(true);
    }
    return wait();
}

} // namespace testsupport
