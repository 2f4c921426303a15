#include "support/fileHolder.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace testsupport {

bool waitForFile(const std::string& path, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    const std::filesystem::path target(std::u8string(path.begin(), path.end()));
    while (!std::filesystem::exists(target)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

FileHolder::FileHolder(const std::string& file, const std::string& mode)
    : m_child(ChildProcess::start(
          {helperProgram("holdopen"), "hold", file, mode, m_markers.path("ready"), m_markers.path("release")})) {
    m_holding = m_child.has_value() && waitForFile(m_markers.path("ready"), 60);
}

FileHolder::~FileHolder() {
    release();
}

int FileHolder::release() {
    if (!m_child) {
        return -1;
    }
    m_markers.write("release", "");
    const int code = m_child->wait();
    m_child.reset();
    m_holding = false;
    return code;
}

} // namespace testsupport
