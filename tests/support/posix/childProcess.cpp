#include "support/childProcess.h"

#include "common/modKorvel.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

extern char** environ;

namespace testsupport {

struct ChildProcess::Handle {
    pid_t pid = -1;
    bool ended = false;
    int exitCode = -1;
};

std::optional<ChildProcess> ChildProcess::start(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return std::nullopt;
    }
    ChildProcess child;
    child.m_handle = new Handle{pid};
    return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : m_handle(other.m_handle) {
    other.m_handle = nullptr;
}

ChildProcess::~ChildProcess() {
    if (m_handle != nullptr && !m_handle->ended) {
        ::kill(m_handle->pid, SIGKILL);
        wait();
    }
    delete m_handle;
}

int ChildProcess::wait() {
    if (m_handle == nullptr) {
        return -1;
    }
    if (!m_handle->ended) {
        int status = 0;
        while (::waitpid(m_handle->pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_handle->ended = true;
        m_handle->exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return m_handle->exitCode;
}

int ChildProcess::terminate() {
    if (m_handle != nullptr && !m_handle->ended) {
        ::kill(m_handle->pid, SIGTERM);
    }
    return wait();
}

int ChildProcess::kill() {
    if (m_handle != nullptr && !m_handle->ended) {
        ::kill(m_handle->pid, SIGKILL);
    }
    return wait();
}

std::string helperProgram(const std::string& name) {
    return modKorvel::AppFolder().value_or("./") + name;
}

unsigned long currentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool processRunning(unsigned long id) {
    // Only a real process id: 0 and what does not fit a pid_t name process groups.
    if (id == 0 || id > static_cast<unsigned long>(INT32_MAX)) {
        return false;
    }
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

} // namespace testsupport
